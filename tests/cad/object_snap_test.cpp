// Object snaps: each kind found where a CAD finds it, the order among kinds, block references
// snapped at their placed position, and the grid finding what lies far from the rest.
#include <cmath>
#include <numbers>

#include "cad/sim/object_snap.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

class ObjectSnap : public testing::SimFixture {
 protected:
  std::optional<sim::Snap> at(double x, double y, int osmode, double aperture = 1) {
    return sim::SnapIndex(cad.drawing()).find({x, y, 0}, aperture, osmode);
  }
  // The snap's kind by the name its tooltip shows.
  void expectSnap(double x, double y, int osmode, std::string kind, double sx, double sy) {
    auto s = at(x, y, osmode);
    ASSERT_TRUE(s) << "at " << x << "," << y;
    EXPECT_EQ(sim::snapKindName(s->kind), kind) << " at " << x << "," << y;
    EXPECT_NEAR(s->point.x, sx, 1e-9) << x << "," << y;
    EXPECT_NEAR(s->point.y, sy, 1e-9) << x << "," << y;
  }
};

TEST_F(ObjectSnap, EachKindWhereTheCadFindsIt) {
  Block ms = doc.modelSpace();
  ms.addLine({0, 0, 0}, {100, 0, 0});
  ms.addLine({60, -10, 0}, {60, 30, 0});
  ms.addCircle({200, 0, 0}, 10);
  ms.addArc({300, 0, 0}, 10, 0, std::numbers::pi / 2);
  ms.addArc({500, 0, 0}, 10, 70 * std::numbers::pi / 180, 100 * std::numbers::pi / 180);
  Block b = doc.blocks().add({0, 0, 0}, "TAG");
  b.addLine({2, 2, 0}, {2, 10, 0});
  ms.insertBlock({400, 0, 0}, "TAG");

  const int all = 1 | 2 | 4 | 16 | 32 | 64 | 512;
  expectSnap(0.5, 0.4, all, "端点", 0, 0);
  expectSnap(25.3, 0.8, all, "近接点", 25.3, 0);
  expectSnap(60.4, 0.3, all, "交点", 60, 0);
  expectSnap(50.3, 0.2, 2, "中点", 50, 0);
  expectSnap(200.3, -0.2, all, "中心", 200, 0);
  expectSnap(209.6, 0.5, all, "四半円点", 210, 0);
  expectSnap(200.5, 9.7, all, "四半円点", 200, 10);
  expectSnap(300.5, 10.2, all, "端点", 300, 10);  // the arc's end
  expectSnap(307.3, 7.3, all, "中点", 300 + 10 / std::sqrt(2.0), 10 / std::sqrt(2.0));
  expectSnap(400.2, -0.3, all, "挿入基点", 400, 0);
  // Over the circle, far from its centre, with only the centre on: the centre.
  expectSnap(192.9, 7.0, 4, "中心", 200, 0);
  // An arc from 70° to 100° has its quadrant at 90° only.
  expectSnap(500.3, 9.8, 16, "四半円点", 500, 10);
  // The arc has no quadrant at 180°; nothing is near with nearest off.
  EXPECT_FALSE(at(290, 0.2, all & ~512));
  // OSMODE's off bit: nothing, whatever else is on.
  EXPECT_FALSE(at(0.5, 0.4, all | sim::kOsnapOff));
  EXPECT_FALSE(at(0.5, 0.4, all & ~1 & ~512)) << "endpoint off, the midpoint is far";
}

TEST_F(ObjectSnap, NearerPointSnapWinsNearestComesLastAndEndpointBeforeIntersection) {
  Block ms = doc.modelSpace();
  ms.addLine({0, 0, 0}, {10, 0, 0});
  ms.addLine({10, 0, 0}, {10, 10, 0});
  ms.addLine({0, 0.5, 0}, {4.8, 0.5, 0});
  // The corner where two lines end is an endpoint, though also their intersection.
  expectSnap(9.8, 0.3, 1 | 32, "端点", 10, 0);
  expectSnap(9.8, 0.3, 32, "交点", 10, 0);
  // Nearest lies nearer the cursor than the endpoint, yet the endpoint is taken.
  expectSnap(4.4, 0.2, 1 | 512, "端点", 4.8, 0.5);
  // Of two point snaps, the nearer: the midpoint (5, 0) before the endpoint (4.8, 0.5).
  expectSnap(5.1, 0.1, 1 | 2 | 512, "中点", 5, 0);
}

TEST_F(ObjectSnap, ReferencesSnapAtTheirPlacedGeometryAndAttributes) {
  Block b = doc.blocks().add({0, 0, 0}, "BOX");
  b.addLightWeightPolyline({0, 0, 20, 0, 20, 10}).setClosed(true);
  b.addCircle({5, 5, 0}, 2);
  b.addAttribute(2.5, 0, "No", {1, 1, 0}, "NO", "");
  BlockReference r =
      doc.modelSpace().insertBlock({100, 50, 0}, "BOX", 2, 2, 1, std::numbers::pi / 2);
  r.getAttributes()[0].setTextString("K1");
  // Turned a quarter and doubled: (20, 0) -> (100, 90); the circle's centre (5, 5) -> (90, 60).
  expectSnap(100.4, 89.6, 1, "端点", 100, 90);
  expectSnap(89.6, 60.3, 4, "中心", 90, 60);
  expectSnap(90, 64.3, 16, "四半円点", 90, 64);
  expectSnap(90.2, 70.3, 2, "中点", 90, 70);       // the closing side, (20,10)-(0,0)
  expectSnap(98.3, 51.8, 64, "挿入基点", 98, 52);  // the attribute's insertion point
  expectSnap(100.2, 50.2, 64, "挿入基点", 100, 50);
  // Mirrored, a quarter arc from 0° to 90° runs from 90° to 180°.
  doc.blocks().add({0, 0, 0}, "HOOK").addArc({0, 0, 0}, 10, 0, std::numbers::pi / 2);
  doc.modelSpace().insertBlock({500, 0, 0}, "HOOK", -1, 1);
  expectSnap(492.7, 7.3, 2, "中点", 500 - 10 / std::sqrt(2.0), 10 / std::sqrt(2.0));
}

TEST_F(ObjectSnap, TheGridFindsWhatLiesApartAndAnApertureTakingInEverything) {
  Block ms = doc.modelSpace();
  for (int i = 0; i < 2000; ++i)
    ms.addLine({i * 3.0, 0, 0}, {i * 3.0 + 1, 1, 0});
  ms.addLine({-5000, 7000, 0}, {-4990, 7000, 0});  // alone, far from the rest
  ms.addCircle({2000, -3000, 0}, 9000);            // spans the whole grid
  expectSnap(-4990.3, 7000.2, 1, "端点", -4990, 7000);
  expectSnap(3000.5, 1.4, 1, "端点", 3001, 1);
  expectSnap(2000, 6000.4, 16, "四半円点", 2000, 6000);
  auto s = at(0, 0, 1, 1e6);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->point.x, 0);
}

}  // namespace
}  // namespace qarn::cad
