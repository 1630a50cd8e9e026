#include <gtest/gtest.h>

#include "../cad/sim_fixture.h"
#include "cad/automation_error.h"
#include "enclosure/enclosure_drawing.h"

namespace qarn::enclosure {
namespace {

using cad::testing::RecordingWindow;

const ChosenEnclosure kRa{"RA12-5070", "片扉", "500", "700", "200", "440", "640", "170", "", ""};

class EnclosureDrawing : public cad::testing::SimFixture {
 protected:
  EnclosureDrawing() { session.mainWindow = &window; }
  EnclosureResult draw(const std::string& family, const ChosenEnclosure& f, double x = 0,
                       double y = 0) {
    cad.operatorPoint(x, y);
    return drawEnclosure(session, {family, f});
  }
  const cad::sim::Entity& entity(std::size_t i) {
    return *cad.drawing().findEntity(cad.drawing().modelSpace().entities.at(i));
  }
  std::vector<const cad::sim::Entity*> refs(const std::string& block) {
    std::vector<const cad::sim::Entity*> out;
    for (const auto& h : cad.drawing().modelSpace().entities) {
      const auto* e = cad.drawing().findEntity(h);
      if (e->type == cad::sim::EntityType::BlockRef && e->blockName == block) out.push_back(e);
    }
    return out;
  }
  RecordingWindow window;
};

TEST_F(EnclosureDrawing, BasePointIsCutTowardZeroToTens) {
  draw("RA", kRa, 123.5, -87);
  EXPECT_EQ(entity(0).vertices[0].x, 120);
  EXPECT_EQ(entity(0).vertices[0].y, -80);
  // The edge case of the single RA door: 500 x 700 gives the door (2, 3)-(498, 697), handle (52,
  // 350).
  EXPECT_EQ(entity(1).vertices[0].x - 120, 2);
  EXPECT_EQ(entity(1).vertices[2].y + 80, 697);
  ASSERT_EQ(refs("TOVEKHDLRA").size(), 1u);
  EXPECT_EQ(refs("TOVEKHDLRA")[0]->p1, (cad::Point3{172, 270, 0}));
}

TEST_F(EnclosureDrawing, WindowAndCadAreHandledAroundThePick) {
  cad.desktop().minimizeWindow(cad.applicationWindow());
  draw("RA", kRa);
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));
  std::string w = std::to_string(cad.applicationWindow());
  EXPECT_EQ(cad.desktop().events(),
            (std::vector<std::string>{"openIcon " + w, "sleep 100", "foreground " + w,
                                      "foreground " + w, "escape"}));
  EXPECT_EQ(cad.openUndoGroups(), 0);
  EXPECT_EQ(cad.callCount("StartUndoMark"), 0) << "the enclosure opens no undo group";
}

TEST_F(EnclosureDrawing, CancelledPickDrawsNothingButRegenerates) {
  cad.operatorEscape();
  EnclosureResult r = drawEnclosure(session, {"RA", kRa});
  EXPECT_EQ(r.status, EnclosureResult::Status::Cancelled);
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
  EXPECT_EQ(cad.drawing().blocks.size(), 2u);
  EXPECT_EQ(cad.callCount("Regen"), 1);
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));
}

TEST_F(EnclosureDrawing, ZeroOrNonNumericSizesStopBeforeAnythingHappens) {
  struct Case {
    ChosenEnclosure f;
    std::string missing;
  };
  std::vector<Case> cases;
  ChosenEnclosure f = kRa;
  f.width = "";
  cases.push_back({f, "W"});
  f = kRa;
  f.depth = "abc";
  cases.push_back({f, "D"});
  f = kRa;
  f.plateHeight = "◇";
  cases.push_back({f, "PH"});
  f = kRa;
  f.usableDepth = "0★";
  cases.push_back({f, "ED"});
  for (const Case& c : cases) {
    cad.resetCounters();
    EnclosureResult r = drawEnclosure(session, {"RA", c.f});
    EXPECT_EQ(r.status, EnclosureResult::Status::MissingValue);
    EXPECT_EQ(r.missing, c.missing);
    EXPECT_TRUE(cad.prompts().empty()) << "no pick was asked for";
  }
  EXPECT_TRUE(window.events.empty());
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
}

TEST_F(EnclosureDrawing, NotRunningDoesNothing) {
  cad.unregister();
  EXPECT_EQ(draw("RA", kRa).status, EnclosureResult::Status::NotRunning);
  EXPECT_TRUE(window.events.empty());
}

