#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

#include "../samples.h"
#include "cad/automation_error.h"
#include "cad/sim/dxf_reader.h"
#include "cad/sim/dxf_writer.h"
#include "cad/text.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

using sim::DxfError;
using sim::Entity;
using sim::EntityType;

std::string samplePath(const std::string& name) {
  return (qarn::testing::samplesFolder("dxf") / name).string();
}

// Model-space entities by the DXF kind they were read as.
std::map<std::string, int> countByKind(const sim::Drawing& d) {
  std::map<std::string, int> n;
  for (const auto& h : d.modelSpace().entities)
    ++n[sim::dxfName(*d.findEntity(h))];
  return n;
}

int namedBlocks(const sim::Drawing& d) {
  int n = 0;
  for (const auto& b : d.blocks)
    if (!b.isLayout && !b.name.empty() && b.name[0] != '*') ++n;
  return n;
}

struct Sample {
  const char* file;
  std::map<std::string, int> kinds;
  int layers, blocks;
};

// The entity counts another program's reader gives for the drawings other CAD programs wrote.
// Layers and blocks are those of the files' own tables: that reader adds a "Defpoints" layer and
// the dimension arrow blocks where a file has none, which the drawing does not hold.
TEST(DxfReader, ReadsDrawingsOfOtherProgramsWithTheirEntityCounts) {
  QARN_NEEDS_SAMPLES("dxf");
  const Sample samples[] = {
      {"r11_entities-2d.dxf",
       {{"ARC", 1},
        {"ATTDEF", 1},
        {"CIRCLE", 1},
        {"DIMENSION", 1},
        {"INSERT", 2},
        {"LINE", 1},
        {"POINT", 1},
        {"POLYLINE", 1},
        {"SHAPE", 1},
        {"SOLID", 1},
        {"TEXT", 1},
        {"TRACE", 1}},
       2,
       2},
      {"r12_Leader.dxf", {{"INSERT", 3}, {"LINE", 1}, {"POLYLINE", 1}}, 1, 1},
      {"2000_entities-2d.dxf",
       {{"ARC", 1},
        {"ATTDEF", 1},
        {"CIRCLE", 1},
        {"DIMENSION", 1},
        {"INSERT", 2},
        {"LINE", 1},
        {"LWPOLYLINE", 1},
        {"POINT", 1},
        {"SHAPE", 1},
        {"SOLID", 1},
        {"TEXT", 1},
        {"TRACE", 1}},
       2,
       2},
      {"example_r14.dxf",
       {{"3DFACE", 2},  {"3DSOLID", 1},     {"ACAD_PROXY_ENTITY", 1},
        {"ARC", 2},     {"ATTDEF", 2},      {"DIMENSION", 9},
        {"ELLIPSE", 1}, {"HATCH", 1},       {"INSERT", 12},
        {"LINE", 8},    {"LWPOLYLINE", 11}, {"MLINE", 1},
        {"MTEXT", 1},   {"POINT", 1},       {"POLYLINE", 2},
        {"RAY", 1},     {"REGION", 2},      {"SOLID", 1},
        {"SPLINE", 2},  {"TEXT", 2},        {"TOLERANCE", 1},
        {"WIPEOUT", 2}, {"XLINE", 1}},
       5,
       2},
      {"2010_gh209_1.dxf", {{"INSERT", 3}, {"LWPOLYLINE", 2}, {"TEXT", 2}}, 5, 2},
      {"sample_2018.dxf", {{"CIRCLE", 1}, {"LINE", 3}, {"LWPOLYLINE", 1}, {"TEXT", 1}}, 2, 0},
      {"example_2018.dxf",
       {{"3DFACE", 2},        {"3DSOLID", 1},  {"ACAD_TABLE", 1}, {"ARC", 2},
        {"ARC_DIMENSION", 1}, {"ATTDEF", 2},   {"DIMENSION", 9},  {"ELLIPSE", 1},
        {"HATCH", 1},         {"INSERT", 10},  {"LIGHT", 1},      {"LINE", 8},
        {"LWPOLYLINE", 11},   {"MLINE", 1},    {"MTEXT", 1},      {"MULTILEADER", 1},
        {"POINT", 1},         {"POLYLINE", 2}, {"REGION", 2},     {"SOLID", 1},
        {"SPLINE", 2},        {"TEXT", 2},     {"TOLERANCE", 1},  {"WIPEOUT", 2},
        {"XLINE", 1},         {"RAY", 1}},
       5,
       2},
  };
  for (const Sample& s : samples) {
    SCOPED_TRACE(s.file);
    sim::DxfDrawing read = sim::readDxfFile(samplePath(s.file));
    EXPECT_EQ(countByKind(read.drawing), s.kinds);
    EXPECT_EQ(static_cast<int>(read.drawing.layers.size()), s.layers);
    EXPECT_EQ(namedBlocks(read.drawing), s.blocks);
  }
}

