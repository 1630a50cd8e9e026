// Positions worked out by hand from the enclosure rules, for the handle heights, the window of
// ORM, its frame depth and the single-door handles.
#include <gtest/gtest.h>

#include <cmath>

#include "../cad/sim_fixture.h"
#include "enclosure/enclosure_drawing.h"

namespace qarn::enclosure {
namespace {

class HandValues : public cad::testing::SimFixture {
 protected:
  void draw(const std::string& family, const ChosenEnclosure& f) {
    cad.operatorPoint(0, 0);
    ASSERT_EQ(drawEnclosure(session, {family, f}).status, EnclosureResult::Status::Drawn);
  }
  // Whether model space holds a polyline with exactly these vertices.
  bool hasPolyline(const std::vector<double>& xy) const {
    for (const auto& h : cad.drawing().modelSpace().entities) {
      const auto& e = *cad.drawing().findEntity(h);
      if (e.type != cad::sim::EntityType::Polyline || e.vertices.size() * 2 != xy.size()) continue;
      bool same = true;
      for (std::size_t i = 0; i < e.vertices.size() && same; ++i)
        same = std::fabs(e.vertices[i].x - xy[2 * i]) < 1e-9 &&
               std::fabs(e.vertices[i].y - xy[2 * i + 1]) < 1e-9;
      if (same) return true;
    }
    return false;
  }
  cad::Point3 only(const std::string& block) const {
    std::vector<cad::Point3> at;
    for (const auto& h : cad.drawing().modelSpace().entities) {
      const auto& e = *cad.drawing().findEntity(h);
      if (e.type == cad::sim::EntityType::BlockRef && e.blockName == block) at.push_back(e.p1);
    }
    EXPECT_EQ(at.size(), 1u) << block;
    return at.empty() ? cad::Point3{} : at.front();
  }
};

TEST_F(HandValues, OrmHandleHeightsAndTheSmallWindow) {
  // H 500: the handles stand 25 lower, at 225; WH 145: T 156, WY = 500 - (78 + 52) = 370.
  draw("ORM", {"ORM-A", "片扉", "600", "500", "200", "540", "440", "170", "200", "145"});
  EXPECT_EQ(only("TOVEKHDLRA"), (cad::Point3{52, 225, 0}));
  // The side handle at the side view's shift 600 + 300, from 225 - 55 to 225 + 55.
  EXPECT_TRUE(hasPolyline({900, 170, 896.5, 170, 896.5, 280, 900, 280}));
  // The window outline around (300, 370), 200 x 145 with corners of 35.
  EXPECT_TRUE(hasPolyline({235, 297.5, 200, 332.5, 200, 407.5, 235, 442.5, 365, 442.5, 400, 407.5,
                           400, 332.5, 365, 297.5}));
  // D 200: the frame depth is 143, so the bracket stands at s = 170 - 143 = 27.
  EXPECT_TRUE(hasPolyline({944, 292, 927, 292, 927, 448, 944, 448}));
}

TEST_F(HandValues, OrmEightHundredHighByTheWindowHeight) {
  // WH 309 is below 310: the handle keeps H/2; T is 0.
  draw("ORM", {"ORM-B", "片扉", "600", "800", "300", "540", "740", "250", "300", "309"});
  EXPECT_EQ(only("TOVEKHDLRA"), (cad::Point3{52, 400, 0}));
}

TEST_F(HandValues, OrmTallWindowFrameAndItsDepth) {
  // WH 310: the handle 48 lower at 352; T 320; WY = 800 - (160 + 60) = 580; WL = 600 - 95 = 505.
  draw("ORM", {"ORM-C", "片扉", "600", "800", "300", "540", "740", "250", "300", "310"});
  EXPECT_EQ(only("TOVEKHDLRA"), (cad::Point3{52, 352, 0}));
  // The inside view at 600 + 300 + 300 + 200 = 1400, the frame around x 300.
  EXPECT_TRUE(hasPolyline({1447.5, 420, 1447.5, 740, 1952.5, 740, 1952.5, 420}));
  // D 300: a = 237, s = 250 - 237 = 13.
  EXPECT_TRUE(hasPolyline({930, 420, 913, 420, 913, 740, 930, 740}));
}

TEST_F(HandValues, OrmFrameWidthIsCappedAndTheDepthTurnsAtNineHundred) {
  struct Case {
    const char* width;
    double side, inside, s, halfWl;
  };
  // D 250, H 800, ED 220, WH 215 (T 220, WY 630): W 800 and 900 give a = 193 (s = 27), W 1000
  // gives 187 (s = 33). W - 95 is capped at 605 for all three.
  for (Case c : {Case{"800", 1100, 1550, 27, 302.5},
                 {"900", 1200, 1650, 27, 302.5},
                 {"1000", 1300, 1750, 33, 302.5}}) {
    cad.addDocument();
    doc = app.activeDocument();
    draw("ORM", {"ORM-D", "片扉", c.width, "800", "250", "740", "740", "220", "300", "215"});
    double wx = std::stod(c.width) / 2;
    EXPECT_TRUE(hasPolyline({c.inside + wx - c.halfWl, 520, c.inside + wx - c.halfWl, 740,
                             c.inside + wx + c.halfWl, 740, c.inside + wx + c.halfWl, 520}))
        << "frame of W " << c.width;
    EXPECT_TRUE(hasPolyline(
        {c.side + c.s + 17, 520, c.side + c.s, 520, c.side + c.s, 740, c.side + c.s + 17, 740}))
        << "bracket of W " << c.width;
  }
}

TEST_F(HandValues, SingleDoorHandlesOfSAndE) {
  draw("S", {"SB-4050", "片扉", "400", "500", "200", "350", "450", "170", "", ""});
  EXPECT_EQ(only("TOVEKHDLS"), (cad::Point3{50, 250, 0})) << "S: at hx";
  cad.addDocument();
  doc = app.activeDocument();
  draw("E", {"EB-6012", "片扉", "600", "1200", "350", "520", "1100", "315", "", ""});
  EXPECT_EQ(only("TOVEKHDLE"), (cad::Point3{85, 600, 0})) << "E: at hx + mx = 81 + 4";
}

TEST_F(HandValues, ASecondEnclosureChangesNoDefinition) {
  ChosenEnclosure e{"EB-6012", "両扉", "600", "1200", "350", "520", "1100", "315", "", ""};
  ChosenEnclosure orm{"ORM-C", "両扉", "800", "1000", "250", "740", "940", "220", "300", "310"};
  draw("E", e);
  draw("ORM", orm);
  std::map<std::string, std::size_t> sizes;
  for (const auto& b : cad.drawing().blocks)
    if (!b.isLayout) sizes[b.name] = b.entities.size();
  draw("E", e);
  draw("ORM", orm);
  for (const auto& b : cad.drawing().blocks) {
    if (b.isLayout) continue;
    EXPECT_EQ(b.entities.size(), sizes[b.name]) << b.name << " drawn into again";
  }
  EXPECT_EQ(sizes.size(), 6u);
}

}  // namespace
}  // namespace qarn::enclosure
