#include "library/library_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "../cad/sim_fixture.h"
#include "../samples.h"
#include "app/settings_file.h"
#include "cad/sim/dxf_reader.h"
#include "library/folder_registry.h"

namespace qarn::library {
namespace {

namespace fs = std::filesystem;

TEST(LibraryCommandLines, InsertFormsAndMasks) {
  EXPECT_EQ(fileMask("*"), "***.dwg");
  EXPECT_EQ(fileMask("MC"), "*MC*.dwg");
  EXPECT_EQ(insertCommand("C:\\lib\\motor.dwg", false, "BricscadApp.AcadApplication", false),
            "-INSERT\rC:\\lib\\motor.dwg\rS 1 R 0\r");
  EXPECT_EQ(insertCommand("C:\\my lib\\motor.dwg", false, "AutoCAD.Application", false),
            "-INSERT\r\"C:\\my lib\\motor.dwg\"\rS 1 R 0\r");
  // The drawing already has a block of that name: its own definition is kept.
  EXPECT_EQ(insertCommand("C:\\lib\\motor.dwg", false, "AutoCAD.Application", true),
            "-INSERT\rC:\\lib\\motor.dwg\rN\rS 1 R 0\r");
  EXPECT_EQ(insertCommand("C:\\lib\\motor.dwg", true, "ZWCAD.Application", true),
            "-INSERT\r*C:\\lib\\motor.dwg\rS 1 R 0\r");
  EXPECT_EQ(insertCommand("C:\\my lib\\motor.dwg", true, "ZWCAD.Application", false),
            "-INSERT\r\"*C:\\my lib\\motor.dwg\"\rS 1 R 0\r");
  EXPECT_EQ(insertCommand("C:\\lib\\motor.dwg", true, "Gcad.Application", false),
            "(command \"-INSERT\" \"*C:\\\\lib\\\\motor.dwg\" pause 1 0)(princ)\r");
}

class LibraryCommands : public cad::testing::SimFixture {
 protected:
  LibraryCommands()
      : dir(::testing::TempDir() + "block library " +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/") {
    fs::remove_all(dir);
    fs::create_directories(dir);
    session.mainWindow = &window;
    // A drawing of a motor symbol in the library folder.
    cad::sim::SimCad other;
    cad::Document d = cad::Application(cad::Object(other.application())).activeDocument();
    d.modelSpace().addCircle({0, 0, 0}, 5);
    other.writeDxf(dir + "motor.dwg");
  }
  std::string dir;
  cad::testing::RecordingWindow window;
};

TEST_F(LibraryCommands, InsertPlacesTheDrawingWhereTheUserClicks) {
  cad.operatorPoint(30, 40);
  Button18Click(session, dir + "motor.dwg", false);
  EXPECT_EQ(cad.transcript()[0], "-INSERT\r\"" + dir + "motor.dwg\"\rS 1 R 0\r");
  const cad::sim::Entity& ref = *cad.drawing().findEntity(cad.drawing().lastEntity());
  EXPECT_EQ(ref.blockName, "motor");
  EXPECT_EQ(ref.p1.x, 30);
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));
  const auto& ev = cad.desktop().events();
  EXPECT_NE(std::find(ev.begin(), ev.end(), "sleep 10"), ev.end());
  // Exploded: the circle itself, no reference.
  cad.operatorPoint(100, 0);
  Button18Click(session, dir + "motor.dwg", true);
  const cad::sim::Entity& loose = *cad.drawing().findEntity(cad.drawing().lastEntity());
  EXPECT_EQ(loose.type, cad::sim::EntityType::Circle);
  EXPECT_EQ(loose.p1.x, 100);
  // Again whole: the drawing's "motor" block is kept, the question answered.
  cad.operatorPoint(0, 0);
  Button18Click(session, dir + "motor.dwg", false);
  EXPECT_EQ(cad.transcript().back(), "-INSERT\r\"" + dir + "motor.dwg\"\rN\rS 1 R 0\r");
  EXPECT_EQ(cad.drawing().findEntity(cad.drawing().lastEntity())->blockName, "motor");
  // A file that vanished: nothing at all.
  std::size_t sent = cad.transcript().size();
  Button18Click(session, dir + "gone.dwg", false);
  EXPECT_EQ(cad.transcript().size(), sent);
}