TEST(DxfReader, KeepsTheAttributesOfReferencesInAnotherProgramsDrawing) {
  QARN_NEEDS_SAMPLES("dxf");
  sim::DxfDrawing read = sim::readDxfFile(samplePath("2010_gh209_1.dxf"));
  int attributes = 0;
  for (const auto& h : read.drawing.modelSpace().entities) {
    const Entity& e = *read.drawing.findEntity(h);
    if (e.type != EntityType::BlockRef) continue;
    for (const auto& a : e.attributes) {
      const Entity* att = read.drawing.findEntity(a);
      ASSERT_NE(att, nullptr);
      EXPECT_EQ(att->type, EntityType::Attribute);
      EXPECT_EQ(att->owner, e.handle);
      ++attributes;
    }
  }
  EXPECT_EQ(attributes, 3);
}

// Drawings older than R12 have the same group codes with fewer sections: they are read; a
// version nobody wrote is refused with its line.
TEST(DxfReader, ReadsDrawingsOlderThanR12AndRefusesUnknownVersions) {
  for (const char* version : {"AC1006", "AC1004", "AC1003", "AC2.10"}) {
    SCOPED_TRACE(version);
    std::string text = std::string("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n") + version +
                       "\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n1\n20\n2\n11\n3\n"
                       "21\n4\n0\nTEXT\n8\n0\n10\n0\n20\n0\n40\n2\n1\nold\n0\nENDSEC\n0\nEOF\n";
    sim::DxfDrawing read = sim::readDxf(text);
    EXPECT_EQ(countByKind(read.drawing), (std::map<std::string, int>{{"LINE", 1}, {"TEXT", 1}}));
    EXPECT_EQ(read.version, version);
  }
  try {
    sim::readDxf("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1001\n0\nENDSEC\n0\nEOF\n");
    FAIL() << "an unknown version was read";
  } catch (const DxfError& e) {
    EXPECT_NE(std::string(e.what()).find("AC1001"), std::string::npos) << e.what();
    EXPECT_EQ(e.line(), 8);
  }
  QARN_NEEDS_SAMPLES("dxf");
  sim::DxfDrawing read = sim::readDxfFile(samplePath("r2.10_entities.dxf"));
  EXPECT_EQ(countByKind(read.drawing), (std::map<std::string, int>{{"ARC", 1},
                                                                   {"ATTDEF", 1},
                                                                   {"CIRCLE", 1},
                                                                   {"ENDREP", 1},
                                                                   {"INSERT", 2},
                                                                   {"LINE", 1},
                                                                   {"POINT", 2},
                                                                   {"POLYLINE", 1},
                                                                   {"REPEAT", 1},
                                                                   {"SHAPE", 1},
                                                                   {"SOLID", 1},
                                                                   {"TEXT", 1},
                                                                   {"TRACE", 1}}));
}

