#include <gtest/gtest.h>

#include <numbers>

#include "frame_test_support.h"
#include "frames/partitions.h"

namespace qarn::frames {
namespace {

using cad::Point3;

class Partitions : public testing::FrameTest {
 protected:
  // A terminal block of `poles` poles of `pitch` with ends `end`, centred at (100, 50).
  std::string terminal(int poles, int pitch, double end) {
    double w = poles * pitch + 2 * end;
    return placeFrame(std::to_string(pitch) + " 40 30 0 0", "TB", "", w, 40, {100, 50, 0});
  }
  PartitionsResult partition(const std::string& frame) {
    cad.operatorPick(frame, {100, 50, 0});
    return Button22Click(session);
  }
  // The lines of model space added since `from`, as (x0, y0, x1, y1).
  std::vector<std::vector<double>> linesSince(std::size_t from) {
    std::vector<std::vector<double>> out;
    const auto& ms = cad.drawing().modelSpace().entities;
    for (std::size_t i = from; i < ms.size(); ++i) {
      const auto& e = entity(ms[i]);
      if (e.type == cad::sim::EntityType::Line) out.push_back({e.p1.x, e.p1.y, e.p2.x, e.p2.y});
    }
    return out;
  }
  static void expectLine(const std::vector<double>& got, std::vector<double> want) {
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(got[i], want[i], 1e-9) << i;
  }
};

TEST_F(Partitions, TenPolesGetElevenBoundariesInFromBothEdges) {
  std::string tb = terminal(10, 6, 2);  // 64 x 40
  std::size_t from = cad.drawing().modelSpace().entities.size();
  PartitionsResult r = partition(tb);
  EXPECT_EQ(r.boundaries, 11);
  EXPECT_EQ(r.lines, 22);
  auto lines = linesSince(from);
  ASSERT_EQ(lines.size(), 22u);
  for (int k = 0; k <= 10; ++k) {
    double x = 100 - 30 + 6 * k;
    expectLine(lines[2 * k], {x, 70, x, 65});
    expectLine(lines[2 * k + 1], {x, 30, x, 35});
  }
  const auto& first = entity(cad.drawing().modelSpace().entities[from]);
  EXPECT_EQ(first.layer, "TOVEK_FRONT");
  EXPECT_EQ(first.linetype, "HIDDEN");
  EXPECT_EQ(first.color, 252);
  EXPECT_TRUE(cad.drawing().findLinetype("HIDDEN")) << "loaded before the first line";
  ASSERT_EQ(cad.drawing().groups.size(), 1u);
  EXPECT_EQ(cad.drawing().groups[0].name, r.group);
  EXPECT_EQ(cad.drawing().groups[0].members.size(), 22u);
  EXPECT_EQ(cad.openUndoGroups(), 0);
  ASSERT_TRUE(cad.undo());
  EXPECT_TRUE(linesSince(from).empty()) << "one undo takes them all back";
  EXPECT_TRUE(cad.drawing().findEntity(tb)) << "and only them: the terminal block stays";
}

TEST_F(Partitions, TheLinesFollowTheFramesRotation) {
  std::string tb = terminal(10, 6, 2);
  cad::BlockReference(doc.handleToObject(tb)).setRotation(std::numbers::pi / 2);
  std::size_t from = cad.drawing().modelSpace().entities.size();
  partition(tb);
  auto lines = linesSince(from);
  ASSERT_EQ(lines.size(), 22u);
  // The centre line now runs upwards; "above" is to the left of it.
  expectLine(lines[0], {80, 20, 85, 20});
  expectLine(lines[1], {120, 20, 115, 20});
  expectLine(lines[21], {120, 80, 115, 80});
}

TEST_F(Partitions, BoundariesComeFromTheFramesWidthAndAnIntegerPitch) {
  struct Case {
    int poles, pitch;
    double end;
    int boundaries;
  };
  // Wide ends add a boundary (66 / 6 = 11); 19 poles of 6 read 113.99999999999999 wide.
  for (Case c : {Case{10, 6, 3, 12}, {19, 6, 0, 20}, {12, 10, 4.5, 13}}) {
    PartitionsResult r = partition(terminal(c.poles, c.pitch, c.end));
    EXPECT_EQ(r.boundaries, c.boundaries) << c.poles << " x " << c.pitch;
  }
  // An ordinary frame counts as one pole: its two edges.
  std::size_t from = cad.drawing().modelSpace().entities.size();
  PartitionsResult one = partition(placeFrame("45 80 75 0 0", "X", "", 45, 80, {100, 50, 0}));
  EXPECT_EQ(one.boundaries, 2);
  auto lines = linesSince(from + 1);
  ASSERT_EQ(lines.size(), 4u);
  expectLine(lines[0], {77.5, 90, 77.5, 80});
}

TEST_F(Partitions, NothingSuitableDrawsNothingAndMakesNoGroup) {
  std::string decimal = placeFrame("7.5 40 30 0 0", "TB", "", 60, 40);
  std::string noBlank = placeFrame("6", "TB", "", 60, 40);
  std::string line = doc.modelSpace().addLine({0, 0, 0}, {1, 1, 0}).handle();
  std::size_t count = cad.drawing().modelSpace().entities.size();
  for (const std::string& h : {decimal, noBlank, line})
    EXPECT_EQ(partition(h).lines, 0) << h;
  cad.operatorEscape();
  EXPECT_EQ(Button22Click(session).lines, 0);
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), count);
  EXPECT_TRUE(cad.drawing().groups.empty());
  EXPECT_EQ(cad.openUndoGroups(), 0);
  EXPECT_EQ(cad.prompts().back(), "端子仕切り線を作成する端子図形を選択 : ");
}

}  // namespace
}  // namespace qarn::frames
