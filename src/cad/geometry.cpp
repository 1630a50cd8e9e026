#include "cad/geometry.h"

#include <cmath>

namespace qarn::cad {

Point2 RotatePoint(double angle, double x, double y) {
  double c = std::cos(angle), s = std::sin(angle);
  return {x * c - y * s, x * s + y * c};
}

Point2 PolarPoint(double x, double y, double distance, double angle) {
  return {x + distance * std::cos(angle), y + distance * std::sin(angle)};
}

std::optional<Point2> IntersectSegments(bool bounded, Point2 p1, Point2 p2, Point2 p3, Point2 p4) {
  constexpr double kEps = 1e-12;
  Point2 d1{p1.x - p2.x, p1.y - p2.y};
  Point2 d2{p4.x - p3.x, p4.y - p3.y};
  double den = d1.x * d2.y - d2.x * d1.y;
  if (std::fabs(den) <= kEps) return std::nullopt;
  // Solve p2 + t d1 = p3 + s d2.
  Point2 w{p3.x - p2.x, p3.y - p2.y};
  double t = (w.x * d2.y - w.y * d2.x) / den;
  double s = (w.x * d1.y - w.y * d1.x) / den;
  if (bounded && (t < kEps || t > 1.0 || s < kEps || s > 1.0)) return std::nullopt;
  return Point2{p3.x + s * d2.x, p3.y + s * d2.y};
}

}  // namespace qarn::cad
