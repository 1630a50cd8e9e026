#include <gtest/gtest.h>

#include "frame_test_support.h"
#include "frames/mounting_holes.h"

namespace qarn::frames {
namespace {

using cad::Point3;
using cad::sim::EntityType;
using Status = HolesResult::Status;

void expectNear(Point3 a, Point3 b, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, 1e-9) << what;
  EXPECT_NEAR(a.y, b.y, 1e-9) << what;
}

class MountingHoles : public testing::FrameTest {
 protected:
  HolesResult holes(const std::string& frame) {
    cad.operatorPick(frame, {100, 100, 0});
    return Button10Click(session);
  }
  // A cross's two lines after the hole: horizontal then vertical.
  void expectCross(const std::vector<const cad::sim::Entity*>& e, std::size_t at, Point3 c,
                   double dx, double dy) {
    ASSERT_GT(e.size(), at + 1);
    expectNear(e[at]->p1, {c.x + dx, c.y, 0}, "horizontal start");
    expectNear(e[at]->p2, {c.x - dx, c.y, 0}, "horizontal end");
    expectNear(e[at + 1]->p1, {c.x, c.y + dy, 0}, "vertical start");
    expectNear(e[at + 1]->p2, {c.x, c.y - dy, 0}, "vertical end");
    for (std::size_t i : {at, at + 1}) {
      EXPECT_EQ(e[i]->type, EntityType::Line);
      EXPECT_EQ(e[i]->layer, "TOVEK_CUT");
      EXPECT_EQ(e[i]->linetype, "BYLAYER");
      EXPECT_EQ(e[i]->color, 256);
    }
  }
};

TEST_F(MountingHoles, ARoundHoleWithItsCrossAtTheFrameCentre) {
  long undoMarks = cad.callCount("StartUndoMark");
  HolesResult r = holes(placeFrame("45 80 75 0 0", "ABC", "C:22"));
  ASSERT_EQ(r.status, Status::Drawn);
  EXPECT_EQ(r.block, "TOVEKHALABC");
  auto e = contents("TOVEKHALABC");
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0]->type, EntityType::Circle);
  EXPECT_EQ(e[0]->p1, (Point3{0, 0, 0}));
  EXPECT_DOUBLE_EQ(e[0]->radius, 11);
  EXPECT_EQ(e[0]->layer, "TOVEK_CUT");
  EXPECT_EQ(e[0]->linetype, "BYLAYER");
  expectCross(e, 1, {0, 0, 0}, 13.2, 13.2);  // 26.4 long both ways
  const auto& ref = entity(cad.drawing().lastEntity());
  EXPECT_EQ(ref.blockName, "TOVEKHALABC");
  EXPECT_EQ(ref.p1, (Point3{100, 100, 0}));
  EXPECT_EQ(ref.layer, "0") << "the current layer";
  EXPECT_EQ(cad.drawing().findLayer("TOVEK_CUT")->color, 253);
  EXPECT_EQ(cad.callCount("StartUndoMark"), undoMarks + 1) << "only the frame's own group";
}

TEST_F(MountingHoles, RectanglesPairsAndStrayCoordinates) {
  holes(placeFrame("", "RECT", "r:30x20 0 15"));
  auto e = contents("TOVEKHALRECT");
  ASSERT_EQ(e.size(), 3u);
  std::vector<double> xy;
  for (const auto& v : e[0]->vertices) {
    xy.push_back(v.x);
    xy.push_back(v.y);
  }
  EXPECT_EQ(xy, (std::vector<double>{15, 25, -15, 25, -15, 5, 15, 5}));
  EXPECT_TRUE(e[0]->closed);
  EXPECT_EQ(e[0]->linetype, "BYLayer");
  expectCross(e, 1, {0, 15, 0}, 18, 12);  // 36 wide and 24 high

  holes(placeFrame("", "ONE", "C:4 10"));
  e = contents("TOVEKHALONE");
  ASSERT_EQ(e.size(), 3u) << "the single coordinate draws nothing";
  EXPECT_EQ(e[0]->p1, (Point3{0, 0, 0}));

  holes(placeFrame("", "TWO", "C:4 10 R:8X8"));
  e = contents("TOVEKHALTWO");
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e[0]->p1, (Point3{0, 0, 0})) << "the item after 10 is a hole: no pair";
  EXPECT_EQ(e[3]->vertices[0].x, 4);

  holes(placeFrame("", "DIAG", "C:4 -20 30, C:4 20 -30"));
  e = contents("TOVEKHALDIAG");
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e[0]->p1, (Point3{-20, 30, 0}));
  EXPECT_EQ(e[3]->p1, (Point3{20, -30, 0}));
  expectCross(e, 4, {20, -30, 0}, 2.4, 2.4);
}

