// Drawings made to hang the simulated CAD or exhaust its memory (the fuzz seeds of the DXF
// reader): what it shows, measures and selects of them stays bounded, and right.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "cad/sim/display_list.h"
#include "cad/sim/dxf_reader.h"
#include "cad/sim/entity_geometry.h"
#include "cad/sim/view_mapping.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

using sim::DisplayList;
using sim::Entity;
using sim::EntityType;

std::string seed(const std::string& name) {
  return std::string(QARN_SOURCE_DIR) + "/tests/fuzz/seeds/" + name;
}

std::string entitiesDxf(const std::string& entities) {
  return "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

Entity& addToModelSpace(sim::Drawing& d, Entity e) {
  e.handle = "F" + std::to_string(d.entities.size());
  d.modelSpace().entities.push_back(e.handle);
  return d.entities[e.handle] = std::move(e);
}

Entity reference(const std::string& block, double x = 0, double y = 0) {
  Entity r;
  r.type = EntityType::BlockRef;
  r.blockName = block;
  r.p1 = {x, y, 0};
  return r;
}

TEST(CraftedDrawings, ArcAnglesOfAnySizeAreOneTurnAtMostInBoundedChords) {
  const double s280 = 10 * std::sin(280 * std::numbers::pi / 180);
  const double c280 = 10 * std::cos(280 * std::numbers::pi / 180);
  struct Case {
    const char *start, *end;
    std::size_t chords;
    double minX, minY, maxX, maxY;
  } cases[] = {
      {"1e12", "90", 23, 0, s280, 10, 10},   // 280° to 90°
      {"1e9", "0", 11, c280, s280, 10, 0},   // 280° to 360°
      {"1e30", "0", 46, -10, -10, 10, 10},   // 16° to 360°
      {"nan", "inf", 48, -10, -10, 10, 10},  // no numbers: a whole circle
      {"-1e300", "1e300", 48, -10, -10, 10, 10},
  };
  for (const Case& c : cases) {
    sim::Drawing d = sim::readDxf(entitiesDxf(std::string("0\nARC\n40\n10\n50\n") + c.start +
                                              "\n51\n" + c.end + "\n"))
                         .drawing;
    DisplayList l = sim::buildDisplayList(d);
    EXPECT_EQ(l.lineCount(), c.chords) << c.start << " to " << c.end;
    sim::Extents x = sim::extentsOf(d, *d.findEntity(d.modelSpace().entities.at(0)));
    EXPECT_NEAR(x.min.x, c.minX, 1e-9) << c.start;
    EXPECT_NEAR(x.min.y, c.minY, 1e-9) << c.start;
    EXPECT_NEAR(x.max.x, c.maxX, 1e-9) << c.start;
    EXPECT_NEAR(x.max.y, c.maxY, 1e-9) << c.start;
  }
  // Radians as an automation client may set them, and bulges no arc has: never more than a
  // circle's chords, nothing drawn that is no number.
  sim::Drawing d = sim::readDxf(entitiesDxf("")).drawing;
  for (double a : {1e30, 1e12, -1e300, 1e308, double(NAN), double(INFINITY)}) {
    Entity arc;
    arc.type = EntityType::Arc;
    arc.radius = 10;
    arc.startAngle = a;
    arc.endAngle = -a / 3;
    addToModelSpace(d, arc);
    Entity bulged;
    bulged.type = EntityType::Polyline;
    bulged.vertices = {{0, 0, a}, {10, 0, 0}};
    addToModelSpace(d, bulged);
  }
  DisplayList l = sim::buildDisplayList(d);
  EXPECT_LE(l.lineCount(), 12u * 48);
  Entity three;  // three radians from far out
  three.type = EntityType::Arc;
  three.radius = 1;
  three.startAngle = 1e15;
  three.endAngle = 1e15 + 3;
  sim::Drawing one = sim::readDxf(entitiesDxf("")).drawing;
  addToModelSpace(one, three);
  EXPECT_EQ(sim::buildDisplayList(one).lineCount(), 23u);
  for (const auto& b : l.batches)
    for (const auto& line : b.lines)
      ASSERT_TRUE(std::isfinite(line.x0 + line.y0 + line.x1 + line.y1));
  for (const auto& h : d.modelSpace().entities)
    if (d.findEntity(h)->type == EntityType::Arc) {
      sim::Extents x = sim::extentsOf(d, *d.findEntity(h));
      EXPECT_LE(x.max.x - x.min.x, 20.000001) << h;
    }
}

// A drawing reaching the largest numbers: the window shows the origin rather than no number.
TEST(CraftedDrawings, AViewOfExtentsBeyondAnyScaleStaysANumber) {
  for (double far : {1e308, double(INFINITY)}) {
    sim::ViewMapping v;
    v.width = 800;
    v.height = 600;
    sim::Extents x;
    x.add(-far, 0);
    x.add(far, far);
    v.fit(x);
    EXPECT_GT(v.scale, 0) << far;
    EXPECT_TRUE(std::isfinite(v.scale) && std::isfinite(v.centreX) && std::isfinite(v.centreY));
  }
}

// Nine levels of blocks, each holding the one below ten times turned by 7° more: a thousand million
// copies of two lines.
TEST(CraftedDrawings, BlocksMultiplyingBlocksAreDrawnUpToTheBudgetAndTheRestIsCounted) {
  sim::Drawing d = sim::readDxfFile(seed("nested-blocks-ten-by-nine.dxf")).drawing;
  DisplayList l = sim::buildDisplayList(d);
  EXPECT_EQ(l.lineCount(), sim::kDisplayBudget);
  EXPECT_EQ(l.omittedEntities, 1);
  EXPECT_EQ(l.omittedPrimitives, 2e9 - static_cast<double>(sim::kDisplayBudget));
  sim::Extents whole = sim::extentsOf(d, *d.findEntity(d.modelSpace().entities.at(0)));
  EXPECT_EQ(l.extents.min.x, whole.min.x) << "the view takes in what was left out";
  EXPECT_EQ(l.extents.max.y, whole.max.y);

  // Levels small enough to draw in full: measured once per block and turn, as drawn.
  for (int level = 1; level <= 5; ++level) {
    sim::Drawing one = d;
    one.modelSpace().entities.clear();
    const Entity& ref = addToModelSpace(one, reference("L" + std::to_string(level), 5, 5));
    DisplayList shown = sim::buildDisplayList(one);
    EXPECT_EQ(shown.lineCount(), 2 * std::pow(10, level));
    EXPECT_EQ(shown.omittedEntities, 0);
    sim::Extents x = sim::extentsOf(one, ref);
    EXPECT_NEAR(x.min.x, shown.extents.min.x, 1e-9) << "level " << level;
    EXPECT_NEAR(x.min.y, shown.extents.min.y, 1e-9) << "level " << level;
    EXPECT_NEAR(x.max.x, shown.extents.max.x, 1e-9) << "level " << level;
    EXPECT_NEAR(x.max.y, shown.extents.max.y, 1e-9) << "level " << level;
  }
}

// Five references of a block of four lines, then a line, into a list of ten: the first two
// whole, the third half; the rest counted.
TEST(CraftedDrawings, WhatFitsIsDrawnInDrawingOrder) {
  sim::Drawing d = sim::readDxf(entitiesDxf("")).drawing;
  sim::Block square{"SQUARE", "B1", {}, {}, false};
  const double corners[][4] = {{0, 0, 1, 0}, {1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 0, 0}};
  for (const auto& c : corners) {
    Entity side;
    side.handle = "S" + std::to_string(square.entities.size());
    side.p1 = {c[0], c[1], 0};
    side.p2 = {c[2], c[3], 0};
    square.entities.push_back(side.handle);
    d.entities[side.handle] = side;
  }
  d.blocks.push_back(square);
  for (int i = 0; i < 5; ++i)
    addToModelSpace(d, reference("SQUARE", 10 * i, 0));
  Entity last;
  last.p2 = {0, -50, 0};
  addToModelSpace(d, last);
  DisplayList l = sim::buildDisplayList(d, {}, true, 10);
  EXPECT_EQ(l.lineCount(), 10u);
  EXPECT_EQ(l.omittedPrimitives, 2 + 4 + 4 + 1);
  EXPECT_EQ(l.omittedEntities, 4);
  EXPECT_EQ(sim::entityAt(l, 20, 0.5, 0.1), "") << "the third square's left side is left out";
  EXPECT_EQ(sim::entityAt(l, 20.5, 0, 0.1), d.modelSpace().entities[2]);
  EXPECT_EQ(l.extents.min.y, -50) << "the view takes in all of it";
  EXPECT_EQ(l.extents.max.x, 41);
  EXPECT_EQ(sim::buildDisplayList(d).omittedEntities, 0);
}

// A block that holds itself four times, turned and moved, and fifty references of it.
class BlockHoldingItself : public testing::SimFixture {};

TEST_F(BlockHoldingItself, ShowsAndMeasuresOnlyItsOwnPartsAndWindowsSelectIt) {
  cad.openDrawing(seed("block-inserts-itself.dxf"));
  const sim::Drawing& d = cad.drawing();
  ASSERT_EQ(d.modelSpace().entities.size(), 50u);
  EXPECT_EQ(sim::buildDisplayList(d).lineCount(), 50u) << "its line once per reference";
  for (int i = 0; i < 50; i += 7) {
    sim::Extents x = sim::extentsOf(d, *d.findEntity(d.modelSpace().entities[i]));
    EXPECT_EQ(x.min.x, 20 * i);
    EXPECT_EQ(x.max.x, 20 * i + 10);
    EXPECT_EQ(x.max.y, 0);
  }
  SelectionSet ss = app.activeDocument().activeSelectionSet();
  ss.select(0, {-1, -1, 0}, {200, 1, 0});
  EXPECT_EQ(ss.count(), 10);
  ss.select(1, {-1000, -1, 0}, {2000, 1, 0});
  EXPECT_EQ(ss.count(), 50);
}

}  // namespace
}  // namespace qarn::cad
