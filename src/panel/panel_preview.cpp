#include "panel/panel_preview.h"

#include <cmath>
#include <numbers>

#include "cad/geometry.h"
#include "cad/numbers.h"
#include "panel/panel_block.h"

namespace qarn::panel {

namespace {

constexpr double kPi = std::numbers::pi;

class Canvas {
 public:
  Canvas(int cx, int cy, double u) : cx_(cx), cy_(cy), u_(u) {}
  void line(double x0, double y0, double x1, double y1) {
    Primitive p;
    p.x0 = px(x0);
    p.y0 = py(y0);
    p.x1 = px(x1);
    p.y1 = py(y1);
    out.push_back(p);
  }
  void arc(double x, double y, double r, double start, double span) {
    Primitive p;
    p.kind = span >= 360 ? Primitive::Kind::Circle : Primitive::Kind::Arc;
    p.cx = px(x);
    p.cy = py(y);
    p.r = static_cast<int>(std::trunc(r * u_));
    p.startDegrees = start;
    p.spanDegrees = span;
    out.push_back(p);
  }
  std::vector<Primitive> out;

 private:
  int px(double x) const { return cx_ + static_cast<int>(std::trunc(x * u_)); }
  int py(double y) const { return cy_ + static_cast<int>(std::trunc(-y * u_)); }
  int cx_, cy_;
  double u_;
};

}  // namespace

std::vector<Primitive> DrawTovekImage(const PreviewInput& in, int width, int height) {
  double W = cad::readNumber(in.width, 30), H = cad::readNumber(in.height, 0);
  int kind = cad::readInteger(in.kind, 0);
  int cx = width / 2;
  double u;
  int cy;
  if (kind == 6) {
    u = height / 140.0;
    cy = static_cast<int>(std::trunc(0.5 * height));
  } else if (kind == 4) {
    u = height / (1.5 * (H >= W ? H : W));
    cy = static_cast<int>(std::trunc(0.5 * height));
  } else {
    u = height / 70.0;
    cy = static_cast<int>(std::trunc(0.6 * height));
  }

  std::vector<Primitive> cross(2);
  cross[0] = {Primitive::Kind::Line, true, 0, cy, width, cy};
  cross[1] = {Primitive::Kind::Line, true, cx, 0, cx, height};
  // A rectangle with no size has no scale: nothing but the cross can be drawn.
  if (!(std::isfinite(u) && u > 0)) return cross;

  Canvas c(cx, cy, u);
  c.out = cross;
  SizeClass s = sizeClassFor(W);
  bool round = isCircular(kind);
  if (in.nameplate || kind == 4 || kind == 6) {
    if (round) {
      c.line(s.A, 0, s.A, s.B);
      c.line(s.A, s.B, -s.A, s.B);
      c.line(-s.A, s.B, -s.A, 0);
      c.arc(0, 0, s.A, 180, 180);  // from the left point through the lowest to the right
    } else {
      c.line(W / 2, -H / 2, W / 2, H / 2);
      c.line(W / 2, H / 2, -W / 2, H / 2);
      c.line(-W / 2, H / 2, -W / 2, -H / 2);
      c.line(-W / 2, -H / 2, W / 2, -H / 2);
    }
    if (kind == 6) {
      c.line(W / 2, -0.1 * H, -W / 2, -0.1 * H);
      // Without a height the scale arc and the pointer have no size.
      if (H > 0) {
        c.arc(0, -0.3 * H, 0.675 * H, 54, 72);
        cad::Point2 p = cad::PolarPoint(0, -0.3 * H, 0.675 * H * 1.08, 0.7 * kPi);
        auto foot =
            cad::IntersectSegments(false, {0, -0.3 * H}, p, {W / 2, -0.1 * H}, {-W / 2, -0.1 * H});
        if (foot) c.line(p.x, p.y, foot->x, foot->y);
      }
    }
  }
  if (round) {
    c.arc(0, 0, s.R1, 0, 360);
    if (kind <= 3) c.arc(0, 0, s.R2, 0, 360);
  }
  if (kind == 2 || kind == 3) {
    for (double x : {s.X1, -s.X1}) {
      cad::Point2 a{x, s.Y1}, b{x, -s.Y1};
      if (kind == 2) {
        a = cad::RotatePoint(kPi / 4, a.x, a.y);
        b = cad::RotatePoint(kPi / 4, b.x, b.y);
      }
      c.line(a.x, a.y, b.x, b.y);
    }
  } else if (kind == 1) {
    for (int i = 0; i < 4; ++i) {
      double angle = kPi / 4 + i * kPi / 2;
      cad::Point2 a = cad::RotatePoint(angle, 0, 10), b = cad::RotatePoint(angle, 0, 7);
      c.line(a.x, a.y, b.x, b.y);
    }
  }
  return c.out;
}

}  // namespace qarn::panel
