#include <gtest/gtest.h>

#include "../cad/sim_fixture.h"
#include "enclosure/symbol_blocks.h"

namespace qarn::enclosure {
namespace {

class SymbolBlocks : public cad::testing::SimFixture {
 protected:
  const cad::sim::Block& block(const std::string& name) { return *cad.drawing().findBlock(name); }
  const cad::sim::Entity& item(const std::string& name, std::size_t i) {
    return *cad.drawing().findEntity(block(name).entities.at(i));
  }
  void expectVertices(const cad::sim::Entity& e, const std::vector<double>& xy,
                      const std::vector<double>& bulges) {
    ASSERT_EQ(e.vertices.size() * 2, xy.size());
    for (std::size_t v = 0; v < e.vertices.size(); ++v) {
      EXPECT_DOUBLE_EQ(e.vertices[v].x, xy[2 * v]) << v;
      EXPECT_DOUBLE_EQ(e.vertices[v].y, xy[2 * v + 1]) << v;
      EXPECT_DOUBLE_EQ(e.vertices[v].bulge, bulges.at(v)) << v;
    }
  }
};

TEST_F(SymbolBlocks, RaHandleGeometry) {
  ensureHandleBlock(doc, "TOVEKHDLRA", "RA");
  ASSERT_EQ(block("TOVEKHDLRA").entities.size(), 3u);
  const double c = -0.44213562373;
  const auto& plate = item("TOVEKHDLRA", 0);
  EXPECT_TRUE(plate.closed);
  expectVertices(
      plate,
      {-17, 52.5, -14.5, 55, 14.5, 55, 17, 52.5, 17, -52.5, 14.5, -55, -14.5, -55, -17, -52.5},
      {c, 0, c, 0, c, 0, c, 0});
  const auto& grip = item("TOVEKHDLRA", 1);
  EXPECT_TRUE(grip.closed);
  expectVertices(grip, {-11, 38, 11, 38, 11, -38, -11, -38}, {-1, 0, -1, 0});
  const auto& line = item("TOVEKHDLRA", 2);
  EXPECT_FALSE(line.closed);
  expectVertices(line, {-11, -25, 11, -25}, {0, 0});
}

TEST_F(SymbolBlocks, SHandleHasAHalfRoundGripAndNoLine) {
  ensureHandleBlock(doc, "TOVEKHDLS", "S");
  ASSERT_EQ(block("TOVEKHDLS").entities.size(), 2u);
  expectVertices(item("TOVEKHDLS", 1), {-9.5, -27, -9.5, 17.5, 9.5, 17.5, 9.5, -27}, {0, -1, 0, 0});
}

TEST_F(SymbolBlocks, KeysWindowFittingAndLevers) {
  ensureKeyBlock(doc, "TOVEKEYBF16", "F16");
  const auto& arc = item("TOVEKEYBF16", 2);
  EXPECT_EQ(arc.type, cad::sim::EntityType::Arc);
  EXPECT_EQ(arc.p1, (cad::Point3{0, 30, 0}));
  EXPECT_DOUBLE_EQ(arc.radius, 30);
  EXPECT_DOUBLE_EQ(arc.startAngle, 5.235987755982989);
  EXPECT_DOUBLE_EQ(arc.endAngle, 4.188790204786391);
  EXPECT_DOUBLE_EQ(item("TOVEKEYBF16", 1).radius, 17.5);

  ensureKeyBlock(doc, "TOVEKEYBS16", "S16");
  expectVertices(item("TOVEKEYBS16", 0), {6.25, 4.01924, 6.25, 53.75, -6.25, 53.75, -6.25, 4.01924},
                 {0, 1, 0, 0});

  ensureHandleBlock(doc, "TOVEKHT", "HT");
  ASSERT_EQ(block("TOVEKHT").entities.size(), 5u);
  expectVertices(item("TOVEKHT", 4), {50, -20, -50, -20}, {0, 0});

  ensureHandleBlock(doc, "TOVEKHDLCL", "CL");
  const auto& cl = item("TOVEKHDLCL", 0);
  ASSERT_EQ(cl.vertices.size(), 11u);
  EXPECT_DOUBLE_EQ(cl.vertices[3].bulge, -0.28186106);
  EXPECT_DOUBLE_EQ(cl.vertices[9].bulge, -0.28186106);
  EXPECT_DOUBLE_EQ(cl.vertices[7].bulge, -0.41421358);

  ensureHandleBlock(doc, "TOVEKHDLORM", "ORM");
  EXPECT_EQ(block("TOVEKHDLORM").entities.size(), 3u);
  EXPECT_DOUBLE_EQ(item("TOVEKHDLORM", 2).endAngle, 4.369964395070857);
}

TEST_F(SymbolBlocks, EAndChHandlesAndTheWholeCl) {
  const double c = -0.44213562373;
  ensureHandleBlock(doc, "TOVEKHDLE", "E");
  ASSERT_EQ(block("TOVEKHDLE").entities.size(), 3u);
  // L 150, B 38, r 4; slot 110 by 24; line at -42.
  expectVertices(item("TOVEKHDLE", 0),
                 {-19, 71, -15, 75, 15, 75, 19, 71, 19, -71, 15, -75, -15, -75, -19, -71},
                 {c, 0, c, 0, c, 0, c, 0});
  expectVertices(item("TOVEKHDLE", 1), {-12, 55, 12, 55, 12, -55, -12, -55}, {-1, 0, -1, 0});
  expectVertices(item("TOVEKHDLE", 2), {-12, -42, 12, -42}, {0, 0});

  ensureHandleBlock(doc, "TOVEKHDLCH", "CH");
  ASSERT_EQ(block("TOVEKHDLCH").entities.size(), 1u);
  EXPECT_TRUE(item("TOVEKHDLCH", 0).closed);
  expectVertices(item("TOVEKHDLCH", 0), {0, -25, -8.3, -25, -10, -23.3, -10, 23.3, -8.3, 25, 0, 25},
                 {0, -0.41421356, 0, -0.41421356, 0, 0});

  ensureHandleBlock(doc, "TOVEKHDLCL", "CL");
  ASSERT_EQ(block("TOVEKHDLCL").entities.size(), 2u);
  const double a = -0.11851572, b = -0.28186106, q = -0.41421358;
  EXPECT_TRUE(item("TOVEKHDLCL", 0).closed);
  expectVertices(item("TOVEKHDLCL", 0),
                 {-10.36, -72.8, -12, -66, -12, 21, -10.36, 27.8, -6.8, 30,     -2,
                  30,     0,     28,  0,   -73, -2, -75,    -6.8, -75,  -10.36, -72.8},
                 {a, 0, a, b, 0, q, 0, q, 0, b, 0});
  EXPECT_FALSE(item("TOVEKHDLCL", 1).closed);
  expectVertices(item("TOVEKHDLCL", 1), {0, -8, -8, -8, -8, -24, -12, -24}, {0, 0, 0, 0});
}

TEST_F(SymbolBlocks, TheF16KeyAndTheOrmLever) {
  ensureKeyBlock(doc, "TOVEKEYBF16", "F16");
  EXPECT_FALSE(item("TOVEKEYBF16", 0).closed);
  expectVertices(item("TOVEKEYBF16", 0), {-15, 0, -15, 11, 15, 11, 15, 0}, {0, 0, 0, 0});
  EXPECT_EQ(item("TOVEKEYBF16", 1).p1, (cad::Point3{0, 30, 0}));

  ensureHandleBlock(doc, "TOVEKHDLORM", "ORM");
  const double p = 0.43132721, r = 0.39730453;
  expectVertices(
      item("TOVEKHDLORM", 0),
      {-2.63691257, 12.6451038, -4.8462149, -25.3548962, -2.35042947, -28, 2.35042947, -28,
       4.8462149, -25.3548962, 2.63691257, 12.6451038, 0.14112714, 15, -0.14112714, 15},
      {0, p, 0, p, 0, r, 0, r});
  for (auto [i, start, end] : {std::tuple{1, 5.054813565698522, 1.3445200605467031},
                               {2, 1.79707259304309, 4.369964395070857}}) {
    const auto& arc = item("TOVEKHDLORM", i);
    EXPECT_EQ(arc.type, cad::sim::EntityType::Arc);
    EXPECT_EQ(arc.p1, (cad::Point3{0, 0, 0}));
    EXPECT_DOUBLE_EQ(arc.radius, 12);
    EXPECT_DOUBLE_EQ(arc.startAngle, start) << i;
    EXPECT_DOUBLE_EQ(arc.endAngle, end) << i;
  }
}

TEST_F(SymbolBlocks, EveryEntityIsByBlockOnLayerZero) {
  doc.layers().add("WORK");
  doc.setVariable("CLAYER", "WORK");  // the user draws on another layer
  for (auto [name, kind] : std::vector<std::pair<std::string, std::string>>{{"TOVEKHDLRA", "RA"},
                                                                            {"TOVEKHDLS", "S"},
                                                                            {"TOVEKHDLE", "E"},
                                                                            {"TOVEKHDLCL", "CL"},
                                                                            {"TOVEKHDLCH", "CH"},
                                                                            {"TOVEKHDLORM", "ORM"},
                                                                            {"TOVEKHT", "HT"}})
    ensureHandleBlock(doc, name, kind);
  ensureKeyBlock(doc, "TOVEKEYBF16", "F16");
  ensureKeyBlock(doc, "TOVEKEYBS16", "S16");
  int blocks = 0;
  for (const auto& b : cad.drawing().blocks) {
    if (b.isLayout) continue;
    ++blocks;
    EXPECT_FALSE(b.entities.empty()) << b.name;
    EXPECT_EQ(b.origin, (cad::Point3{0, 0, 0})) << b.name;
    for (const auto& h : b.entities) {
      const auto& e = *cad.drawing().findEntity(h);
      EXPECT_EQ(e.layer, "0") << b.name;
      EXPECT_EQ(e.linetype, "BYBLOCK") << b.name;
      EXPECT_EQ(e.color, 0) << b.name;
    }
  }
  EXPECT_EQ(blocks, 9);
}

TEST_F(SymbolBlocks, AnExistingDefinitionIsNeverChanged) {
  cad::Block mine = doc.blocks().add({0, 0, 0}, "TOVEKHDLRA");
  mine.addCircle({0, 0, 0}, 3);
  ensureHandleBlock(doc, "TOVEKHDLRA", "RA");
  ensureKeyBlock(doc, "TOVEKHDLRA", "F16");
  EXPECT_EQ(block("TOVEKHDLRA").entities.size(), 1u);
  ensureHandleBlock(doc, "TOVEKHDLE", "E");
  std::size_t n = cad.drawing().blocks.size();
  cad.resetCounters();
  ensureHandleBlock(doc, "TOVEKHDLE", "E");
  EXPECT_EQ(cad.drawing().blocks.size(), n);
  EXPECT_EQ(cad.callCount("Add"), 0);
}

TEST_F(SymbolBlocks, ABlockOfTheSameNameInAnotherCaseIsTheUsersAndStaysAsItIs) {
  // The CAD names blocks without regard to case: "tovekhdlra" is the block TOVEKHDLRA, and the
  // handle geometry must not be drawn into the user's own block.
  cad::Block mine = doc.blocks().add({0, 0, 0}, "tovekhdlra");
  mine.addCircle({0, 0, 0}, 3);
  ensureHandleBlock(doc, "TOVEKHDLRA", "RA");
  EXPECT_EQ(block("tovekhdlra").entities.size(), 1u);
  EXPECT_EQ(cad.drawing().blocks.size(), 3u) << "no second block";
}

TEST_F(SymbolBlocks, AnUnknownKindLeavesAnEmptyBlock) {
  ensureHandleBlock(doc, "TOVEKHDLXX", "XX");
  ASSERT_NE(cad.drawing().findBlock("TOVEKHDLXX"), nullptr);
  EXPECT_TRUE(block("TOVEKHDLXX").entities.empty());
}

}  // namespace
}  // namespace qarn::enclosure