// An R12 drawing of another CAD: the pictures of its dimensions hold references to other
// anonymous blocks. The picture of a dimension kept as read stays with it; that of an aligned
// dimension, drawn again on saving, goes.
TEST(DxfReader, ReadsDimensionPicturesThatHoldBlockReferences) {
  auto block = [](const char* name, const char* body) {
    return std::string("0\nBLOCK\n8\n0\n2\n") + name + "\n70\n1\n10\n0\n20\n0\n3\n" + name + "\n" +
           body + "0\nENDBLK\n8\n0\n";
  };
  auto dimension = [](const char* name, int type) {
    return std::string("0\nDIMENSION\n8\n0\n2\n") + name + "\n10\n0\n20\n5\n11\n5\n21\n5\n70\n" +
           std::to_string(type) + "\n13\n0\n23\n0\n14\n10\n24\n0\n";
  };
  std::string text =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n"
      "0\nSECTION\n2\nBLOCKS\n" +
      block("*U1", "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n") +
      block("*D1", "0\nINSERT\n8\n0\n2\n*U1\n10\n0\n20\n0\n") +
      block("*D2", "0\nINSERT\n8\n0\n2\n*U1\n10\n0\n20\n0\n") +
      "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + dimension("*D1", 0) + dimension("*D2", 1) +
      "0\nENDSEC\n0\nEOF\n";
  sim::DxfDrawing read = sim::readDxf(text);
  const sim::Drawing& d = read.drawing;
  EXPECT_EQ(countByKind(d), (std::map<std::string, int>{{"DIMENSION", 2}}));
  ASSERT_NE(d.findBlock("*D1"), nullptr);
  EXPECT_EQ(d.findBlock("*D2"), nullptr);
  ASSERT_EQ(d.findBlock("*D1")->entities.size(), 1u);
  EXPECT_EQ(d.findEntity(d.findBlock("*D1")->entities[0])->blockName, "*U1");
  // Written and read again: the kept dimension still shows its own picture.
  sim::DxfDrawing back = sim::readDxf(sim::writeDxf(d, read.nextHandle));
  ASSERT_NE(back.drawing.findBlock("*D1"), nullptr);
  EXPECT_EQ(back.drawing.findBlock("*D1")->entities.size(), 1u);
  EXPECT_EQ(countByKind(back.drawing), countByKind(d));
}

// A drawing an R12 program without handles wrote: every entity gets a handle of its own.
TEST(DxfReader, GivesHandlesToEntitiesOfADrawingWithoutThem) {
  QARN_NEEDS_SAMPLES("dxf");
  sim::DxfDrawing read = sim::readDxfFile(samplePath("r11_entities-2d.dxf"));
  std::set<std::string> handles;
  for (const auto& [h, e] : read.drawing.entities) {
    EXPECT_EQ(h, e.handle);
    EXPECT_FALSE(h.empty());
    EXPECT_NE(h[0], '?');
    handles.insert(h);
  }
  for (const auto& l : read.drawing.layers)
    EXPECT_TRUE(handles.insert(l.handle).second) << l.name;
  EXPECT_GT(read.nextHandle, 0x20u);
}

struct Malformed {
  const char* text;
  int line;
  const char* says;
};

