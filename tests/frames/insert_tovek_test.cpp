#include <gtest/gtest.h>

#include <numbers>

#include "cad/automation_error.h"
#include "frame_test_support.h"

namespace qarn::frames {
namespace {

using cad::Block;
using cad::Layer;
using cad::Point3;
constexpr double kPi = std::numbers::pi;

class InsertTovekTest : public testing::FrameTest {};

TEST_F(InsertTovekTest, EachBasePointHangsTheFrameOnTheCursorThere) {
  // w 40, h 80, offset 5, picked at (100, 100): the frame's centre lies at the picked point less
  // the base offset of the code.
  struct Case {
    int baseSw;
    std::string copyBase;
    Point3 centre;
  };
  const Case cases[] = {
      {0, "-25,40", {125, 60, 0}}, {1, "-25,0", {125, 100, 0}}, {2, "-25,-40", {125, 140, 0}},
      {3, "0,40", {100, 60, 0}},   {4, "0,0", {100, 100, 0}},   {5, "0,-40", {100, 140, 0}},
      {6, "25,40", {75, 60, 0}},   {7, "25,0", {75, 100, 0}},   {8, "25,-40", {75, 140, 0}},
      {9, "0,0", {100, 100, 0}},   {-1, "0,0", {100, 100, 0}},
  };
  for (const Case& c : cases) {
    FrameFields f = testing::numbered("X1");
    std::size_t sent = cad.transcript().size();
    InsertResult r = insert(f, 40, 80, c.baseSw, 5, {100, 100, 0});
    EXPECT_TRUE(r.result);
    EXPECT_EQ(r.placed, 1);
    const auto& frame = newestFrame();
    EXPECT_EQ(frame.p1, c.centre) << "base " << c.baseSw;
    ASSERT_EQ(cad.transcript().size(), sent + 3);
    EXPECT_EQ(cad.transcript()[sent], "_COPYBASE\rnone\r" + c.copyBase + ",0\rSINGLE LAST\r");
    EXPECT_EQ(cad.transcript()[sent + 1], "_ERASE SINGLE LAST\r");
    EXPECT_EQ(cad.transcript()[sent + 2], "_PASTECLIP\r");
  }
  // Base 0: the top-left corner (125 - 20, 60 + 40) lands 5 to the right of the picked point.
  EXPECT_EQ(frames().size(), 11u) << "every paste left one frame and nothing else";
}

TEST_F(InsertTovekTest, TheFrameCarriesTheFieldsScaledAndOnItsLayers) {
  cad.drawing().variables["DIMSCALE"] = cad::Value(10.0);
  FrameFields f = testing::numbered("MC1");
  f.rating = "Φ22 ±5°";
  f.auxiliary = "AUX φ1";
  f.dimensions = "45 80 75.5 0 0";
  f.cut = "Φ3";
  cad.operatorPoint(0, 0);
  InsertResult r = InsertTovek(session, 45, 80, 4, "ABC Φ", "TOVEK_FRONT", 0, f);
  ASSERT_TRUE(r.result);
  const auto& frame = newestFrame();
  EXPECT_EQ(frame.blockName, "TOVEK_RA100");
  EXPECT_EQ(frame.layer, "TOVEK_FRONT");
  EXPECT_DOUBLE_EQ(frame.xScale, 0.45);
  EXPECT_DOUBLE_EQ(frame.yScale, 0.8);
  EXPECT_DOUBLE_EQ(frame.rotation, 0);
  struct Expected {
    const char* tag;
    const char* text;
    double height, widthFactor;
    const char* layer;
  };
  // Only SPEC, AUX1 and AUX2 go through the symbol conversion.
  const Expected want[] = {
      {"NAME", "MC1", 18, 0.75, "TOVEK_NAME"},          {"TYPE", "ABC Φ", 6, 0.6, "TOVEK_TYPE"},
      {"SPEC", "%%C22 %%P5%%D", 6, 0.6, "TOVEK_SPEC"},  {"AUX1", "AUX %%C1", 6, 0.6, "TOVEK_AUX1"},
      {"AUX2", "45 80 75.5 0 0", 6, 0.6, "TOVEK_AUX2"}, {"CUT", "Φ3", 6, 0.6, "TOVEK_AUX2"},
  };
  ASSERT_EQ(frame.attributes.size(), 6u);
  for (const Expected& e : want) {
    const auto* a = attribute(frame, e.tag);
    ASSERT_TRUE(a) << e.tag;
    EXPECT_EQ(a->text, e.text) << e.tag;
    EXPECT_DOUBLE_EQ(a->height, e.height) << e.tag;
    EXPECT_DOUBLE_EQ(a->widthFactor, e.widthFactor) << e.tag;
    EXPECT_EQ(a->layer, e.layer) << e.tag;
    EXPECT_DOUBLE_EQ(a->rotation, 0) << e.tag;
  }
  // The model stands on the bottom edge inside the frame: (0, -50) of the block, scaled 0.8.
  EXPECT_EQ(attribute(frame, "TYPE")->p2, (Point3{0, -40, 0}));
  EXPECT_TRUE(attribute(frame, "CUT")->invisible);
  EXPECT_EQ(f.number, "MC1") << "a single frame leaves the device number to the caller";
}

TEST_F(InsertTovekTest, ADimscaleOfZeroOrLessGivesTheHeightsOfScaleOne) {
  for (double dimscale : {0.0, -2.0}) {
    cad.drawing().variables["DIMSCALE"] = cad::Value(dimscale);
    FrameFields f = testing::numbered("Q1");
    ASSERT_TRUE(insert(f).result);
    EXPECT_DOUBLE_EQ(attribute(newestFrame(), "NAME")->height, 1.8) << dimscale;
    EXPECT_DOUBLE_EQ(attribute(newestFrame(), "SPEC")->height, 0.6) << dimscale;
  }
}

TEST_F(InsertTovekTest, ANumberWiderThanATallFrameReadsUpwards) {
  // DIMSCALE 10: "MC12A" is 5 x 0.6 x 18 x 0.75 = 40.5 wide; "制御盤１" 4 x 18 x 0.75 = 54.
  cad.drawing().variables["DIMSCALE"] = cad::Value(10.0);
  struct Case {
    const char* number;
    double w, h;
    bool turned;
  };
  const Case cases[] = {
      {"MC12A", 30, 80, true},  {"MC12A", 45, 80, false},   {"MC12A", 80, 30, false},
      {"MC12A", 35, 30, false}, {"制御盤１", 45, 80, true}, {"制御盤１", 55, 80, false},
  };
  for (const Case& c : cases) {
    FrameFields f = testing::numbered(c.number);
    ASSERT_TRUE(insert(f, c.w, c.h).result);
    EXPECT_DOUBLE_EQ(attribute(newestFrame(), "NAME")->rotation, c.turned ? kPi / 2 : 0)
        << c.number << " in " << c.w << " x " << c.h;
  }
}

TEST_F(InsertTovekTest, ArrayModeCountsTheCopiesOnToTheRight) {
  FrameFields f = testing::inRow("MC12A", "3", "2");
  InsertResult r = insert(f, 45, 80, 4, 0, {10, 20, 0});
  EXPECT_TRUE(r.result);
  EXPECT_EQ(r.placed, 3);
  auto all = frames();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0]->p1, (Point3{10, 20, 0}));
  EXPECT_EQ(all[1]->p1, (Point3{57, 20, 0}));
  EXPECT_EQ(all[2]->p1, (Point3{104, 20, 0}));
  EXPECT_EQ(name(*all[0]), "MC12A");
  EXPECT_EQ(name(*all[1]), "MC13A");
  EXPECT_EQ(name(*all[2]), "MC14A");
  EXPECT_EQ(f.number, "MC14A");
  EXPECT_NE(all[1]->attributes[0], all[0]->attributes[0]) << "each copy has attributes of its own";
  // One undo takes back the whole placement, copies included.
  EXPECT_EQ(cad.openUndoGroups(), 0);
  ASSERT_TRUE(cad.undo());
  EXPECT_TRUE(frames().empty());
}

