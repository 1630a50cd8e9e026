// What the drawing window shows of a drawing, and how it maps the drawing onto the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cad/drawing_routines.h"
#include "cad/sim/dimension_picture.h"
#include "cad/sim/display_list.h"
#include "cad/sim/view_mapping.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

using sim::DisplayList;
using sim::LineStyle;

class ShownDrawing : public testing::SimFixture {
 protected:
  const sim::Batch* batchOf(const DisplayList& l, std::uint32_t rgb, LineStyle style) {
    for (const auto& b : l.batches)
      if (b.style.rgb == rgb && b.style.line == style) return &b;
    return nullptr;
  }
};

TEST_F(ShownDrawing, LayersGiveColourAndLinetypeAndHideWhatIsOffOrFrozen) {
  EnsureLayer(doc, "SIDE", 1, "HIDDEN", session.CadProgId);
  EnsureLayer(doc, "OFF", 3, "", session.CadProgId);
  EnsureLayer(doc, "ICE", 4, "", session.CadProgId);
  Block ms = doc.modelSpace();
  Entity side = ms.addLine({0, 0, 0}, {100, 0, 0});
  side.setLayer("SIDE");
  ms.addLine({0, 10, 0}, {100, 10, 0}).setLayer("OFF");
  ms.addLine({0, 20, 0}, {100, 20, 0}).setLayer("ICE");
  Entity own = ms.addCircle({0, 0, 0}, 5);
  own.setColor(6);
  Layer(doc.layers().item("OFF")).setLayerOn(false);
  Layer(doc.layers().item("ICE")).setFreeze(true);

  DisplayList l = sim::buildDisplayList(cad.drawing());
  ASSERT_NE(batchOf(l, 0xFF0000, LineStyle::Hidden), nullptr) << "red and dashed as its layer";
  EXPECT_EQ(batchOf(l, 0xFF0000, LineStyle::Hidden)->lines.size(), 1u);
  EXPECT_EQ(batchOf(l, 0x00FF00, LineStyle::Solid), nullptr) << "layer off";
  EXPECT_EQ(batchOf(l, 0x00FFFF, LineStyle::Solid), nullptr) << "layer frozen";
  ASSERT_NE(batchOf(l, 0xFF00FF, LineStyle::Solid), nullptr) << "the entity's own colour";
  EXPECT_EQ(batchOf(l, 0xFF00FF, LineStyle::Solid)->lines.size(), 48u) << "a circle in chords";
  EXPECT_DOUBLE_EQ(l.extents.max.x, 100);
  EXPECT_DOUBLE_EQ(l.extents.min.y, -5);
}

TEST_F(ShownDrawing, ReferencesShowTheirBlocksNestedScaledAndTurnedWithInheritedStyles) {
  EnsureLayer(doc, "FRONT", 5, "", session.CadProgId);
  EnsureLayer(doc, "PARTS", 2, "PHANTOM", session.CadProgId);
  Block inner = doc.blocks().add({0, 0, 0}, "INNER");
  inner.addLine({0, 0, 0}, {10, 0, 0}).setLayer("PARTS");
  Block outer = doc.blocks().add({0, 0, 0}, "OUTER");
  outer.addLine({0, 0, 0}, {0, 20, 0});  // layer 0, by layer: takes the reference's layer
  outer.insertBlock({0, 0, 0}, "INNER");
  outer.addAttribute(5, 0, "器具番号", {0, -10, 0}, "NAME", "既定");
  BlockReference ref =
      doc.modelSpace().insertBlock({100, 0, 0}, "OUTER", 2, 2, 1, std::numbers::pi / 2);
  ref.setLayer("FRONT");
  ref.getAttributes()[0].setTextString("MC1");

  DisplayList l = sim::buildDisplayList(cad.drawing());
  const sim::Batch* blue = batchOf(l, 0x0000FF, LineStyle::Solid);
  const sim::Batch* parts = batchOf(l, 0xFFFF00, LineStyle::Phantom);
  ASSERT_TRUE(blue && parts);
  ASSERT_EQ(blue->lines.size(), 1u);
  // (0,20) scaled by 2 and turned a quarter: (-40, 0) from the insertion point.
  EXPECT_NEAR(blue->lines[0].x1, 60, 1e-9);
  EXPECT_NEAR(blue->lines[0].y1, 0, 1e-9);
  ASSERT_EQ(parts->lines.size(), 1u) << "the nested block on its own layer";
  EXPECT_NEAR(parts->lines[0].y1, 20, 1e-9);
  ASSERT_EQ(l.texts.size(), 1u) << "the attribute's value; the definition stays hidden";
  EXPECT_EQ(l.texts[0].text, "MC1");
  EXPECT_EQ(l.texts[0].style.rgb, 0x0000FFu);
  EXPECT_EQ(l.owners.size(), 1u);
  // Picking anywhere on it gives the reference as a whole.
  EXPECT_EQ(sim::entityAt(l, 100, 10, 0.5), ref.handle()) << "the nested line";
  EXPECT_EQ(sim::entityAt(l, 80, 0, 0.5), ref.handle()) << "the outer line";
  EXPECT_EQ(sim::entityAt(l, 200, 200, 0.5), "");
}