TEST(DxfReader, RefusesAMalformedFileAtTheLineOfItsFirstFault) {
  const Malformed cases[] = {
      {"", 1, "empty"},
      {"0\nSECTION\n2\nENTITIES\nx\nLINE\n0\nENDSEC\n0\nEOF\n", 5, "group code"},
      {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nabc\n0\nENDSEC\n0\nEOF\n", 8, "number"},
      {"0\nSECTION\n2\nENTITIES\n0\nLINE\n0\nENDSEC\n", 9, "EOF"},
      {"0\nSECTION\n2\nENTITIES\n0\nLINE\n", 7, "ends"},
      {"0\nSECTION\n2\nENTITIES\n0\nINSERT\n2\nNOPE\n0\nENDSEC\n0\nEOF\n", 6, "NOPE"},
      {"0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n2A\n0\nLINE\n5\n2a\n0\nENDSEC\n0\nEOF\n", 10, "twice"},
      {"0\nSECTION\n2\nENTITIES\n0\nSEQEND\n0\nENDSEC\n0\nEOF\n", 6, "SEQEND"},
      {"0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1001\n0\nENDSEC\n0\nEOF\n", 8, "AC1001"},
      {"AutoCAD Binary DXF\r\n\x1a", 1, "binary"},
      {"0\nLINE\n0\nEOF\n", 2, "SECTION"},
      {"0\nSECTION\n2\nENTITIES\n0\nLINE\n1x\nA\n0\nENDSEC\n0\nEOF\n", 7, "group code"},
      {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1.5.\n0\nENDSEC\n0\nEOF\n", 8, "number"},
  };
  for (const Malformed& m : cases) {
    SCOPED_TRACE(m.text);
    try {
      sim::readDxf(m.text);
      ADD_FAILURE() << "read";
    } catch (const DxfError& e) {
      EXPECT_EQ(e.line(), m.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(m.says), std::string::npos) << e.what();
    }
  }
}

// Group codes with blanks, a sign or leading zeros, record names and numbers with blanks, numbers
// with a plus sign, CR LF line ends: each read as the plain form.
TEST(DxfReader, ReadsCodesAndNumbersInEveryWrittenForm) {
  std::string text =
      "0\r\nSECTION\r\n2\r\nENTITIES\r\n 0\r\nLINE \t\r\n  10\r\n1.5\r\n+20\r\n -2 \r\n0011\r\n"
      "+3e1\r\n00021\r\n\t4\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
  sim::Drawing d = sim::readDxf(text).drawing;
  ASSERT_EQ(d.modelSpace().entities.size(), 1u);
  const sim::Entity& line = *d.findEntity(d.modelSpace().entities[0]);
  EXPECT_EQ(line.p1, (Point3{1.5, -2, 0}));
  EXPECT_EQ(line.p2, (Point3{30, 4, 0}));
}

TEST(DxfReader, DecodesCodePagesAndUnicodeEscapes) {
  auto layerName = [](const std::string& version, const std::string& codepage,
                      const std::string& name) {
    std::string text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n" + version +
                       "\n9\n$DWGCODEPAGE\n3\n" + codepage +
                       "\n0\nENDSEC\n0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\n" +
                       name + "\n70\n0\n0\nENDTAB\n0\nENDSEC\n0\nEOF\n";
    return sim::readDxf(text).drawing.layers.at(1).name;  // after layer 0
  };
  EXPECT_EQ(layerName("AC1015", "ANSI_1252", "\\U+6A5F\\U+5668"), "機器");
  EXPECT_EQ(layerName("AC1015", "ANSI_1252", "\\U+D83D\\U+DE00"), "😀");
  EXPECT_EQ(layerName("AC1015", "ANSI_932", "\x8b\x40\x8a\xed"), "機器");
  EXPECT_EQ(layerName("AC1009", "ANSI_1252", "\\M+18B40"), "機");
  EXPECT_EQ(layerName("AC1015", "ANSI_1252", "Caf\xe9 \x80"), "Café €");
  EXPECT_EQ(layerName("AC1027", "ANSI_1252", "機器"), "機器");
  EXPECT_THROW(layerName("AC1015", "ANSI_1250", "\xe9"), DxfError);
}

// Drawings another DXF library writes, R12 (code page and \U+ escapes) to 2018 (UTF-8), with
// Japanese names and texts.
TEST(DxfReader, ReadsJapaneseDrawingsWrittenByAnotherLibrary) {
  for (const char* version : {"R12", "R2000", "R2018"}) {
    SCOPED_TRACE(version);
    std::string path = ::testing::TempDir() + "ezdxf-" + version + ".dxf";
    std::string cmd = std::string(QARN_PYTHON) + " " + QARN_SOURCE_DIR +
                      "/tests/tools/make_ezdxf_drawing.py " + version + " \"" + path + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "python3-ezdxf is needed: " << cmd;
    sim::DxfDrawing read = sim::readDxfFile(path);
    sim::Drawing& d = read.drawing;
    sim::Layer* side = d.findLayer("機器枠_側面");
    ASSERT_NE(side, nullptr);
    EXPECT_FALSE(side->on);
    EXPECT_TRUE(side->locked);
    EXPECT_TRUE(d.findLayer("TOVEK_FRONT")->on);
    ASSERT_NE(d.findBlock("TOVEK枠"), nullptr);
    std::vector<std::vector<std::string>> texts;
    for (const auto& h : d.modelSpace().entities) {
      const Entity& e = *d.findEntity(h);
      if (e.type != EntityType::BlockRef) continue;
      EXPECT_EQ(e.blockName, "TOVEK枠");
      EXPECT_EQ(e.layer, "TOVEK_FRONT");
      std::vector<std::string> row;
      for (const auto& a : e.attributes)
        row.push_back(d.findEntity(a)->tag + "=" + d.findEntity(a)->text);
      texts.push_back(row);
    }
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[2], (std::vector<std::string>{"NAME=CB1", "TYPE=配線用遮断器", "SPEC=3P 50A",
                                                  "AUX1=φ22"}));
    auto kinds = countByKind(d);
    EXPECT_EQ(kinds["TEXT"], 1);
    EXPECT_EQ(kinds["LINE"], 1);
    EXPECT_EQ(kinds["ELLIPSE"], std::string(version) == "R12" ? 0 : 1);
  }
}

class DxfRoundTrip : public testing::SimFixture {};

// Everything the simulated CAD draws comes back from its own file as it was: entities with their
// handles and geometry, attributes with their owners, layer states, blocks and groups.
TEST_F(DxfRoundTrip, KeepsEveryEntityAttributeLayerStateAndHandle) {
  Layer off = doc.layers().add("TOVEK_SIDE");
  off.setLayerOn(false);
  Layer locked = doc.layers().add("機器枠");
  locked.setLock(true);
  locked.setPlottable(false);
  Layer frozen = doc.layers().add("TOVEK_CUT");
  frozen.setFreeze(true);
  doc.setVariable("FILEDIA", 0);
  doc.sendCommand("-LINETYPE\rL\rHIDDEN\riso.lin\r\r");
  doc.setVariable("DIMSCALE", 10.0);
  Block ms = doc.modelSpace();
  Polyline p = ms.addLightWeightPolyline({0, 0, 100, 0, 100, 50});
  p.setClosed(true);
  p.setBulge(1, -0.5);
  p.setLinetype("HIDDEN");
  ms.addLine({1, 2, 0}, {3, 4, 0}).setColor(3);
  ms.addCircle({5, 6, 0}, 7);
  ms.addArc({5, 6, 0}, 8, 0.25, 3.5);
  ms.addDimAligned({0, 0, 0}, {30, 40, 0}, {10, 60, 0});
  Block b = doc.blocks().add({1, 1, 0}, "TOVEKHDLRA");
  b.addCircle({0, 0, 0}, 15);
  Attribute def = b.addAttribute(18, 0, "器具番号", {0, 38, 0}, "NAME", "");
  def.setAlignment(10);
  def.setTextAlignmentPoint({0, 38, 0});
  def.setScaleFactor(0.75);
  b.addAttribute(5, 1, "補助", {0, -23, 0}, "AUX2", "x");
  BlockReference r = ms.insertBlock({200, 100, 0}, "TOVEKHDLRA", 2, 2, 1, std::numbers::pi / 6);
  r.getAttributes()[0].setTextString("押釦φ22 \"A\"");
  r.setLayer("TOVEK_SIDE");
  Object group(doc.groups().object().call("Add", {"G1"}));
  group.call("AppendItems", {Value(std::vector<Value>{Value(r.object().dispatch())})});

  const sim::Drawing before = cad.drawing();
  cad.openDxf(cad.dxf(), "again.dxf");
  const sim::Drawing& after = cad.drawing();
  ASSERT_EQ(cad.documentCount(), 2);

  ASSERT_EQ(after.entities.size(), before.entities.size());
  for (const auto& [h, e] : before.entities) {
    SCOPED_TRACE(h);
    const Entity* a = after.findEntity(h);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->type, e.type);
    EXPECT_EQ(a->owner, e.owner);
    EXPECT_EQ(a->layer, e.layer);
    EXPECT_EQ(a->color, e.color);
    EXPECT_EQ(asciiUpper(a->linetype), asciiUpper(e.linetype));
    EXPECT_EQ(a->tag, e.tag);
    EXPECT_EQ(a->text, e.text);
    EXPECT_EQ(a->prompt, e.prompt);
    EXPECT_EQ(a->alignment, e.alignment);
    EXPECT_EQ(a->invisible, e.invisible);
    EXPECT_EQ(a->blockName, e.blockName);
    EXPECT_EQ(a->attributes, e.attributes);
    EXPECT_EQ(a->closed, e.closed);
    ASSERT_EQ(a->vertices.size(), e.vertices.size());
    for (std::size_t i = 0; i < e.vertices.size(); ++i) {
      EXPECT_DOUBLE_EQ(a->vertices[i].x, e.vertices[i].x);
      EXPECT_DOUBLE_EQ(a->vertices[i].y, e.vertices[i].y);
      EXPECT_DOUBLE_EQ(a->vertices[i].bulge, e.vertices[i].bulge);
    }
    for (auto [x, y] : {std::pair{a->p1, e.p1}, {a->p2, e.p2}, {a->p3, e.p3}}) {
      EXPECT_NEAR(x.x, y.x, 1e-9);
      EXPECT_NEAR(x.y, y.y, 1e-9);
    }
    EXPECT_NEAR(a->radius, e.radius, 1e-12);
    EXPECT_NEAR(a->startAngle, e.startAngle, 1e-12);
    EXPECT_NEAR(a->endAngle, e.endAngle, 1e-12);
    EXPECT_NEAR(a->rotation, e.rotation, 1e-12);
    EXPECT_DOUBLE_EQ(a->height, e.height);
    EXPECT_DOUBLE_EQ(a->widthFactor, e.widthFactor);
    EXPECT_DOUBLE_EQ(a->xScale, e.xScale);
    EXPECT_DOUBLE_EQ(a->yScale, e.yScale);
  }
  ASSERT_EQ(after.layers.size(), before.layers.size());
  for (std::size_t i = 0; i < before.layers.size(); ++i) {
    const sim::Layer &x = before.layers[i], &y = after.layers[i];
    EXPECT_EQ(y.name, x.name);
    EXPECT_EQ(y.handle, x.handle);
    EXPECT_EQ(y.on, x.on);
    EXPECT_EQ(y.frozen, x.frozen);
    EXPECT_EQ(y.locked, x.locked);
    EXPECT_EQ(y.plottable, x.plottable);
  }
  ASSERT_EQ(after.blocks.size(), before.blocks.size());
  for (std::size_t i = 0; i < before.blocks.size(); ++i) {
    EXPECT_EQ(after.blocks[i].name, before.blocks[i].name);
    EXPECT_EQ(after.blocks[i].handle, before.blocks[i].handle);
    EXPECT_EQ(after.blocks[i].entities, before.blocks[i].entities);
  }
  ASSERT_NE(after.findLinetype("HIDDEN"), nullptr);
  EXPECT_EQ(after.findLinetype("HIDDEN")->pattern, before.findLinetype("HIDDEN")->pattern);
  ASSERT_EQ(after.groups.size(), 1u);
  EXPECT_EQ(after.groups[0].name, "G1");
  EXPECT_EQ(after.groups[0].members, before.groups[0].members);
  EXPECT_EQ(after.variables.at("DIMSCALE").toDouble(), 10.0);
  // New entities of the opened drawing take handles it does not use yet.
  std::string fresh =
      doc.application().activeDocument().modelSpace().addLine({}, {1, 1, 0}).handle();
  EXPECT_EQ(before.findEntity(fresh), nullptr);
  for (const auto& l : after.layers)
    EXPECT_NE(l.handle, fresh);
}

