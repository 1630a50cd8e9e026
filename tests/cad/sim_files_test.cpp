#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cad/automation_error.h"
#include "cad/sim/dxf_reader.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

namespace fs = std::filesystem;

class SimFiles : public testing::SimFixture {
 protected:
  SimFiles()
      : dir(::testing::TempDir() + "sim files " +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/") {
    fs::remove_all(dir);
    fs::create_directories(dir);
    doc.setVariable("FILEDIA", 0);
  }
  // A drawing file of a motor symbol: a circle of radius 5 at (10, 0) and a line.
  std::string motorFile(const std::string& name = "motor.dxf") {
    sim::SimCad other;
    cad::Document d = Application(Object(other.application())).activeDocument();
    d.modelSpace().addCircle({10, 0, 0}, 5);
    d.modelSpace().addLine({0, 0, 0}, {20, 0, 0});
    other.writeDxf(dir + name);
    return dir + name;
  }
  const sim::Block* block(const std::string& name) const { return cad.drawing().findBlock(name); }
  std::string dir;
};

TEST_F(SimFiles, InsertingADrawingFileMakesABlockOfItsNameAndWaitsForThePoint) {
  std::string path = motorFile();
  cad.operatorPoint(100, 50);
  doc.sendCommand("-INSERT\r\"" + path + "\"\rS 1 R 0\r");
  EXPECT_TRUE(cad.commandPending());
  EXPECT_TRUE(app.isQuiescent("GetAcadState") == false);  // the point is given now
  ASSERT_NE(block("motor"), nullptr);
  EXPECT_EQ(block("motor")->entities.size(), 2u);
  const sim::Entity& ref = *cad.drawing().findEntity(cad.drawing().lastEntity());
  EXPECT_EQ(ref.type, sim::EntityType::BlockRef);
  EXPECT_EQ(ref.blockName, "motor");
  EXPECT_EQ(ref.p1.x, 100);
}

// A block of the file's name already in the drawing: the CAD asks whether to redefine it. "S" is
// no answer to that and ends the insertion; "N" keeps the drawing's own definition.
TEST_F(SimFiles, TheRedefineQuestionMustBeAnswered) {
  std::string path = motorFile();
  Block own = doc.blocks().add({0, 0, 0}, "motor");
  own.addLine({0, 0, 0}, {1, 1, 0});
  const std::string quoted = "\"" + path + "\"";
  doc.sendCommand("-INSERT\r" + quoted + "\rS 1 R 0\r");
  EXPECT_FALSE(cad.commandPending());
  EXPECT_NE(cad.transcript().back().find("再定義しますか?"), std::string::npos);
  cad.operatorPoint(5, 5);
  doc.sendCommand("-INSERT\r" + quoted + "\rN\rS 1 R 0\r");
  app.isQuiescent("GetAcadState");
  EXPECT_EQ(block("motor")->entities.size(), 1u) << "the drawing's own definition is kept";
  EXPECT_EQ(cad.drawing().findEntity(cad.drawing().lastEntity())->blockName, "motor");
  doc.sendCommand("-INSERT\r" + quoted + "\rY\r");
  EXPECT_EQ(block("motor")->entities.size(), 2u);
}

TEST_F(SimFiles, AnExplodedInsertPlacesTheLooseParts) {
  std::string path = motorFile();
  std::size_t blocks = cad.drawing().blocks.size();
  cad.operatorPoint(100, 0);
  doc.sendCommand("-INSERT\r\"*" + path + "\"\rS 1 R 0\r");
  app.isQuiescent("GetAcadState");
  EXPECT_EQ(cad.drawing().blocks.size(), blocks) << "no block is left behind";
  ASSERT_EQ(cad.drawing().modelSpace().entities.size(), 2u);
  const sim::Entity& circle = *cad.drawing().findEntity(cad.drawing().modelSpace().entities[0]);
  EXPECT_EQ(circle.type, sim::EntityType::Circle);
  EXPECT_EQ(circle.p1.x, 110);
  // Cancelled at the point, the block made for it goes too.
  cad.operatorEscape();
  doc.sendCommand("-INSERT\r\"*" + path + "\"\rS 1 R 0\r");
  app.isQuiescent("GetAcadState");
  EXPECT_EQ(cad.drawing().blocks.size(), blocks);
}