TEST_F(EnclosureDrawing, ASecondEnclosureAddsNoBlockDefinition) {
  draw("E", {"EB-6012", "両扉", "600", "1200", "350", "520", "1100", "315", "", ""});
  std::size_t blocks = cad.drawing().blocks.size();
  draw("E", {"EB-6012", "両扉", "600", "1200", "350", "520", "1100", "315", "", ""}, 5000, 0);
  EXPECT_EQ(cad.drawing().blocks.size(), blocks);
  EXPECT_EQ(refs("TOVEKHDLE").size(), 4u);
}

TEST_F(EnclosureDrawing, ExistingHandleBlockOfOtherGeometryIsUsedAsItIs) {
  cad::Block mine = doc.blocks().add({0, 0, 0}, "TOVEKHDLRA");
  mine.addCircle({0, 0, 0}, 7);
  draw("RA", kRa);
  EXPECT_EQ(cad.drawing().findBlock("TOVEKHDLRA")->entities.size(), 1u);
  EXPECT_EQ(refs("TOVEKHDLRA").size(), 1u);
}

TEST_F(EnclosureDrawing, DoubleEHandlesAndSideKeysByDepth) {
  ChosenEnclosure e{"EB", "両扉", "800", "1800", "399", "720", "1700", "365", "", ""};
  draw("E", e);
  auto handles = refs("TOVEKHDLE");
  ASSERT_EQ(handles.size(), 2u);
  EXPECT_EQ(handles[0]->p1.x, 400 - 68.5);
  EXPECT_EQ(handles[1]->p1.x, 400 + 68.5);
  auto side = refs("TOVEKEYBS16");
  ASSERT_EQ(side.size(), 1u) << "D 399: one key in the middle";
  EXPECT_EQ(side[0]->p1.x, 800 + 450 + 35 + (399 - 35) / 2.0);
  EXPECT_EQ(side[0]->xScale, 1);
  for (const auto* k : refs("TOVEKEYBF16"))
    EXPECT_EQ(k->xScale, 1);
}

TEST_F(EnclosureDrawing, OrmWindowCornerCases) {
  // WH of no known size: T = 0, the inside frame has no height.
  draw("ORM", {"ORM", "片扉", "600", "800", "250", "540", "740", "220", "400", "200"});
  const cad::sim::Entity* frame = nullptr;
  for (const auto& h : cad.drawing().modelSpace().entities) {
    const auto* e = cad.drawing().findEntity(h);
    if (e->type == cad::sim::EntityType::Polyline && e->closed && e->vertices.size() == 4 &&
        e->vertices[0].x > 600 + 300 + 250 + 200)
      frame = e;  // the last closed rectangle of the inside view
  }
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->vertices[0].y, frame->vertices[1].y);
  EXPECT_EQ(frame->vertices[0].x, 1350 + 300 - 252.5) << "WL = 600 - 95 = 505";
}

TEST_F(EnclosureDrawing, OrmFrameDepthZeroPutsTheBracketAtTheUsableDepth) {
  // D 250, W 950, H 800: neither 193 (W > 900) nor 187 (W, H < 1000), so a = 0 and s = ED.
  draw("ORM", {"ORM", "片扉", "950", "800", "250", "890", "740", "220", "500", "215"});
  bool found = false;
  for (const auto& h : cad.drawing().modelSpace().entities) {
    const auto* e = cad.drawing().findEntity(h);
    if (e->type == cad::sim::EntityType::Polyline && e->linetype == "HIDDEN" &&
        e->vertices.size() == 4 && e->vertices[1].x == 950 + 300 + 220 &&
        e->vertices[0].x == 950 + 300 + 237)
      found = true;
  }
  EXPECT_TRUE(found) << "bracket from s = 220 to s + 17";
}

TEST_F(EnclosureDrawing, RefusedDimensionsAreSkippedAndTheRestIsDrawn) {
  // A plate as wide as the box: the first and last dimensions of the top chain have no length.
  ChosenEnclosure f = kRa;
  f.plateWidth = "500";
  EnclosureResult r = draw("RA", f);
  EXPECT_EQ(r.status, EnclosureResult::Status::Drawn);
  EXPECT_EQ(r.dimensionsSkipped, 2);
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 18u - 2u);
}

TEST_F(EnclosureDrawing, AnyOtherRefusedCallEndsTheCommandAndKeepsWhatWasDrawn) {
  cad.failMember("InsertBlock");
  EXPECT_THROW(draw("RA", kRa), cad::AutomationError);
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 2u) << "outline and door stay";
  EXPECT_EQ(window.events.back(), "restore");
}

}  // namespace
}  // namespace qarn::enclosure