// Every drawing of other programs opened and saved: the saved file holds every entity of every
// kind, in model space, paper space and the blocks, reads back the same, and passes the audit of
// another DXF library, which counts the same entities in both files.
TEST_F(DxfRoundTrip, OpenAndSaveKeepsEveryEntityOfOtherProgramsDrawings) {
  QARN_NEEDS_SAMPLES("dxf");
  for (const auto& f : std::filesystem::directory_iterator(samplePath(""))) {
    if (f.path().extension() != ".dxf") continue;
    SCOPED_TRACE(f.path().filename().string());
    cad.openDrawing(f.path().string());
    const sim::Drawing read = cad.drawing();
    EXPECT_FALSE(read.notKept.empty());  // their header settings, at least
    std::string saved = ::testing::TempDir() + "resaved-" + f.path().filename().string();
    cad.saveAs(saved);
    EXPECT_TRUE(cad.drawing().notKept.empty());
    const sim::Drawing back = sim::readDxfFile(saved).drawing;
    EXPECT_EQ(countByKind(back), countByKind(read));
    std::map<std::string, int> kinds, kindsBack;
    for (const sim::Drawing* d : {&read, &back})
      for (const auto& [h, e] : d->entities)
        ++(d == &read ? kinds : kindsBack)[sim::dxfName(e)];
    EXPECT_EQ(kindsBack, kinds);
    for (const auto& [h, e] : read.entities)
      if (e.type == EntityType::Opaque) {
        const Entity* b = back.findEntity(h);
        ASSERT_NE(b, nullptr) << h;
        // Links to objects the file does not hold are cut; everything else is as read.
        auto values = [](std::vector<sim::DxfField> f) {
          std::erase_if(f, [](const sim::DxfField& x) {
            return (x.code >= 320 && x.code <= 369) || x.code == 390 ||
                   x.code >= 480 && x.code <= 481 || x.code == 1005;
          });
          return f;
        };
        EXPECT_EQ(values(b->fields), values(e.fields)) << h;
        EXPECT_EQ(b->parts.size(), e.parts.size()) << h;
      }
    // Each record of the file has one handle and one owner; a link names what the file holds.
    std::set<std::string> held;
    for (const auto& [h, e] : back.entities)
      held.insert(h);
    for (const auto& b : back.blocks)
      held.insert(b.handle);
    for (const auto& s : back.styles)
      held.insert(s.handle);
    for (const auto& l : back.layers)
      held.insert(l.handle);
    for (const auto& l : back.linetypes)
      held.insert(l.handle);
    for (const auto& [h, e] : back.entities)
      for (const sim::DxfField& x : e.fields) {
        bool link = (x.code >= 320 && x.code <= 369) || x.code == 390 || x.code == 1005;
        EXPECT_TRUE(!link || x.value == "0" || held.count(x.value)) << h << " " << x.code;
        bool ownClass = std::find_if(e.fields.begin(), e.fields.end(), [&](const auto& y) {
                          return y.code == 100 || &y == &x;
                        })->code != 100;
        EXPECT_FALSE(x.code == 5 || (x.code == 330 && ownClass)) << h << " " << x.code;
      }
    std::string cmd = std::string(QARN_PYTHON) + " " + QARN_SOURCE_DIR +
                      "/tests/tools/dxf_audit.py --kept '" + f.path().string() + "' '" + saved +
                      "' >/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
}

// An entity kept as read has no geometry the simulated CAD can move: exploding a reference that
// shows one, or writing out a block whose base point is not the origin, is refused rather than
// leaving it where it was.
TEST_F(DxfRoundTrip, AnEntityKeptAsReadIsNotLeftBehindByAMove) {
  cad.openDxf(
      "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nB\n70\n0\n10\n1\n20\n1\n0\nTEXT\n"
      "8\n0\n10\n2\n20\n2\n40\n1\n1\nt\n0\nENDBLK\n8\n0\n0\nENDSEC\n0\nSECTION\n2\n"
      "ENTITIES\n0\nINSERT\n8\n0\n2\nB\n10\n5\n20\n5\n0\nENDSEC\n0\nEOF\n",
      "b.dxf");
  Document opened = app.activeDocument();
  BlockReference ref(opened.modelSpace().item(0).object());
  EXPECT_THROW(ref.explode(), AutomationError);
  EXPECT_EQ(opened.modelSpace().count(), 1);
  std::string path = ::testing::TempDir() + "kept-b.dxf";
  std::filesystem::remove(path);
  opened.setVariable("FILEDIA", 0);
  opened.sendCommand("-WBLOCK \"" + path + "\"\rB\r");
  EXPECT_FALSE(std::filesystem::exists(path)) << cad.transcript().back();
  EXPECT_NE(cad.transcript().back().find("TEXT cannot be moved"), std::string::npos)
      << cad.transcript().back();
}

// OPEN on the command line: with the file dialog off it reads the named drawing (a name with
// blanks quoted) into a new document; a file that is no drawing leaves the documents as they were.
TEST_F(DxfRoundTrip, OpenOnTheCommandLineReadsTheDrawingIntoANewActiveDocument) {
  std::string dir = ::testing::TempDir() + "open dir";
  std::filesystem::create_directories(dir);
  doc.modelSpace().addCircle({1, 2, 0}, 3);
  cad.writeDxf(dir + "/one circle.dxf");
  {
    std::ofstream bad(dir + "/bad.dxf");
    bad << "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nx\n";
  }

  doc.sendCommand("_.OPEN \"" + dir + "/one circle.dxf\"\r");
  EXPECT_EQ(cad.documentCount(), 1) << "the file dialog is on: nothing is opened";
  EXPECT_EQ(cad.transcript().back(), "[ファイル ダイアログが開きました。何も開かれません]");

  doc.setVariable("FILEDIA", 0);
  doc.sendCommand("_.OPEN \"" + dir + "/bad.dxf\"\r");
  EXPECT_EQ(cad.documentCount(), 1);
  EXPECT_NE(cad.transcript().back().find("line 8"), std::string::npos) << cad.transcript().back();

  doc.sendCommand("_.OPEN \"" + dir + "/one circle.dxf\"\r");
  ASSERT_EQ(cad.documentCount(), 2);
  Document opened = app.activeDocument();
  EXPECT_EQ(opened.object().get("Name").toText(), "one circle.dxf");
  ASSERT_EQ(opened.modelSpace().count(), 1);
  EXPECT_EQ(opened.modelSpace().item(0).entityName(), "AcDbCircle");
  // The first drawing is still there, unchanged.
  EXPECT_EQ(doc.modelSpace().count(), 1);
}

}  // namespace
}  // namespace qarn::cad
