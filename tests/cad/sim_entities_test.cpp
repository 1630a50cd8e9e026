#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <numbers>

#include "cad/automation_error.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

constexpr double kPi = std::numbers::pi;

class SimEntities : public testing::SimFixture {
 protected:
  void expectBox(const Entity& e, Point3 lo, Point3 hi, double tol = 1e-9) {
    Point3 a, b;
    e.getBoundingBox(a, b);
    EXPECT_NEAR(a.x, lo.x, tol) << e.entityName();
    EXPECT_NEAR(a.y, lo.y, tol) << e.entityName();
    EXPECT_NEAR(b.x, hi.x, tol) << e.entityName();
    EXPECT_NEAR(b.y, hi.y, tol) << e.entityName();
  }
  const sim::Entity& data(const Entity& e) { return *cad.drawing().findEntity(e.handle()); }
};

TEST_F(SimEntities, BoundingBoxesFollowBulgesArcsAndReferences) {
  Block ms = doc.modelSpace();
  // A plate whose lower side is a half circle below the chord (bulge 1 from (-15,0) to (15,0)).
  Polyline plate = ms.addLightWeightPolyline({15, 25, -15, 25, -15, 0, 15, 0});
  plate.setClosed(true);
  plate.setBulge(2, 1);
  expectBox(plate, {-15, -15, 0}, {15, 25, 0});
  // Open: the closing segment and its bulge do not count.
  Polyline open = ms.addLightWeightPolyline({0, 0, 10, 0});
  open.setBulge(0, -1);  // clockwise half circle from (0,0) to (10,0): bulges upwards
  expectBox(open, {0, 0, 0}, {10, 5, 0});
  // An arc from 300 to 240 degrees: open at the bottom only.
  Entity arc = ms.addArc({0, 30, 0}, 30, 5.235987755982989, 4.188790204786391);
  expectBox(arc, {-30, 30 - 30 * std::sin(kPi / 3), 0}, {30, 60, 0});
  Entity circle = ms.addCircle({5, 5, 0}, 2);
  expectBox(circle, {3, 3, 0}, {7, 7, 0});

  // A reference: a 20 x 10 rectangle scaled 2 and turned 90 degrees about its insertion point.
  Block b = doc.blocks().add({0, 0, 0}, "RECT");
  b.addLightWeightPolyline({0, 0, 20, 0, 20, 10, 0, 10}).setClosed(true);
  BlockReference ref = ms.insertBlock({100, 100, 0}, "RECT", 2, 2, 2, kPi / 2);
  expectBox(ref, {80, 100, 0}, {100, 140, 0});
  // Non-uniform scales bend circles into ellipses; the box still holds them.
  Block ring = doc.blocks().add({0, 0, 0}, "RING");
  ring.addCircle({0, 0, 0}, 10);
  BlockReference oval = ms.insertBlock({0, 0, 0}, "RING", 3, 1, 1, 0);
  expectBox(oval, {-30, -10, 0}, {30, 10, 0}, 1e-3);
}

TEST_F(SimEntities, TextBoxesMeasureHalfAndFullWidthCharacters) {
  // The font metric: 0.6 of the height a half-width character, 1.0 a full-width one, times the
  // width factor; the box is placed by the alignment and turned by the rotation.
  Block b = doc.blocks().add({0, 0, 0}, "T");
  Attribute def = b.addAttribute(10, 0, "p", {0, 0, 0}, "N", "");
  def.setAlignment(10);  // middle centre
  def.setTextAlignmentPoint({0, 0, 0});
  def.setScaleFactor(0.5);
  BlockReference ref = doc.modelSpace().insertBlock({100, 50, 0}, "T");
  Attribute a = ref.getAttributes()[0];
  a.setTextString("AB表示");  // 2 x 0.6 + 2 x 1.0 = 3.2 heights, times 0.5: 16 wide
  expectBox(a, {92, 45, 0}, {108, 55, 0});
  a.setRotation(kPi / 2);
  expectBox(a, {95, 42, 0}, {105, 58, 0});
  a.setTextString("ｱｲ");  // half-width katakana: 2 x 0.6 x 10 x 0.5 = 6
  expectBox(a, {95, 47, 0}, {105, 53, 0});
  a.object().put("Invisible", true);
  Point3 lo, hi;
  EXPECT_THROW(a.getBoundingBox(lo, hi), AutomationError) << "an invisible text has no extents";
}

TEST_F(SimEntities, ABlockIsDeletedOnlyWhileNothingShowsIt) {
  Block b = doc.blocks().add({0, 0, 0}, "GONE");
  b.addCircle({0, 0, 0}, 1);
  BlockReference ref = doc.modelSpace().insertBlock({0, 0, 0}, "GONE");
  EXPECT_THROW(b.remove(), AutomationError) << "a reference still shows it";
  ref.erase();
  std::size_t entities = cad.drawing().entities.size();
  b.remove();
  EXPECT_FALSE(cad.drawing().findBlock("GONE"));
  EXPECT_EQ(cad.drawing().entities.size(), entities - 1) << "its circle went with it";
  EXPECT_THROW(Block(doc.modelSpace()).remove(), AutomationError);
}

