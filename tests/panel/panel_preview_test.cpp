#include <gtest/gtest.h>

#include "panel/panel_preview.h"

namespace qarn::panel {
namespace {

using Kind = Primitive::Kind;

std::vector<std::vector<int>> lines(const std::vector<Primitive>& ps, bool grey = false) {
  std::vector<std::vector<int>> out;
  for (const auto& p : ps)
    if (p.kind == Kind::Line && p.grey == grey) out.push_back({p.x0, p.y0, p.x1, p.y1});
  return out;
}
std::vector<std::vector<double>> rounds(const std::vector<Primitive>& ps) {
  std::vector<std::vector<double>> out;
  for (const auto& p : ps)
    if (p.kind != Kind::Line)
      out.push_back({double(p.cx), double(p.cy), double(p.r), p.startDegrees, p.spanDegrees});
  return out;
}

TEST(PanelPreview, APushButtonWithAndWithoutItsPlate) {
  // 90 x 90 pixels: 90 / 70 pixels a unit, the centre at (45, 54).
  auto ps = DrawTovekImage({"22", "22", "0", true}, 90, 90);
  EXPECT_EQ(lines(ps, true), (std::vector<std::vector<int>>{{0, 54, 90, 54}, {45, 0, 45, 90}}));
  // The plate: 15 units = 19 pixels aside, its top 25 units = 32 pixels up.
  EXPECT_EQ(lines(ps),
            (std::vector<std::vector<int>>{{64, 54, 64, 22}, {64, 22, 26, 22}, {26, 22, 26, 54}}));
  EXPECT_EQ(rounds(ps), (std::vector<std::vector<double>>{
                            {45, 54, 19, 180, 180}, {45, 54, 19, 0, 360}, {45, 54, 14, 0, 360}}));
  auto bare = DrawTovekImage({"22", "22", "0", false}, 90, 90);
  EXPECT_TRUE(lines(bare).empty());
  EXPECT_EQ(rounds(bare).size(), 2u);
}

TEST(PanelPreview, ARectangleFillsTwoThirdsOfTheLongerSide) {
  for (bool plate : {true, false}) {
    auto ps = DrawTovekImage({"96", "48", "4", plate}, 90, 90);
    EXPECT_EQ(lines(ps),
              (std::vector<std::vector<int>>{
                  {75, 60, 75, 30}, {75, 30, 15, 30}, {15, 30, 15, 60}, {15, 60, 75, 60}}));
    EXPECT_TRUE(rounds(ps).empty());
  }
}

TEST(PanelPreview, MissingSizesDrawWhatCanBeDrawn) {
  // No W: 30, the "other" size class (ring 17.5 = 22 pixels).
  auto other = DrawTovekImage({"", "", "5", false}, 90, 90);
  ASSERT_EQ(rounds(other).size(), 1u);
  EXPECT_EQ(rounds(other)[0][2], 22);
  // A rectangle without any size has no scale: the cross alone.
  EXPECT_EQ(DrawTovekImage({"0", "0", "4", true}, 90, 90).size(), 2u);
  // A meter without height: its outline and scale line, no arc and no pointer.
  auto flat = DrawTovekImage({"80", "0", "6", true}, 90, 90);
  EXPECT_TRUE(rounds(flat).empty());
  EXPECT_EQ(lines(flat).size(), 5u);
  // With its height: the arc from 54 to 126 degrees and the pointer.
  auto meter = DrawTovekImage({"80", "80", "6", false}, 140, 140);
  ASSERT_EQ(rounds(meter).size(), 1u);
  EXPECT_EQ(rounds(meter)[0], (std::vector<double>{70, 70 + 24, 54, 54, 72}));
  EXPECT_EQ(lines(meter).size(), 6u);
}

TEST(PanelPreview, MarksOfTheLampAndHandlesOfTheSwitches) {
  // The lamp's four marks at 45 degrees, from radius 10 to 7 (x and y of 7.07 and 4.95 units).
  auto lamp = DrawTovekImage({"22", "22", "1", false}, 70, 70);  // one pixel a unit
  EXPECT_EQ(lines(lamp), (std::vector<std::vector<int>>{{35 - 7, 42 - 7, 35 - 4, 42 - 4},
                                                        {35 - 7, 42 + 7, 35 - 4, 42 + 4},
                                                        {35 + 7, 42 + 7, 35 + 4, 42 + 4},
                                                        {35 + 7, 42 - 7, 35 + 4, 42 - 4}}));
  auto upright = DrawTovekImage({"22", "22", "3", false}, 70, 70);
  EXPECT_EQ(lines(upright), (std::vector<std::vector<int>>{{37, 31, 37, 53}, {33, 31, 33, 53}}));
  EXPECT_EQ(lines(DrawTovekImage({"22", "22", "2", false}, 70, 70)).size(), 2u);
}

}  // namespace
}  // namespace qarn::panel
