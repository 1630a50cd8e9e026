#include <gtest/gtest.h>

#include "frame_test_support.h"
#include "frames/frame_row.h"

namespace qarn::frames {
namespace {

using cad::Block;
using cad::Layer;
using cad::Point3;

class FrontPlacement : public testing::FrameTest {
 protected:
  // A relay 28 x 36 chosen in the grid, placed at its centre.
  FrontInput relay() {
    FrontInput in;
    in.gridModel = "MY4N";
    in.width = "28";
    in.height = "36";
    in.poles = "4";
    in.baseSw = 4;
    in.fields.number = "X1";
    return in;
  }
  FrontResult place(const FrontInput& in, Point3 at = {0, 0, 0}) {
    cad.operatorPoint(at.x, at.y);
    return placeFront(session, in);
  }
};

TEST_F(FrontPlacement, ATerminalBlockIsAsWideAsItsPolesAndEndPieces) {
  FrontInput in = relay();
  in.gridModel = "ABC";
  in.width = "6";
  in.height = "40";
  in.endWidth = "3";
  in.terminalMode = true;
  in.poles = "12";
  FrontResult r = place(in);
  EXPECT_EQ(r.model, "ABC x 12P");
  EXPECT_DOUBLE_EQ(r.width, 78);
  EXPECT_DOUBLE_EQ(newestFrame().xScale, 0.78);
  EXPECT_EQ(attribute(newestFrame(), "TYPE")->text, "ABC x 12P");
  // Poles that are not a whole number count as none: only the two end pieces are left.
  in.poles = "x";
  EXPECT_DOUBLE_EQ(place(in).width, 6);
}

TEST_F(FrontPlacement, TheOffsetMovesALeftOrRightBasePointOutward) {
  EXPECT_FALSE(offsetApplies(true, 4)) << "centre: the offset box has no effect";
  EXPECT_FALSE(offsetApplies(false, 0));
  for (int b : {0, 1, 2, 6, 7, 8})
    EXPECT_TRUE(offsetApplies(true, b)) << b;
  for (int b : {3, 4, 5})
    EXPECT_FALSE(offsetApplies(true, b)) << b;

  // "右下" with offset 10 picked at (200, 100): the bottom-right corner lands 10 to the left.
  FrontInput in = relay();
  in.baseSw = 8;
  in.offsetEnabled = true;
  in.offset = "10";
  place(in, {200, 100, 0});
  EXPECT_EQ(newestFrame().p1, (Point3{200 - 10 - 14, 100 + 18, 0}));
  // A disabled offset field is not read.
  in.offsetEnabled = false;
  place(in, {200, 100, 0});
  EXPECT_EQ(newestFrame().p1, (Point3{200 - 14, 100 + 18, 0}));
}

TEST_F(FrontPlacement, TheDeviceNumberCountsOnAfterAPlacement) {
  struct Case {
    const char* before;
    const char* after;
  };
  for (Case c : {Case{"X1", "X2"}, {"CB-09A", "CB-10A"}, {"07", "8"}, {"MC", "MC"}, {"", ""}}) {
    FrontInput in = relay();
    in.fields.number = c.before;
    EXPECT_EQ(place(in).number, c.after) << c.before;
    EXPECT_EQ(name(newestFrame()), c.before);
  }
  // After a row the number moves on from the last copy.
  FrontInput in = relay();
  in.fields = testing::inRow("MC12A", "3", "2");
  FrontResult r = place(in);
  EXPECT_EQ(r.insert.placed, 3);
  EXPECT_EQ(r.number, "MC15A");
}

TEST_F(FrontPlacement, MissingSizesDoNothingAtAll) {
  long before = cad.callCount();
  for (auto [w, h] : {std::pair{"", "36"}, {"28", "abc"}, {"0", "36"}, {"28", "-5"}}) {
    FrontInput in = relay();
    in.width = w;
    in.height = h;
    FrontResult r = place(in);
    EXPECT_FALSE(r.sized) << w << " x " << h;
    EXPECT_EQ(r.number, "X1");
  }
  EXPECT_EQ(cad.callCount(), before) << "the CAD was not even asked";
}

TEST_F(FrontPlacement, ANotRunningCadLeavesTheNumber) {
  cad.unregister();
  FrontResult r = place(relay());
  EXPECT_TRUE(r.sized);
  EXPECT_FALSE(r.insert.result);
  EXPECT_EQ(r.number, "X1");
}

TEST(FrameRow, ARowChoiceFillsTheFieldsAndTheTerminalRule) {
  catalogue::Fields f{"端子台", "TB-15", "15A 600V", "春日", "",    "10", "40",
                      "30.50",  "",      "x",        "4.5",  "AUX", "",   "C:3.2"};
  FrameRow r = chooseFrameRow(f);
  EXPECT_EQ(r.model, "TB-15");
  EXPECT_EQ(r.rating, "15A 600V");
  EXPECT_EQ(r.width, "10");
  EXPECT_EQ(r.depth, "30.50");
  EXPECT_EQ(r.endWidth, "4.5");
  EXPECT_EQ(r.auxiliary, "AUX");
  EXPECT_EQ(r.cut, "C:3.2");
  EXPECT_EQ(r.dimensions, "10 40 30.5 0 0");
  EXPECT_TRUE(r.terminalBlock);
  f[0] = "小型端子台";
  EXPECT_FALSE(chooseFrameRow(f).terminalBlock) << "the name must begin with it";
  EXPECT_EQ(modelText("TB-15", true, "12"), "TB-15 x 12P");
  EXPECT_EQ(modelText("TB-15", false, "12"), "TB-15");
}

}  // namespace
}  // namespace qarn::frames