TEST_F(SimEntities, InsertionMakesAttributesFromTheDefinitions) {
  Block b = doc.blocks().add({0, 0, 0}, "LAMP");
  b.addCircle({0, 0, 0}, 15);
  Attribute name = b.addAttribute(18, 0, "器具番号", {0, 38, 0}, "name", "");
  name.setAlignment(10);
  name.setTextAlignmentPoint({0, 38, 0});
  name.setScaleFactor(0.75);
  b.addAttribute(5, 1, "補助2", {0, -38, 0}, "AUX2", "dflt");
  b.addAttribute(5, 2, "固定", {0, -45, 0}, "FIXED", "c");  // constant: no attribute made

  BlockReference ref = doc.modelSpace().insertBlock({100, 200, 0}, "LAMP", 2, 2, 2, kPi / 2);
  EXPECT_EQ(ref.entityName(), "AcDbBlockReference");
  EXPECT_EQ(ref.name(), "LAMP");
  EXPECT_TRUE(ref.hasAttributes());
  auto atts = ref.getAttributes();
  ASSERT_EQ(atts.size(), 2u);
  EXPECT_EQ(atts[0].tagString(), "NAME") << "tags are upper case";
  EXPECT_EQ(atts[0].entityName(), "AcDbAttribute");
  Point3 at = atts[0].textAlignmentPoint();
  EXPECT_NEAR(at.x, 100 - 76, 1e-9);
  EXPECT_NEAR(at.y, 200, 1e-9);
  EXPECT_DOUBLE_EQ(atts[0].height(), 36);
  EXPECT_EQ(atts[1].textString(), "dflt");
  EXPECT_TRUE(atts[1].object().get("Invisible").toBool());
  const sim::Entity& def = data(name);
  EXPECT_DOUBLE_EQ(def.widthFactor, 0.75);
  EXPECT_EQ(def.alignment, 10);

  atts[0].setTextString("PL1");
  EXPECT_EQ(data(atts[0]).text, "PL1");
  // Moving the reference carries its attributes.
  ref.setInsertionPoint({0, 0, 0});
  EXPECT_NEAR(atts[0].textAlignmentPoint().x, -76, 1e-9);

  BlockReference bare = doc.modelSpace().insertBlock({0, 0, 0}, "LAMP");
  EXPECT_EQ(bare.getAttributes().size(), 2u);
  Block plain = doc.blocks().add({0, 0, 0}, "PLAIN");
  plain.addLine({0, 0, 0}, {1, 1, 0});
  EXPECT_FALSE(doc.modelSpace().insertBlock({0, 0, 0}, "PLAIN").hasAttributes());
}

TEST_F(SimEntities, CopyMoveRotateMirror) {
  Block ms = doc.modelSpace();
  Entity line = ms.addLine({0, 0, 0}, {10, 0, 0});
  Entity copy = line.copy();
  EXPECT_NE(copy.handle(), line.handle());
  copy.move({0, 0, 0}, {5, 5, 0});
  copy.rotate({5, 5, 0}, kPi / 2);
  EXPECT_NEAR(data(copy).p2.x, 5, 1e-9);
  EXPECT_NEAR(data(copy).p2.y, 15, 1e-9);
  EXPECT_NEAR(data(line).p2.x, 10, 1e-12) << "the original stays";

  // A closed leaf mirrored about the vertical line x = 50 (a double door's right leaf).
  Polyline leaf = ms.addLightWeightPolyline({2, 3, 2, 97, 48.5, 97, 48.5, 3});
  leaf.setClosed(true);
  leaf.setBulge(0, 0.5);
  Entity right = leaf.mirror({50, 100, 0}, {50, 0, 0});
  const sim::Entity& r = data(right);
  ASSERT_EQ(r.vertices.size(), 4u);
  EXPECT_NEAR(r.vertices[0].x, 98, 1e-9);
  EXPECT_NEAR(r.vertices[2].x, 51.5, 1e-9);
  EXPECT_TRUE(r.closed);
  EXPECT_DOUBLE_EQ(r.vertices[0].bulge, -0.5) << "a mirror turns arcs the other way";

  // A mirrored reference keeps its geometry in place.
  Block b = doc.blocks().add({0, 0, 0}, "ARROW");
  b.addLine({0, 0, 0}, {10, 2, 0});
  BlockReference ref = ms.insertBlock({0, 0, 0}, "ARROW");
  BlockReference m(ref.mirror({20, 0, 0}, {20, 1, 0}));
  expectBox(m, {30, 0, 0}, {40, 2, 0});
}

