#include "library/geometry_thumbnail.h"

#include <algorithm>
#include <cmath>

#include "cad/sim/display_list.h"
#include "cad/sim/dxf_reader.h"
#include "cad/sim/view_mapping.h"

namespace qarn::library {

namespace {

// What a thumbnail draws of a drawing at most: it is a glance, not the drawing.
constexpr std::size_t kThumbnailBudget = 200'000;

void drawLine(Picture& p, double x0, double y0, double x1, double y1, std::uint32_t rgb) {
  // Clipped to a little beyond the picture first, so that a far end costs no steps.
  const double lim = 4.0 * (p.width + p.height);
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= p.width && x1 >= p.width) ||
      (y0 >= p.height && y1 >= p.height))
    return;
  int steps =
      static_cast<int>(std::ceil(std::min(std::max(std::abs(x1 - x0), std::abs(y1 - y0)), lim)));
  for (int i = 0; i <= steps; ++i) {
    double t = steps == 0 ? 0 : static_cast<double>(i) / steps;
    long x = std::lround(x0 + (x1 - x0) * t), y = std::lround(y0 + (y1 - y0) * t);
    // Two pixels thick: halved by the fit that follows, a line keeps one.
    for (long px = x; px <= x + 1; ++px)
      for (long py = y; py <= y + 1; ++py)
        if (px >= 0 && py >= 0 && px < p.width && py < p.height)
          p.setPixel(static_cast<int>(px), static_cast<int>(py), rgb);
  }
}

}  // namespace

Picture drawGeometry(const cad::sim::Drawing& d, int width, int height, std::uint32_t background) {
  Picture pic = FillCanvas(width, height, background);
  cad::sim::DisplayList list = cad::sim::buildDisplayList(d, {}, true, kThumbnailBudget);
  if (list.extents.empty() || width <= 0 || height <= 0) return pic;
  cad::sim::ViewMapping view;
  view.width = width;
  view.height = height;
  view.fit(list.extents);  // 1/1.1 of the picture: the crop that follows takes in the rest
  for (const auto& b : list.batches) {
    // Colour 7 and the palest greys are white on the dark picture, as in the CAD's window.
    std::uint32_t rgb = b.style.rgb == background ? 0xFFFFFF ^ background : b.style.rgb;
    for (const auto& l : b.lines) {
      cad::Point3 a = view.toScreen(l.x0, l.y0), c = view.toScreen(l.x1, l.y1);
      drawLine(pic, a.x, a.y, c.x, c.y, rgb);
    }
  }
  return pic;
}

std::optional<Picture> geometryThumbnail(const std::string& path, int boxWidth, int boxHeight,
                                         std::uint32_t background) {
  cad::sim::DxfDrawing read;
  try {
    read = cad::sim::readDxfFile(path);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  // Drawn at twice the box's size, in lines two pixels thick, so that the scaling to the box
  // that follows, which takes every other pixel or so, drops none.
  return fitPreview(drawGeometry(read.drawing, 2 * boxWidth, 2 * boxHeight, background), boxWidth,
                    boxHeight, background, true);
}

}  // namespace qarn::library