TEST_F(MountingHoles, TheBlockIsMadeOncePerModel) {
  holes(placeFrame("", "ABC", "C:22"));
  HolesResult r = holes(placeFrame("", "ABC", "R:50X50"));
  EXPECT_EQ(r.status, Status::Drawn);
  EXPECT_EQ(contents("TOVEKHALABC").size(), 3u) << "the first code's block, unchanged";
  int refs = 0;
  for (const auto* f : frames())
    refs += f->blockName == "TOVEKHALABC" ? 1 : 0;
  EXPECT_EQ(refs, 2);
}

TEST_F(MountingHoles, NoHoleDataIsSaidAndNothingIsLeftBehind) {
  std::string noCut = placeFrame("", "ABC", "");
  std::string noType = placeFrame("", "", "C:22");
  std::string nothingToDraw = placeFrame("", "ZERO", "C:0 R:10X0 X:5");
  std::string line = doc.modelSpace().addLine({0, 0, 0}, {1, 1, 0}).handle();
  for (const std::string& h : {noCut, noType, nothingToDraw, line}) {
    window.events.clear();
    HolesResult r = holes(h);
    EXPECT_EQ(r.status, Status::NoData) << h;
    EXPECT_EQ(r.message, "取付孔データがありません．");
    EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore", "front"}))
        << "back after the pick, then in front for the message";
  }
  EXPECT_FALSE(cad.drawing().findBlock("TOVEKHALZERO")) << "no empty block to reuse later";
  EXPECT_FALSE(cad.drawing().findBlock("TOVEKHAL"));
  // Models whose names clean to the same text keep holes of their own.
  HolesResult slash = holes(placeFrame("", "A/B", "C:3"));
  HolesResult colon = holes(placeFrame("", "A:B", "R:8X8"));
  ASSERT_EQ(slash.status, Status::Drawn);
  ASSERT_EQ(colon.status, Status::Drawn);
  EXPECT_EQ(slash.block.substr(0, 12), "TOVEKHALA_B_");
  EXPECT_NE(slash.block, colon.block);
  EXPECT_EQ(contents(slash.block)[0]->type, EntityType::Circle);
  EXPECT_EQ(contents(colon.block)[0]->type, EntityType::Polyline);
  EXPECT_EQ(cad.prompts().back(), "取付孔を描く正面図形を選択 : ");
}

TEST_F(MountingHoles, ARefusedInsertionOfTheFinishedBlockIsIgnored) {
  std::string front = placeFrame("", "ABC", "C:22");
  cad.failMember("InsertBlock");
  HolesResult r;
  EXPECT_NO_THROW(r = holes(front));
  EXPECT_EQ(r.status, Status::Drawn);
  EXPECT_EQ(contents("TOVEKHALABC").size(), 3u) << "the block is made all the same";
}

TEST(CutCode, ItemsPairsAndSizes) {
  auto holes = parseCutCode("c:4 -20 30,R:8x6 1 C:5 2 3 junk 7 C:x");
  ASSERT_EQ(holes.size(), 4u);
  EXPECT_EQ(holes[0].centre, (Point3{-20, 30, 0}));
  EXPECT_FALSE(holes[1].circle);
  EXPECT_EQ(holes[1].width, 8);
  EXPECT_EQ(holes[1].height, 6);
  EXPECT_EQ(holes[1].centre, (Point3{0, 0, 0})) << "1 then a hole: no pair";
  EXPECT_EQ(holes[2].centre, (Point3{2, 3, 0}));
  EXPECT_FALSE(holes[3].drawable()) << "a size that is no number draws nothing";
  EXPECT_TRUE(parseCutCode("").empty());
  EXPECT_FALSE(parseCutCode("R:12").front().drawable()) << "no height";
}

}  // namespace
}  // namespace qarn::frames