TEST_F(InsertTovekTest, ArrayNumbersWithoutDigitsOrWithLeadingZeros) {
  struct Case {
    const char* number;
    std::vector<std::string> shown;
    const char* after;
  };
  const Case cases[] = {
      {"MC", {"MC", "MC", "MC"}, "MC"},
      {"07", {"07", "8", "9"}, "9"},
      {"", {"", "", ""}, ""},
  };
  for (const Case& c : cases) {
    std::size_t before = frames().size();
    FrameFields f = testing::inRow(c.number, "3", "0");
    ASSERT_EQ(insert(f).placed, 3) << c.number;
    auto all = frames();
    for (std::size_t i = 0; i < 3; ++i)
      EXPECT_EQ(name(*all[before + i]), c.shown[i]) << c.number;
    EXPECT_EQ(f.number, c.after);
  }
}

TEST_F(InsertTovekTest, ACountBelowTwoOrNotANumberMakesNoCopies) {
  for (const char* count : {"1", "0", "-3", "x", "2.5", ""}) {
    FrameFields f = testing::inRow("K1", count, "5");
    EXPECT_EQ(insert(f).placed, 1) << count;
    EXPECT_EQ(f.number, "K1");
  }
  EXPECT_EQ(frames().size(), 6u);
}

TEST_F(InsertTovekTest, ACancelledPasteLeavesNothingAndStillCounts) {
  cad.drawing().variables["ATTDIA"] = cad::Value::int16(1);
  FrameFields f = testing::inRow("MC1", "3", "0");
  cad.operatorEscape();
  InsertResult r = InsertTovek(session, 45, 80, 4, "S-T10", "TOVEK_FRONT", 0, f);
  EXPECT_TRUE(r.result);
  EXPECT_EQ(r.placed, 0);
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
  EXPECT_EQ(f.number, "MC1");
  EXPECT_EQ(cad.openUndoGroups(), 0);
  EXPECT_EQ(cad.drawing().variables["ATTDIA"].toInt(), 1);
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));
}

