#pragma once
// Plane geometry shared by the drawing commands and the previews.
#include <optional>
#include <vector>

namespace qarn::cad {

struct Point2 {
  double x = 0, y = 0;
  bool operator==(const Point2&) const = default;
};

struct Point3 {
  double x = 0, y = 0, z = 0;
  bool operator==(const Point3&) const = default;
};

// Counter-clockwise rotation about the origin.
Point2 RotatePoint(double angle, double x, double y);
// The point at `distance` from (x, y) in the direction `angle`.
Point2 PolarPoint(double x, double y, double distance, double angle);
// Where the line through p1, p2 meets the line through p3, p4; nothing for parallel lines, and
// in bounded mode nothing unless the point lies on both segments.
std::optional<Point2> IntersectSegments(bool bounded, Point2 p1, Point2 p2, Point2 p3, Point2 p4);

}  // namespace qarn::cad