TEST_F(SimFiles, AFileTheSimulatedCadCannotReadInsertsNothingAndSaysWhy) {
  std::ofstream(dir + "pump.dwg", std::ios::binary) << "AC1032\x00\x01binary";
  std::ofstream(dir + "fan.dxf", std::ios::binary) << "no drawing";
  cad.operatorPoint(1, 1);
  doc.sendCommand("-INSERT\r\"" + dir + "pump.dwg\"\rS 1 R 0\r");
  EXPECT_EQ(block("pump"), nullptr);
  EXPECT_FALSE(cad.commandPending());
  EXPECT_NE(cad.transcript().back().find("DWG ファイルの図形を読み込めません．何も挿入しません"),
            std::string::npos);
  doc.sendCommand("-INSERT\r\"" + dir + "fan.dxf\"\rS 1 R 0\r");
  EXPECT_EQ(block("fan"), nullptr);
  EXPECT_NE(cad.transcript().back().find("読み込める DXF 図面ではありません"), std::string::npos);
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
  doc.sendCommand("-INSERT\r\"" + dir + "missing.dwg\"\rS 1 R 0\r");
  EXPECT_NE(cad.transcript().back().find("が見つかりません"), std::string::npos);
  EXPECT_EQ(block("missing"), nullptr);
}

TEST_F(SimFiles, WblockWritesTheBlockAsADrawingAndAsksBeforeReplacing) {
  Block b = doc.blocks().add({50, 50, 0}, "VALVE");
  b.addCircle({60, 50, 0}, 4);
  std::string path = dir + "VALVE.dwg", quoted = "\"" + path + "\"";
  doc.setVariable("FILEDIA", 1);
  doc.sendCommand("-WBLOCK " + quoted + "\r=\r");
  EXPECT_EQ(cad.transcript().back(), "[ファイル ダイアログが開きました。何も書き出されません]");
  EXPECT_FALSE(fs::exists(path));
  doc.setVariable("FILEDIA", 0);
  doc.sendCommand("-WBLOCK " + quoted + "\r=\r");
  ASSERT_TRUE(fs::exists(path));
  sim::DxfDrawing read = sim::readDxfFile(path);
  ASSERT_EQ(read.drawing.modelSpace().entities.size(), 1u);
  EXPECT_EQ(read.drawing.findEntity(read.drawing.modelSpace().entities[0])->p1.x, 10)
      << "the block's base point is the drawing's origin";
  // It exists now: without "Y" it is not replaced.
  b.addLine({0, 0, 0}, {1, 0, 0});
  doc.sendCommand("-WBLOCK " + quoted + "\r=\r");
  EXPECT_NE(cad.transcript().back().find("置き換えませんでした"), std::string::npos);
  EXPECT_EQ(sim::readDxfFile(path).drawing.modelSpace().entities.size(), 1u);
  doc.sendCommand("-WBLOCK " + quoted + "\rY\r=\r");
  EXPECT_EQ(sim::readDxfFile(path).drawing.modelSpace().entities.size(), 2u);
}

TEST_F(SimFiles, OpenQsaveAndCloseChangeTheDocuments) {
  std::string path = motorFile("plan.dwg");
  doc.sendCommand("OPEN\r\"" + path + "\"\r");
  ASSERT_EQ(app.documentCount(), 2);
  Document opened = app.activeDocument();
  EXPECT_EQ(opened.object().get("Name").toText(), "plan.dwg");
  opened.modelSpace().addLine({0, 0, 0}, {5, 5, 0});
  opened.sendCommand("QSAVE\r");
  EXPECT_EQ(sim::readDxfFile(path).drawing.modelSpace().entities.size(), 3u);
  opened.sendCommand("CLOSE\r");
  EXPECT_EQ(app.documentCount(), 1);
  EXPECT_THROW(opened.modelSpace(), AutomationError);
  EXPECT_EQ(app.activeDocument().object().get("Name").toText(), "Drawing1.dwg");
  // A new drawing has no file: QSAVE would open the save dialog.
  doc.sendCommand("QSAVE\r");
  EXPECT_EQ(cad.transcript().back(), "[保存ダイアログが開きました。何も保存されません]");
}

}  // namespace
}  // namespace qarn::cad
