// The person's file commands typed at the simulated CAD: nothing changed goes without an answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "sim_fixture.h"

namespace qarn::cad {
namespace {

namespace fs = std::filesystem;

class TypedFile : public testing::SimFixture {
 protected:
  TypedFile()
      : dir(::testing::TempDir() + "typed file " +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/") {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  // A change made as QARN makes one: through automation, in the active document.
  void change() { app.activeDocument().modelSpace().addCircle({0, 0, 0}, 5); }
  std::size_t entities() const { return cad.drawing().modelSpace().entities.size(); }
  long asked() const {
    return std::count(cad.prompts().begin(), cad.prompts().end(), "変更を保存しますか?");
  }
  std::string note() const { return cad.transcript().back(); }
  std::string dir;
};

TEST_F(TypedFile, AChangedDrawingIsAskedAboutBeforeNewOpenAndCloseAndKeptUnlessLetGo) {
  std::string other = dir + "other.dxf";
  { sim::SimCad empty; empty.writeDxf(other); }
  for (std::string command : {std::string("NEW"), "OPEN \"" + other + "\"", std::string("CLOSE")}) {
    SCOPED_TRACE(command);
    cad.newInPlace();
    const long before = asked();
    std::string name = cad.documentName();
    cad.typeCommand(command);  // unchanged: nothing to ask
    EXPECT_EQ(asked(), before);
    EXPECT_NE(cad.documentName(), name);

    change();
    name = cad.documentName();
    cad.typeCommand(command);  // nobody to answer: refused, saying why
    EXPECT_EQ(entities(), 1u);
    EXPECT_NE(note().find("変更を保存するか尋ねる相手がいない"), std::string::npos) << note();
    cad.operatorText("キャンセル");
    cad.typeCommand(command);
    cad.operatorEscape();
    cad.typeCommand(command);
    cad.operatorText("はい");  // no answer of the three: asked again
    cad.operatorText("キャンセル");
    cad.typeCommand(command);
    EXPECT_EQ(asked() - before, 4);
    EXPECT_EQ(entities(), 1u);
    EXPECT_EQ(cad.documentName(), name);
    EXPECT_TRUE(cad.modified());

    cad.operatorText("保存しない");
    cad.typeCommand(command);
    EXPECT_EQ(entities(), 0u);
    EXPECT_EQ(cad.documentCount(), 1);
    EXPECT_FALSE(cad.modified());
    EXPECT_EQ(cad.operatorInputsLeft(), 0u);
  }
}

TEST_F(TypedFile, SaveAsksForANameOnceAndThenWritesTheSameFile) {
  change();
  // 保存 on a drawing never saved asks its file name; the drawing then goes.
  cad.operatorText("保存");
  cad.operatorText(dir + "盤");
  cad.typeCommand("NEW");
  ASSERT_TRUE(fs::exists(fs::u8path(dir + "盤.dxf")));
  EXPECT_EQ(cad.prompts().back(), "保存するファイル名を入力:");
  EXPECT_EQ(entities(), 0u);

  cad.typeCommand("OPEN \"" + dir + "盤.dxf\"");
  EXPECT_EQ(entities(), 1u);
  EXPECT_FALSE(cad.modified());
  change();
  EXPECT_TRUE(cad.modified());
  // Over the file it was opened from, what the file held beyond the drawing is asked about once.
  cad.operatorText("N");
  cad.typeCommand("QSAVE");
  EXPECT_NE(cad.prompts().back().find("上書きしますか?"), std::string::npos);
  EXPECT_TRUE(cad.modified());
  cad.operatorText("Y");
  cad.typeCommand("QSAVE");
  EXPECT_FALSE(cad.modified());
  change();
  std::size_t prompts = cad.prompts().size();
  cad.typeCommand("QSAVE");
  EXPECT_EQ(cad.prompts().size(), prompts);
  cad.typeCommand("OPEN \"" + dir + "盤.dxf\"");
  EXPECT_EQ(entities(), 3u);

  // A drawing never saved: QSAVE is SAVEAS. A DWG name is refused, the drawing stays changed.
  cad.typeCommand("NEW");
  change();
  cad.operatorText(dir + "x.dwg");
  cad.typeCommand("QSAVE");
  EXPECT_NE(note().find("DWG ファイルを書けません"), std::string::npos) << note();
  EXPECT_TRUE(cad.modified());
  cad.typeCommand("SAVEAS \"" + dir + "y.dxf\"");
  EXPECT_EQ(cad.documentPath(), dir + "y.dxf");
  EXPECT_FALSE(cad.modified());
  // Automation's QSAVE saves too.
  change();
  app.activeDocument().sendCommand("QSAVE\r");
  EXPECT_FALSE(cad.modified());
}

TEST_F(TypedFile, NewDrawingsTakeTheDimscaleSetAndAChangedOneKeepsItsOwn) {
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 1);
  cad.setNewDrawingDimscale(10);  // the first drawing, still untouched, takes it
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 10);
  EXPECT_FALSE(cad.modified());
  app.activeDocument().setVariable("DIMSCALE", 20.0);
  EXPECT_TRUE(cad.modified());
  cad.setNewDrawingDimscale(30);
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 20);
  cad.operatorText("保存しない");
  cad.typeCommand("NEW");
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 30);
}

}  // namespace
}  // namespace qarn::cad