TEST_F(InsertTovekTest, AFrameBlockOfTheDrawingIsUsedAsItStands) {
  // The user's own TOVEK_RA100: a circle, a TYPE and a MEMO attribute, nothing else.
  Block b = doc.blocks().add({0, 0, 0}, "TOVEK_RA100");
  b.addCircle({0, 0, 0}, 50);
  b.addAttribute(3, 0, "型式", {0, 0, 0}, "TYPE", "");
  b.addAttribute(3, 0, "メモ", {0, 10, 0}, "MEMO", "keep");
  FrameFields f = testing::numbered("MC1");
  f.rating = "AC200V";
  InsertResult r = insert(f);
  EXPECT_TRUE(r.result);
  EXPECT_EQ(cad.drawing().findBlock("TOVEK_RA100")->entities.size(), 3u) << "definition unchanged";
  const auto& frame = newestFrame();
  EXPECT_DOUBLE_EQ(frame.xScale, 0.45);
  EXPECT_EQ(attribute(frame, "TYPE")->text, "S-T10");
  EXPECT_EQ(attribute(frame, "MEMO")->text, "keep");
  EXPECT_FALSE(attribute(frame, "NAME"));
}

TEST_F(InsertTovekTest, ALayerThatCannotTakeTheFrameIsSaidAndNothingIsLeft) {
  doc.modelSpace().addCircle({0, 0, 0}, 5);  // the user's own newest entity
  Layer front = doc.layers().add("TOVEK_FRONT");
  struct Case {
    void (Layer::*set)(bool) const;
    const char* state;
  };
  const Case cases[] = {
      {&Layer::setLayerOn, "オフ"}, {&Layer::setFreeze, "フリーズ"}, {&Layer::setLock, "ロック"}};
  for (const Case& c : cases) {
    (front.*c.set)(c.set != &Layer::setLayerOn);
    FrameFields f = testing::numbered("MC1");
    std::size_t sent = cad.transcript().size();
    InsertResult r = insert(f);
    EXPECT_FALSE(r.result) << c.state;
    EXPECT_EQ(r.placed, 0);
    EXPECT_NE(r.refusal.find("画層「TOVEK_FRONT」が"), std::string::npos) << r.refusal;
    EXPECT_NE(r.refusal.find(c.state), std::string::npos) << r.refusal;
    EXPECT_EQ(cad.transcript().size(), sent) << "no command line was sent";
    ASSERT_EQ(cad.drawing().modelSpace().entities.size(), 1u);
    EXPECT_EQ(cad.drawing().findEntity(cad.drawing().lastEntity())->type,
              cad::sim::EntityType::Circle);
    EXPECT_EQ(cad.openUndoGroups(), 0);
    EXPECT_EQ(cad.drawing().variables["ATTREQ"].toInt(), 1);
    (front.*c.set)(c.set == &Layer::setLayerOn);
  }
}

TEST_F(InsertTovekTest, NoSizeOrNoCadPlacesNothing) {
  for (auto [w, h] : {std::pair{0.0, 80.0}, {45.0, -1.0}}) {
    FrameFields f = testing::numbered("MC1");
    InsertResult r = insert(f, w, h);
    EXPECT_FALSE(r.result);
    EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
    EXPECT_EQ(cad.openUndoGroups(), 0);
    EXPECT_EQ(cad.drawing().variables["ATTREQ"].toInt(), 1);
  }
  EXPECT_TRUE(cad.transcript().empty());
  cad.unregister();
  FrameFields f = testing::numbered("MC1");
  EXPECT_FALSE(InsertTovek(session, 45, 80, 4, "", "TOVEK_FRONT", 0, f).result);
  EXPECT_TRUE(window.events.empty());
}

}  // namespace
}  // namespace qarn::frames
