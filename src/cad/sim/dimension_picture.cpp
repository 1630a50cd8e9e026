#include "cad/sim/dimension_picture.h"

#include <cmath>
#include <numbers>

#include "cad/numbers.h"

namespace qarn::cad::sim {

double positiveVariable(const Drawing& d, const std::string& name, double fallback) {
  auto it = d.variables.find(name);
  if (it == d.variables.end()) return fallback;
  double v = it->second.toDouble();
  return v > 0 ? v : fallback;
}

DimensionPicture dimensionPicture(const Drawing& d, const Entity& e) {
  DimensionPicture pic;
  double scale = positiveVariable(d, "DIMSCALE", 1);
  double arrow = positiveVariable(d, "DIMASZ", 2.5) * scale;
  pic.textHeight = positiveVariable(d, "DIMTXT", 2.5) * scale;

  double dx = e.p2.x - e.p1.x, dy = e.p2.y - e.p1.y, len2 = dx * dx + dy * dy;
  double len = std::sqrt(len2);
  // The dimension line runs through the text point, parallel to the measured points.
  double off = len2 > 0 ? ((e.p3.x - e.p1.x) * -dy + (e.p3.y - e.p1.y) * dx) / len2 : 0;
  Point3 a{e.p1.x - dy * off, e.p1.y + dx * off, 0}, b{e.p2.x - dy * off, e.p2.y + dx * off, 0};
  pic.lines.push_back({e.p1, a});
  pic.lines.push_back({e.p2, b});
  pic.lines.push_back({a, b});
  if (len > 0) {
    double ux = dx / len, uy = dy / len;  // along the line, from a to b
    double half = arrow / 6;
    auto head = [&](Point3 tip, double dir) {
      Point3 back{tip.x + dir * ux * arrow, tip.y + dir * uy * arrow, 0};
      pic.arrowheads.push_back({tip, Point3{back.x - uy * half, back.y + ux * half, 0},
                                Point3{back.x + uy * half, back.y - ux * half, 0}});
    };
    head(a, 1);   // pointing out at a
    head(b, -1);  // and at b
  }
  double angle = std::atan2(dy, dx);
  // Read from below or from the right: never upside down.
  if (angle > std::numbers::pi / 2 + 1e-9) angle -= std::numbers::pi;
  if (angle <= -std::numbers::pi / 2 + 1e-9) angle += std::numbers::pi;
  pic.textRotation = angle;
  // The text stands on the dimension line, a gap above it.
  double lift = pic.textHeight * 0.5 + pic.textHeight * 0.25;
  double nx = -std::sin(angle), ny = std::cos(angle);
  pic.textAt = {e.p3.x + nx * lift, e.p3.y + ny * lift, 0};
  pic.text = writeNumber(std::round(len * 100) / 100);
  return pic;
}

}  // namespace qarn::cad::sim
