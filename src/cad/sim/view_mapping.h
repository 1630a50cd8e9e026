#pragma once
// The drawing window's view: which drawing point sits at the middle of the window and how many
// pixels a drawing unit takes. Screen y grows downwards, drawing y upwards.
#include <algorithm>
#include <cmath>

#include "cad/geometry.h"
#include "cad/sim/entity_geometry.h"

namespace qarn::cad::sim {

struct ViewMapping {
  double centreX = 0, centreY = 0;
  double scale = 1;  // pixels per drawing unit
  int width = 1, height = 1;

  Point3 toScreen(double x, double y) const {
    return {width / 2.0 + (x - centreX) * scale, height / 2.0 - (y - centreY) * scale, 0};
  }
  Point3 toDrawing(double px, double py) const {
    return {centreX + (px - width / 2.0) / scale, centreY - (py - height / 2.0) / scale, 0};
  }
  // Zoomed by `factor` with the drawing point under (px, py) staying under it.
  void zoomAbout(double px, double py, double factor) {
    Point3 before = toDrawing(px, py);
    scale = std::clamp(scale * factor, 1e-9, 1e9);
    Point3 after = toDrawing(px, py);
    centreX += before.x - after.x;
    centreY += before.y - after.y;
  }
  // The drawing moved with the cursor by (dx, dy) pixels.
  void pan(double dx, double dy) {
    centreX -= dx / scale;
    centreY += dy / scale;
  }
  // Everything in view, with a margin of 5 % on each side.
  void fit(const Extents& x) {
    if (x.empty()) {
      centreX = centreY = 0;
      scale = height / 297.0;
      return;
    }
    double w = std::max(x.max.x - x.min.x, 1e-6), h = std::max(x.max.y - x.min.y, 1e-6);
    double s = std::min(width / (w * 1.1), height / (h * 1.1));
    // Coordinates near the largest numbers: no view takes them all in, the origin is shown.
    if (!(s > 0) || !std::isfinite(s) || !std::isfinite(x.min.x / 2 + x.max.x / 2) ||
        !std::isfinite(x.min.y / 2 + x.max.y / 2)) {
      fit(Extents{});
      return;
    }
    centreX = x.min.x / 2 + x.max.x / 2;
    centreY = x.min.y / 2 + x.max.y / 2;
    scale = s;
  }
  // As the CAD's zoom by centre: the point in the middle, `viewHeight` units from top to bottom.
  void centreOn(Point3 p, double viewHeight) {
    centreX = p.x;
    centreY = p.y;
    if (viewHeight > 0) scale = height / viewHeight;
  }
};

}  // namespace qarn::cad::sim
