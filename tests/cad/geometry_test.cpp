#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cad/geometry.h"

namespace qarn::cad {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(Geometry, RotateAndPolarPoints) {
  Point2 r = RotatePoint(kPi / 2, 10, 0);
  EXPECT_NEAR(r.x, 0, 1e-12);
  EXPECT_NEAR(r.y, 10, 1e-12);
  r = RotatePoint(kPi / 4, 0, 10);  // the first lamp mark: from (0, 10) to 135 degrees
  EXPECT_NEAR(r.x, -10 / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(r.y, 10 / std::sqrt(2.0), 1e-12);
  Point2 p = PolarPoint(1, 2, 5, kPi);
  EXPECT_NEAR(p.x, -4, 1e-12);
  EXPECT_NEAR(p.y, 2, 1e-12);
}

TEST(Geometry, IntersectSegmentsUnboundedAndBounded) {
  // Crossing diagonals of a square.
  auto hit = IntersectSegments(true, {0, 0}, {10, 10}, {0, 10}, {10, 0});
  ASSERT_TRUE(hit);
  EXPECT_NEAR(hit->x, 5, 1e-12);
  EXPECT_NEAR(hit->y, 5, 1e-12);

  // Parallel and coincident lines give nothing.
  EXPECT_FALSE(IntersectSegments(false, {0, 0}, {10, 0}, {0, 1}, {10, 1}));
  EXPECT_FALSE(IntersectSegments(false, {0, 0}, {10, 0}, {20, 0}, {30, 0}));

  // The lines meet beyond the second segment's end: only unbounded mode answers.
  EXPECT_FALSE(IntersectSegments(true, {0, 0}, {10, 0}, {5, 5}, {5, 1}));
  auto far = IntersectSegments(false, {0, 0}, {10, 0}, {5, 5}, {5, 1});
  ASSERT_TRUE(far);
  EXPECT_NEAR(far->x, 5, 1e-12);
  EXPECT_NEAR(far->y, 0, 1e-12);

  // Touching the first segment exactly at P2 (t = 0) is outside the bounded range.
  EXPECT_FALSE(IntersectSegments(true, {10, 0}, {0, 0}, {0, -5}, {0, 5}));
  EXPECT_TRUE(IntersectSegments(true, {10, 0}, {0, 0}, {1, -5}, {1, 5}));
}

TEST(Geometry, MeterPointerMeetsTheScaleLine) {
  // An ammeter 48 high, 48 wide: arc centre (0, -0.3 H), pointer towards 0.7 pi, scale line at
  // -0.1 H.
  double h = 48;
  Point2 c{0, -0.3 * h};
  Point2 p = PolarPoint(c.x, c.y, 0.675 * h * 1.05, 0.7 * kPi);
  auto q = IntersectSegments(false, c, p, {24, -0.1 * h}, {-24, -0.1 * h});
  ASSERT_TRUE(q);
  EXPECT_NEAR(q->y, -0.1 * h, 1e-9);
  // On the line from the centre at 126 degrees: x = dy / tan(126 degrees).
  EXPECT_NEAR(q->x, (0.2 * h) / std::tan(0.7 * kPi), 1e-9);
}

}  // namespace
}  // namespace qarn::cad