// The simulated CAD reads no DWG geometry: a real .dwg inserts nothing and the transcript says
// why, unless the drawing holds a block of that name, which is then inserted, whole or exploded.
TEST_F(LibraryCommands, ADwgTheSimulatedCadCannotReadInsertsNothingUnlessItsBlockIsThere) {
  QARN_NEEDS_SAMPLES("dwg");
  fs::path sample = qarn::testing::samplesFolder("dwg") / "R14.dwg";
  fs::copy_file(sample, dir + "R14.dwg");
  for (bool exploded : {false, true}) {
    cad.operatorPoint(30, 40);
    Button18Click(session, dir + "R14.dwg", exploded);
    EXPECT_TRUE(cad.drawing().modelSpace().entities.empty()) << exploded;
    EXPECT_FALSE(cad.drawing().findBlock("R14")) << exploded;
    EXPECT_NE(cad.transcript().back().find("DWG ファイルの図形を読み込めません．何も挿入しません"),
              std::string::npos)
        << cad.transcript().back();
    cad.dropOperatorInputs();
  }
  doc.blocks().add({0, 0, 0}, "R14").addCircle({0, 0, 0}, 3);
  for (bool exploded : {false, true}) {
    cad.operatorPoint(exploded ? 50 : 5, 5);
    Button18Click(session, dir + "R14.dwg", exploded);
    const cad::sim::Entity& e = *cad.drawing().findEntity(cad.drawing().lastEntity());
    EXPECT_EQ(e.type, exploded ? cad::sim::EntityType::Circle : cad::sim::EntityType::BlockRef);
    EXPECT_EQ(e.p1.x, exploded ? 50 : 5);
  }
  EXPECT_NE(cad.transcript().back().find("図面にあるブロック R14 を挿入します"), std::string::npos);
  EXPECT_EQ(cad.drawing().findBlock("R14")->entities.size(), 1u) << "the drawing's own block";
}

TEST_F(LibraryCommands, WblockWritesThePickedBlockOpensZoomsAndSavesIt) {
  cad::Block b = doc.blocks().add({0, 0, 0}, "VALVE");
  b.addCircle({0, 0, 0}, 4);
  cad::BlockReference r = doc.modelSpace().insertBlock({5, 5, 0}, "VALVE");
  cad.operatorPick(r.handle());
  ExportResult e = Button17Click(session, dir, [] { return false; });
  ASSERT_EQ(e.status, ExportResult::Status::Written);
  EXPECT_EQ(e.file, dir + "VALVE.dwg");
  EXPECT_EQ(cad.transcript()[0], "-WBLOCK \"" + dir + "VALVE.dwg\"\r=\r");
  EXPECT_EQ(cad.transcript()[1], "OPEN\r\"" + dir + "VALVE.dwg\"\r");
  EXPECT_EQ(cad.transcript()[2], "QSAVE\r");
  EXPECT_EQ(cad.transcript()[3], "CLOSE\r");
  EXPECT_EQ(cad.callCount("ZoomExtents"), 2);
  EXPECT_EQ(app.documentCount(), 1);
  EXPECT_EQ(cad.drawing().variables.at("FILEDIA").toInt(), 1) << "put back";
  EXPECT_EQ(cad::sim::readDxfFile(e.file).drawing.modelSpace().entities.size(), 1u);
  EXPECT_EQ(cad.prompts().back(), "WBLOCK するブロックを選択 : ");

  // Now it exists: declined, nothing is sent; accepted, the CAD's question is answered.
  std::size_t sent = cad.transcript().size();
  cad.operatorPick(r.handle());
  EXPECT_EQ(Button17Click(session, dir, [] { return false; }).status,
            ExportResult::Status::Declined);
  EXPECT_EQ(cad.transcript().size(), sent);
  EXPECT_EQ(cad.drawing().variables.at("FILEDIA").toInt(), 1);
  cad.operatorPick(r.handle());
  Button17Click(session, dir, [] { return true; });
  EXPECT_EQ(cad.transcript()[sent], "-WBLOCK \"" + dir + "VALVE.dwg\"\rY\r=\r");
}

