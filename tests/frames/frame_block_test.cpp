#include <gtest/gtest.h>

#include "cad/automation_error.h"
#include "frame_test_support.h"
#include "frames/device_layers.h"
#include "frames/frame_block.h"

namespace qarn::frames {
namespace {

using cad::Point3;
using cad::sim::EntityType;

class FrameBlock : public testing::FrameTest {
 protected:
  bool ensure() { return EnsureFrameBlock(doc, "TOVEK_RA100", session.CadProgId); }
  std::vector<const cad::sim::Entity*> contents(const std::string& block) const {
    std::vector<const cad::sim::Entity*> out;
    for (const auto& h : cad.drawing().findBlock(block)->entities)
      out.push_back(cad.drawing().findEntity(h));
    return out;
  }
};

TEST_F(FrameBlock, IsTheSquareAndSixAttributeDefinitionsInOrder) {
  ASSERT_TRUE(ensure());
  auto e = contents("TOVEK_RA100");
  ASSERT_EQ(e.size(), 7u);
  EXPECT_EQ(cad.drawing().findBlock("TOVEK_RA100")->origin, (Point3{0, 0, 0}));
  const auto& square = *e[0];
  EXPECT_EQ(square.type, EntityType::Polyline);
  EXPECT_TRUE(square.closed);
  ASSERT_EQ(square.vertices.size(), 4u);
  const double corners[4][2] = {{-50, -50}, {-50, 50}, {50, 50}, {50, -50}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(square.vertices[i].x, corners[i][0]) << i;
    EXPECT_EQ(square.vertices[i].y, corners[i][1]) << i;
  }
  EXPECT_EQ(square.layer, "0");
  EXPECT_EQ(square.color, 0);
  EXPECT_EQ(square.linetype, "BYBLOCK");

  struct Def {
    const char* tag;
    const char* prompt;
    double height;
    bool invisible;
    const char* layer;
    double y;
    int alignment;
    double widthFactor;
  };
  const Def want[] = {
      {"NAME", "器具番号", 18, false, "TOVEK_NAME", 0, 10, 0.75},
      {"TYPE", "型式", 5, false, "TOVEK_TYPE", -50, 13, 0.6},
      {"SPEC", "定格", 5, false, "TOVEK_SPEC", -50, 7, 0.6},
      {"AUX1", "補助1", 5, false, "TOVEK_AUX1", -60, 7, 0.6},
      {"AUX2", "補助2", 5, true, "TOVEK_AUX2", -70, 7, 0.6},
      {"CUT", "カット", 5, true, "TOVEK_AUX2", -80, 7, 0.6},
  };
  for (int i = 0; i < 6; ++i) {
    const auto& d = *e[i + 1];
    const Def& w = want[i];
    EXPECT_EQ(d.type, EntityType::AttributeDef);
    EXPECT_EQ(d.tag, w.tag);
    EXPECT_EQ(d.prompt, w.prompt);
    EXPECT_EQ(d.text, "");
    EXPECT_DOUBLE_EQ(d.height, w.height) << w.tag;
    EXPECT_EQ(d.invisible, w.invisible) << w.tag;
    EXPECT_FALSE(d.constant);
    EXPECT_EQ(d.layer, w.layer) << w.tag;
    EXPECT_EQ(d.color, 256);
    EXPECT_EQ(d.alignment, w.alignment) << w.tag;
    EXPECT_EQ(d.p1, (Point3{0, w.y, 0})) << w.tag;
    EXPECT_EQ(d.p2, (Point3{0, w.y, 0})) << w.tag;
    EXPECT_DOUBLE_EQ(d.widthFactor, w.widthFactor) << w.tag;
  }
  // The attribute layers are made with their colours; the frame's own layer is the caller's.
  for (auto [name, color] : {std::pair{"TOVEK_NAME", 4},
                             {"TOVEK_TYPE", 7},
                             {"TOVEK_SPEC", 2},
                             {"TOVEK_AUX1", 1},
                             {"TOVEK_AUX2", 7}})
    EXPECT_EQ(cad.drawing().findLayer(name)->color, color) << name;
  EXPECT_FALSE(cad.drawing().findLayer("TOVEK_FRONT"));
  EXPECT_FALSE(cad.drawing().findLayer("TOVEK_CUT"));
}

TEST_F(FrameBlock, AnExistingBlockAndExistingLayersStayAsTheyAre) {
  doc.layers().add("TOVEK_SPEC").setColor(30);
  ASSERT_TRUE(ensure());
  long calls = cad.callCount();
  ASSERT_TRUE(ensure());
  EXPECT_EQ(contents("TOVEK_RA100").size(), 7u);
  EXPECT_LT(cad.callCount() - calls, 10) << "a second call only looks the block up";
  EXPECT_EQ(cad.drawing().findLayer("TOVEK_SPEC")->color, 30);
}

TEST_F(FrameBlock, ARefusedDefinitionIsLeftOutAndTheOthersAreMade) {
  // A CAD that refuses text alignment points: every definition stops at that step, the square and
  // the definitions are there all the same.
  cad.failMember("TextAlignmentPoint");
  ASSERT_TRUE(ensure());
  auto e = contents("TOVEK_RA100");
  ASSERT_EQ(e.size(), 7u);
  EXPECT_EQ(e[6]->tag, "CUT");
  cad.clearFaults();
  cad.failMember("AddLightWeightPolyline");
  ASSERT_TRUE(EnsureFrameBlock(doc, "OTHER", session.CadProgId));
  EXPECT_EQ(contents("OTHER").size(), 6u) << "no square, six definitions";
}

TEST(DeviceLayers, TheNineLayersWithTheirLabelsAndColours) {
  std::vector<std::string> names;
  for (const auto& l : deviceLayers())
    names.push_back(l.name);
  EXPECT_EQ(names, (std::vector<std::string>{"TOVEK_FRONT", "TOVEK_CUT", "TOVEK_SIDE", "TOVEK_BODY",
                                             "TOVEK_NAME", "TOVEK_TYPE", "TOVEK_SPEC", "TOVEK_AUX1",
                                             "TOVEK_AUX2"}));
  EXPECT_STREQ(findDeviceLayer("TOVEK_BODY")->linetype, "HIDDEN");
  EXPECT_EQ(findDeviceLayer("TOVEK_CUT")->color, 253);
  EXPECT_STREQ(findDeviceLayer("TOVEK_AUX2")->label, "補助２/ CUT");
  EXPECT_FALSE(findDeviceLayer("tovek_front"));
}

}  // namespace
}  // namespace qarn::frames