TEST_F(SimEntities, OffsetOfARoundedWindowGoesInside) {
  // The window outline: clockwise, corners rounded with radius 35 by bulge -0.41421356.
  double w = 300, h = 200;
  Polyline win = doc.modelSpace().addLightWeightPolyline(
      {-w / 2 + 35, -h / 2, -w / 2, -h / 2 + 35, -w / 2, h / 2 - 35, -w / 2 + 35, h / 2, w / 2 - 35,
       h / 2, w / 2, h / 2 - 35, w / 2, -h / 2 + 35, w / 2 - 35, -h / 2});
  win.setClosed(true);
  for (int i : {0, 2, 4, 6})
    win.setBulge(i, -0.41421356);
  auto inner = win.offset(-12.5);
  ASSERT_EQ(inner.size(), 1u);
  expectBox(inner[0], {-w / 2 + 12.5, -h / 2 + 12.5, 0}, {w / 2 - 12.5, h / 2 - 12.5, 0}, 1e-6);
  const sim::Entity& o = data(inner[0]);
  EXPECT_NEAR(o.vertices[0].x, -w / 2 + 35, 1e-6) << "the corner arcs keep their centres";
  EXPECT_NEAR(o.vertices[0].y, -h / 2 + 12.5, 1e-6);
  EXPECT_DOUBLE_EQ(o.vertices[0].bulge, -0.41421356);
  EXPECT_TRUE(o.closed);
  // The same outline drawn counter-clockwise shrinks too.
  Polyline sq = doc.modelSpace().addLightWeightPolyline({0, 0, 10, 0, 10, 10, 0, 10});
  sq.setClosed(true);
  expectBox(sq.offset(-1)[0], {1, 1, 0}, {9, 9, 0});
  expectBox(sq.offset(2)[0], {-2, -2, 0}, {12, 12, 0});
  EXPECT_THROW(doc.modelSpace().addCircle({0, 0, 0}, 5).offset(-5), AutomationError);
}

TEST_F(SimEntities, ExplodeAndArray) {
  Polyline p = doc.modelSpace().addLightWeightPolyline({0, 0, 10, 0, 10, 10});
  p.setBulge(1, 1);
  auto parts = p.explode();
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].entityName(), "AcDbLine");
  EXPECT_EQ(parts[1].entityName(), "AcDbArc");
  EXPECT_NEAR(data(parts[1]).radius, 5, 1e-9);

  Block b = doc.blocks().add({0, 0, 0}, "TWO");
  b.addLine({0, 0, 0}, {1, 0, 0});
  b.addCircle({0, 0, 0}, 1);
  BlockReference ref = doc.modelSpace().insertBlock({10, 0, 0}, "TWO", 2, 2, 2, 0);
  auto pieces = ref.explode();
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_NEAR(data(pieces[0]).p2.x, 12, 1e-12);
  EXPECT_NEAR(data(pieces[1]).radius, 2, 1e-12);

  Entity c = doc.modelSpace().addCircle({0, 0, 0}, 1);
  auto copies = c.arrayRectangular(2, 3, 1, 10, 20, 0);
  ASSERT_EQ(copies.size(), 5u);
  EXPECT_NEAR(data(copies.back()).p1.x, 40, 1e-12);
  EXPECT_NEAR(data(copies.back()).p1.y, 10, 1e-12);
}

TEST_F(SimEntities, SelectionSetsFilterByTypeAndLayer) {
  Block ms = doc.modelSpace();
  doc.layers().add("TOVEK_FRONT");
  Block b = doc.blocks().add({0, 0, 0}, "TOVEK_RA100");
  b.addLine({0, 0, 0}, {1, 1, 0});
  BlockReference r1 = ms.insertBlock({0, 0, 0}, "TOVEK_RA100");
  BlockReference r2 = ms.insertBlock({5, 0, 0}, "TOVEK_RA100");
  r2.setLayer("TOVEK_FRONT");
  Entity line = ms.addLine({0, 0, 0}, {1, 0, 0});
  line.setLayer("TOVEK_FRONT");

  SelectionSet ss = doc.activeSelectionSet();
  ss.clear();
  cad.operatorSelect({r1.handle(), r2.handle(), line.handle()});
  ss.selectOnScreen({0}, {Value("INSERT")});
  EXPECT_EQ(ss.count(), 2);
  ss.clear();
  cad.operatorSelect({r1.handle(), r2.handle(), line.handle()});
  ss.selectOnScreen({0, 8}, {Value("INSERT"), Value("tovek_front")});
  ASSERT_EQ(ss.count(), 1);
  EXPECT_EQ(ss.item(0).handle(), r2.handle());

  ss.clear();
  ss.selectLast();
  ASSERT_EQ(ss.count(), 1);
  EXPECT_EQ(ss.item(0).handle(), line.handle());
  ss.addItems({r1, line});
  EXPECT_EQ(ss.count(), 2) << "an entity is in a selection once";
  line.erase();
  EXPECT_EQ(ss.count(), 1) << "erased entities drop out";

  ss.clear();
  ss.select(0, {-1, -1, 0}, {3, 3, 0});
  EXPECT_EQ(ss.count(), 1) << "only r1 lies wholly inside the window";
  EXPECT_THROW(ss.selectOnScreen({0}, {}), AutomationError) << "codes and values of unequal length";
  cad.operatorEscape();
  EXPECT_THROW(ss.selectOnScreen(), AutomationError);
}