TEST_F(LibraryCommands, AnAnonymousBlockOrAnythingElseIsNotWritten) {
  cad::Block b = doc.blocks().add({0, 0, 0}, "VALVE");
  b.addCircle({0, 0, 0}, 4);
  std::string h = doc.modelSpace().insertBlock({5, 5, 0}, "VALVE").handle();
  cad.drawing().blocks.back().name = "*U12";  // as the CAD names a dynamic block's copy
  cad.drawing().findEntity(h)->blockName = "*U12";
  cad.operatorPick(h);
  ExportResult e = Button17Click(session, dir, [] { return true; });
  EXPECT_EQ(e.status, ExportResult::Status::Refused);
  EXPECT_NE(e.message.find("*U12"), std::string::npos);
  std::string line = doc.modelSpace().addLine({0, 0, 0}, {1, 1, 0}).handle();
  cad.operatorPick(line);
  EXPECT_EQ(Button17Click(session, dir, [] { return true; }).status,
            ExportResult::Status::NothingPicked);
  EXPECT_TRUE(cad.transcript().empty());
  EXPECT_FALSE(fs::exists(dir + "*U12.dwg"));
  EXPECT_EQ(window.events.back(), "restore");
}

TEST(FolderRegistry, ItemsStaySortedAndSplitAtTheFirstBar) {
  FolderRegistry r;
  EXPECT_EQ(r.add(registryItem("盤", "D:\\lib\\盤")), 0);
  EXPECT_EQ(r.add(registryItem("Motors", "D:\\lib\\m")), 0);
  EXPECT_EQ(r.add(registryItem("Motors", "D:\\lib\\m")), 0) << "the first equal one";
  EXPECT_EQ(r.items().size(), 3u);
  EXPECT_EQ(r.replace(2, registryItem("Aa", "X")), 0);
  EXPECT_EQ(r.items()[0], "Aa | X");
  r.remove(0);
  EXPECT_EQ(r.items().size(), 2u);
  auto s = splitItem(" Pumps  |  D:\\a|b ");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->title, "Pumps");
  EXPECT_EQ(s->folder, "D:\\a|b");
  EXPECT_FALSE(splitItem("no bar"));
}

TEST(FolderRegistry, RegisteredFoldersComeBackFromTheSettingsFile) {
  std::string path = ::testing::TempDir() + "library.ini";
  fs::remove(path);
  app::writeSettings(path, 10, 20, "X.Application", "X");
  app::writeLibraryFolders(path, {"Motors | D:\\lib\\m", "盤 | D:\\盤"});
  EXPECT_EQ(app::readLibraryFolders(path),
            (std::vector<std::string>{"Motors | D:\\lib\\m", "盤 | D:\\盤"}));
  app::writeLibraryFolders(path, {"Only | C:\\"});
  EXPECT_EQ(app::readLibraryFolders(path), (std::vector<std::string>{"Only | C:\\"}));
  EXPECT_EQ(app::readSettings(path, "", "").progId, "X.Application") << "the rest is kept";
  // A line edited by hand into something that is no registration is passed over.
  app::IniFile ini = app::IniFile::load(path);
  ini.write("Library", "Count", "2");
  ini.write("Library", "Folder2", "no bar here");
  ini.save(path);
  EXPECT_EQ(app::readLibraryFolders(path), (std::vector<std::string>{"Only | C:\\"}));
}

}  // namespace
}  // namespace qarn::library
