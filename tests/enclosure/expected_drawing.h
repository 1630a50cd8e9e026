#pragma once
// A drawing written out by hand, entity by entity, and the check of model space against it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cad/sim/drawing.h"

namespace qarn::enclosure::testing {

struct Expected {
  char kind = 'P';         // 'P' polyline, 'I' block reference, 'D' aligned dimension
  std::vector<double> xy;  // polyline vertices; I: insertion; D: first, second, text point
  bool closed = false;
  std::vector<std::pair<int, double>> bulges;
  std::string linetype = "BYLAYER";
  std::string block;
  double scale = 1, rotation = 0;
};

inline Expected P(std::vector<double> xy, bool closed = false, std::string linetype = "BYLAYER",
                  std::vector<std::pair<int, double>> bulges = {}) {
  Expected e;
  e.kind = 'P';
  e.xy = std::move(xy);
  e.closed = closed;
  e.bulges = std::move(bulges);
  e.linetype = std::move(linetype);
  return e;
}
inline Expected C(std::vector<double> xy) {
  return P(std::move(xy), true);
}
inline Expected I(std::string block, double x, double y, double scale = 1, double rotation = 0) {
  Expected e;
  e.kind = 'I';
  e.xy = {x, y};
  e.block = std::move(block);
  e.scale = scale;
  e.rotation = rotation;
  return e;
}
inline Expected D(double x1, double y1, double x2, double y2, double tx, double ty) {
  Expected e;
  e.kind = 'D';
  e.xy = {x1, y1, x2, y2, tx, ty};
  return e;
}

// Model space holds exactly the expected entities in order, each shifted by (bx, by), on the
// current layer "0" in the default colour.
inline void expectDrawing(const cad::sim::Drawing& d, const std::vector<Expected>& want, double bx,
                          double by) {
  const auto& handles = d.modelSpace().entities;
  ASSERT_EQ(handles.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    const cad::sim::Entity& e = *d.findEntity(handles[i]);
    const Expected& w = want[i];
    SCOPED_TRACE("entity " + std::to_string(i) + " (" + std::string(1, w.kind) + ")");
    EXPECT_EQ(e.layer, "0");
    EXPECT_EQ(e.color, 256);
    EXPECT_EQ(e.linetype, w.linetype);
    // The window's corner bulge is tan(22.5 degrees) to eight places only, so its offset lands
    // within 1e-7 of the hand-made numbers.
    constexpr double tol = 1e-6;
    switch (w.kind) {
      case 'P': {
        ASSERT_EQ(e.type, cad::sim::EntityType::Polyline);
        ASSERT_EQ(e.vertices.size() * 2, w.xy.size());
        EXPECT_EQ(e.closed, w.closed);
        for (std::size_t v = 0; v < e.vertices.size(); ++v) {
          EXPECT_NEAR(e.vertices[v].x, w.xy[2 * v] + bx, tol) << "vertex " << v;
          EXPECT_NEAR(e.vertices[v].y, w.xy[2 * v + 1] + by, tol) << "vertex " << v;
          double bulge = 0;
          for (auto [seg, b] : w.bulges)
            if (seg == static_cast<int>(v)) bulge = b;
          EXPECT_DOUBLE_EQ(e.vertices[v].bulge, bulge) << "bulge of vertex " << v;
        }
        break;
      }
      case 'I':
        ASSERT_EQ(e.type, cad::sim::EntityType::BlockRef);
        EXPECT_EQ(e.blockName, w.block);
        EXPECT_NEAR(e.p1.x, w.xy[0] + bx, tol);
        EXPECT_NEAR(e.p1.y, w.xy[1] + by, tol);
        EXPECT_DOUBLE_EQ(e.xScale, w.scale);
        EXPECT_DOUBLE_EQ(e.yScale, w.scale);
        EXPECT_DOUBLE_EQ(e.zScale, w.scale);
        EXPECT_DOUBLE_EQ(e.rotation, w.rotation);
        break;
      case 'D':
        ASSERT_EQ(e.type, cad::sim::EntityType::AlignedDim);
        EXPECT_NEAR(e.p1.x, w.xy[0] + bx, tol);
        EXPECT_NEAR(e.p1.y, w.xy[1] + by, tol);
        EXPECT_NEAR(e.p2.x, w.xy[2] + bx, tol);
        EXPECT_NEAR(e.p2.y, w.xy[3] + by, tol);
        EXPECT_NEAR(e.p3.x, w.xy[4] + bx, tol);
        EXPECT_NEAR(e.p3.y, w.xy[5] + by, tol);
        break;
    }
  }
}

}  // namespace qarn::enclosure::testing