TEST_F(SimEntities, UtilityAnswersFromTheOperator) {
  Utility u = doc.utility();
  cad.operatorPoint(123.5, -87);
  cad.operatorDistance(42);
  cad.operatorPoint(3, 4);
  cad.operatorEnter();
  EXPECT_EQ(u.getPoint("作成基点（左下）を指示 : "), (Point3{123.5, -87, 0}));
  EXPECT_DOUBLE_EQ(u.getDistance({0, 0, 0}, "間隔 : "), 42);
  EXPECT_DOUBLE_EQ(u.getDistance({0, 0, 0}, "間隔 : "), 5);
  EXPECT_THROW(u.getPoint("点 : "), AutomationError) << "Enter gives no point";
  Point3 p = u.polarPoint({1, 1, 0}, kPi / 2, 2);
  EXPECT_NEAR(p.x, 1, 1e-12);
  EXPECT_NEAR(p.y, 3, 1e-12);
  EXPECT_EQ(cad.prompts().front(), "作成基点（左下）を指示 : ");
}

}  // namespace
}  // namespace qarn::cad

namespace qarn::cad {
namespace {

class SimAttributes : public testing::SimFixture {
 protected:
  BlockReference frame() {
    Block b = doc.blocks().add({0, 0, 0}, "F");
    b.addAttribute(10, 0, "name", {0, 0, 0}, "NAME", "K1");
    return doc.modelSpace().insertBlock({100, 50, 0}, "F");
  }
};

// What splitting a device number relies on: a copy of an attribute is one more attribute of the
// same reference, moves on its own, and goes when erased.
TEST_F(SimAttributes, ACopiedAttributeBelongsToItsReferenceUntilErased) {
  BlockReference ref = frame();
  Attribute name = ref.getAttributes()[0];
  Attribute copy(name.copy());
  copy.move({0, 0, 0}, {0, -6, 0});
  copy.object().put("TagString", "NAME1");
  std::vector<Attribute> atts = ref.getAttributes();
  ASSERT_EQ(atts.size(), 2u);
  EXPECT_EQ(atts[1].handle(), copy.handle());
  EXPECT_EQ(atts[1].tagString(), "NAME1");
  EXPECT_DOUBLE_EQ(atts[1].insertionPoint().y, 44);
  EXPECT_DOUBLE_EQ(atts[0].insertionPoint().y, 50);
  // Moving the reference takes the copy along.
  ref.move({0, 0, 0}, {10, 0, 0});
  EXPECT_DOUBLE_EQ(Attribute(doc.handleToObject(copy.handle())).insertionPoint().x, 110);

  std::string h = copy.handle();
  copy.erase();
  EXPECT_EQ(ref.getAttributes().size(), 1u);
  EXPECT_THROW(doc.handleToObject(h), AutomationError);
  EXPECT_THROW(doc.handleToObject("FFFFF"), AutomationError);
}

// A handle finds its entity whatever the case of its letters.
TEST_F(SimAttributes, AHandleFindsItsEntityInEitherCase) {
  std::string h;
  for (int i = 0; i < 64 && h.find_first_of("ABCDEF") == std::string::npos; ++i)
    h = doc.modelSpace().addLine({}, {1, 1, 0}).handle();
  std::string lower = h;
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_NE(lower, h);
  EXPECT_EQ(doc.handleToObject(lower).handle(), h);
}

// Handles are numbered per drawing, so a handle read from one drawing can name another entity in
// the next one.
TEST_F(SimAttributes, TwoDrawingsCanHoldTheSameHandle) {
  std::string first = doc.modelSpace().addLine({}, {1, 1, 0}).handle();
  cad.addDocument();
  Document second = app.activeDocument();
  std::string again = second.modelSpace().addCircle({}, 1).handle();
  EXPECT_EQ(first, again);
  EXPECT_EQ(second.handleToObject(first).entityName(), "AcDbCircle");
  EXPECT_EQ(doc.handleToObject(first).entityName(), "AcDbLine");
}

}  // namespace
}  // namespace qarn::cad