// Colour 0 (by block) inside a block is the colour of the reference that shows it, nested too.
TEST_F(ShownDrawing, PartsByBlockTakeTheColourOfTheirReference) {
  Block inner = doc.blocks().add({0, 0, 0}, "PART");
  inner.addLine({0, 0, 0}, {10, 0, 0}).setColor(0);
  Block outer = doc.blocks().add({0, 0, 0}, "HOLDER");
  outer.insertBlock({0, 0, 0}, "PART").setColor(0);
  doc.modelSpace().insertBlock({0, 0, 0}, "PART").setColor(1);
  doc.modelSpace().insertBlock({0, 5, 0}, "HOLDER").setColor(3);
  DisplayList l = sim::buildDisplayList(cad.drawing());
  ASSERT_NE(batchOf(l, 0xFF0000, LineStyle::Solid), nullptr) << "red as its reference";
  ASSERT_NE(batchOf(l, 0x00FF00, LineStyle::Solid), nullptr) << "green through two references";
  EXPECT_EQ(batchOf(l, 0xFFFFFF, LineStyle::Solid), nullptr) << "not the colour of layer 0";
}

TEST_F(ShownDrawing, BulgesAreArcsAndTheTopmostEntityIsPicked) {
  Block ms = doc.modelSpace();
  // A half circle of radius 10 from (0,0) to (20,0): bulge 1 turns counter-clockwise, below.
  Polyline half = ms.addLightWeightPolyline({0, 0, 20, 0});
  half.setBulge(0, 1.0);
  Entity over = ms.addLine({0, -10, 0}, {20, -10, 0});
  DisplayList l = sim::buildDisplayList(cad.drawing());
  EXPECT_NEAR(l.extents.min.y, -10, 1e-9);
  EXPECT_NEAR(l.extents.max.y, 0, 1e-9);
  EXPECT_EQ(sim::entityAt(l, 10, -10, 0.2), over.handle()) << "the later one is on top";
  EXPECT_EQ(sim::entityAt(l, 0, 0, 0.2), half.handle());
}

TEST_F(ShownDrawing, DimensionsHaveArrowheadsAndTextAtDimtxtTimesDimscale) {
  cad.drawing().variables["DIMSCALE"] = Value(10.0);
  Entity dim = doc.modelSpace().addDimAligned({0, 0, 0}, {600, 0, 0}, {300, 50, 0});
  sim::DimensionPicture pic =
      sim::dimensionPicture(cad.drawing(), *cad.drawing().findEntity(dim.handle()));
  ASSERT_EQ(pic.lines.size(), 3u);
  EXPECT_EQ(pic.lines[2][0].y, 50);
  ASSERT_EQ(pic.arrowheads.size(), 2u);
  EXPECT_EQ(pic.arrowheads[0][0].x, 0) << "the tip on the extension line";
  EXPECT_NEAR(pic.arrowheads[0][1].x, 25, 1e-9) << "DIMASZ 2.5 × 10 long";
  EXPECT_NEAR(std::abs(pic.arrowheads[0][1].y - pic.arrowheads[0][2].y), 25.0 / 3, 1e-9);
  EXPECT_EQ(pic.textHeight, 25);
  EXPECT_EQ(pic.text, "600");
  EXPECT_GT(pic.textAt.y, 50) << "above the line";
  // A vertical one measured downwards still reads from the right.
  Entity down = doc.modelSpace().addDimAligned({0, 100, 0}, {0, 0, 0}, {-40, 50, 0});
  auto v = sim::dimensionPicture(cad.drawing(), *cad.drawing().findEntity(down.handle()));
  EXPECT_NEAR(v.textRotation, std::numbers::pi / 2, 1e-9);
  EXPECT_LT(v.textAt.x, -40);

  std::string dxf = cad.dxf();
  EXPECT_NE(dxf.find("SOLID"), std::string::npos);
  EXPECT_NE(dxf.find("\n40\n25\n1\n600\n"), std::string::npos) << "the text 25 high in the picture";
}

TEST(ViewMapping, DrawingAndScreenAtTwoZoomsAndAboutTheCursor) {
  sim::ViewMapping v;
  v.width = 800;
  v.height = 600;
  sim::Extents x;
  x.add(0, 0);
  x.add(1100, 550);
  v.fit(x);
  EXPECT_DOUBLE_EQ(v.scale, 800 / 1210.0) << "the width decides, with its margin";
  Point3 s = v.toScreen(550, 275);
  EXPECT_DOUBLE_EQ(s.x, 400);
  EXPECT_DOUBLE_EQ(s.y, 300);
  Point3 corner = v.toScreen(0, 550);  // top left of the extents
  EXPECT_NEAR(corner.x, 400 - 550 * v.scale, 1e-9);
  EXPECT_NEAR(corner.y, 300 - 275 * v.scale, 1e-9) << "drawing y up is screen y down";

  v.zoomAbout(100, 500, 4);
  Point3 back = v.toDrawing(100, 500);
  Point3 before = sim::ViewMapping{550, 275, 800 / 1210.0, 800, 600}.toDrawing(100, 500);
  EXPECT_NEAR(back.x, before.x, 1e-9) << "the point under the cursor stays";
  EXPECT_NEAR(back.y, before.y, 1e-9);
  Point3 p = v.toScreen(before.x + 10, before.y + 10);
  EXPECT_NEAR(p.x, 100 + 10 * 4 * 800 / 1210.0, 1e-9);
  EXPECT_NEAR(p.y, 500 - 10 * 4 * 800 / 1210.0, 1e-9);
  v.pan(30, -20);
  EXPECT_NEAR(v.toScreen(before.x, before.y).x, 130, 1e-9);
  EXPECT_NEAR(v.toScreen(before.x, before.y).y, 480, 1e-9);
  v.centreOn({10, 20, 0}, 300);
  EXPECT_DOUBLE_EQ(v.scale, 2);
  EXPECT_DOUBLE_EQ(v.toScreen(10, 20).x, 400);
}

}  // namespace
}  // namespace qarn::cad
