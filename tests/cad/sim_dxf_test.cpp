#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include <unistd.h>

#include "sim_fixture.h"

namespace qarn::cad {
namespace {

class SimDxf : public testing::SimFixture {
 protected:
  // Every kind of entity and table entry the writer knows, with Japanese text in it.
  void drawEverything() {
    doc.layers().add("TOVEK_NAME");
    Layer frozen = doc.layers().add("OFF_LAYER");
    frozen.setLayerOn(false);
    frozen.setFreeze(true);
    doc.setVariable("FILEDIA", 0);
    doc.sendCommand("-LINETYPE\rL\rHIDDEN\riso.lin\r\r");
    Block ms = doc.modelSpace();
    Polyline p = ms.addLightWeightPolyline({0, 0, 100, 0, 100, 50, 0, 50});
    p.setClosed(true);
    p.setBulge(1, 0.41421356);
    p.setLinetype("HIDDEN");
    ms.addLine({0, 0, 0}, {100, 50, 0}).setColor(1);
    ms.addCircle({50, 25, 0}, 10);
    ms.addArc({50, 25, 0}, 20, 0.5, 2.5);
    ms.addDimAligned({0, 50, 0}, {100, 50, 0}, {50, 150, 0});
    Block b = doc.blocks().add({0, 0, 0}, "TOVEKHDLRA");
    Entity ring = b.addCircle({0, 0, 0}, 15);
    ring.setColor(0);
    ring.setLinetype("BYBLOCK");
    Attribute a = b.addAttribute(18, 0, "器具番号", {0, 38, 0}, "NAME", "");
    a.setLayer("TOVEK_NAME");
    a.setAlignment(10);
    a.setTextAlignmentPoint({0, 38, 0});
    a.setScaleFactor(0.75);
    b.addAttribute(5, 1, "補助2", {0, -23, 0}, "AUX2", "");
    BlockReference r = ms.insertBlock({200, 100, 0}, "TOVEKHDLRA", 1, 1, 1, std::numbers::pi / 4);
    r.getAttributes()[0].setTextString("押釦φ22");
    Object group(doc.groups().object().call("Add", {"G1"}));
    group.call("AppendItems", {Value(std::vector<Value>{Value(r.object().dispatch())})});
  }
};

TEST_F(SimDxf, WritesTheMeasuredPointsAndTextPointOfDimensions) {
  drawEverything();
  std::string dxf = cad.dxf();
  EXPECT_EQ(dxf.rfind("0\nEOF\n"), dxf.size() - 6);
  EXPECT_NE(dxf.find("AC1015"), std::string::npos);
  // Codes 13 and 14 are the measured points, 11 the text point.
  EXPECT_NE(dxf.find("100\nAcDbAlignedDimension\n13\n0\n23\n50\n33\n0\n14\n100\n24\n50\n34\n0\n"),
            std::string::npos);
  EXPECT_NE(dxf.find("11\n50\n21\n150\n31\n0\n70\n"), std::string::npos);
  EXPECT_NE(dxf.find("42\n0.41421356\n"), std::string::npos) << "the bulge of vertex 1";
  EXPECT_NE(dxf.find("\\U+5668\\U+5177\\U+756A\\U+53F7"), std::string::npos) << "器具番号 escaped";
  EXPECT_EQ(dxf.find("\xE5"), std::string::npos) << "no raw UTF-8 bytes in an ANSI file";
}

// Texts as users type or paste them: a control character would end the line of its value and a
// backslash sequence would read as an escape. Each comes back as it was; no line holds a control
// character.
TEST_F(SimDxf, EveryTextComesBackFromTheFileAsItWas) {
  const std::string texts[] = {"MC1\n",      "A\r\nB",    "tab\there", "x^2 ^J",    "^ ",
                               "C:\\U+0041", "\\M+18140", "a\\b\\P",   "end\\U+00", "\x1F\x7F"};
  Block b = doc.blocks().add({0, 0, 0}, "TEXTS");
  for (const std::string& t : texts)
    b.addAttribute(2.5, 0, t, {0, 0, 0}, "TAG", t);
  std::string dxf = cad.dxf();
  for (char c : dxf)
    ASSERT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
  cad.openDxf(dxf, "again.dxf");
  const sim::Block* back = cad.drawing().findBlock("TEXTS");
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->entities.size(), std::size(texts));
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    const sim::Entity& e = *cad.drawing().findEntity(back->entities[i]);
    EXPECT_EQ(e.text, texts[i]);
    EXPECT_EQ(e.prompt, texts[i]);
  }
}

TEST_F(SimDxf, EzdxfOpensAndAuditsTheDrawingWithoutErrors) {
  drawEverything();
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("qarn-dxf-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::path file = dir / "everything.dxf";
  cad.writeDxf(file.string());
  fs::path report = dir / "audit.txt";
  std::string cmd = std::string(QARN_PYTHON) + " " + QARN_SOURCE_DIR +
                    "/tests/tools/dxf_audit.py " + file.string() + " > " + report.string() +
                    " 2>&1";
  int rc = std::system(cmd.c_str());
  std::ifstream in(report);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(rc, 0) << text.str();
  EXPECT_NE(text.str().find("6 model-space entities"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("0 errors, 0 fixes"), std::string::npos) << text.str();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qarn::cad
