#include <gtest/gtest.h>

#include "cad/automation_error.h"
#include "cad/numbers.h"
#include "cad/sim/transcript_text.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

class SimCommandLine : public testing::SimFixture {
 protected:
  // The program's idle wait, as a command that needs a command line's result does it.
  void waitIdle() { WaitCadIdle(app, session.CadProgId, cad.desktop()); }
  const sim::Entity& newest() { return *cad.drawing().findEntity(cad.drawing().lastEntity()); }
};

TEST_F(SimCommandLine, KeepsEveryStringByteForByteAndIgnoresWhatItDoesNotRun) {
  std::vector<std::string> sent{"(load \"pbal.lsp\")\r", "pbal\r", "REGEN\r", ""};
  for (const auto& s : sent)
    doc.sendCommand(s);
  EXPECT_EQ(cad.transcript(), sent);
  EXPECT_FALSE(cad.commandPending());
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
}

TEST_F(SimCommandLine, CopyBaseErasePasteMovesTheNewestEntityToThePickedPoint) {
  // How a device frame is made to hang on the cursor: copy with a base point, erase, paste.
  Block b = doc.blocks().add({0, 0, 0}, "TOVEK_RA100");
  b.addLightWeightPolyline({0, 0, 1, 0, 1, 1, 0, 1}).setClosed(true);
  b.addAttribute(5, 0, "器具番号", {0, 2, 0}, "NAME", "");
  BlockReference ref = doc.modelSpace().insertBlock({100, 50, 0}, "TOVEK_RA100", 30, 60, 1, 0);
  ref.getAttributes()[0].setTextString("MC1");
  std::string old = ref.handle();

  cad.operatorPoint(500, 300);
  double bx = 100, by = 50;
  doc.sendCommand("_COPYBASE\rnone\r" + writeNumber(bx) + "," + writeNumber(by) + ",0" + "\r" +
                  "SINGLE LAST" + "\r");
  doc.sendCommand("_ERASE SINGLE LAST\r");
  EXPECT_FALSE(cad.drawing().findEntity(old));
  doc.sendCommand("_PASTECLIP\r");
  EXPECT_TRUE(cad.commandPending()) << "the paste waits for the insertion point";
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
  waitIdle();
  EXPECT_FALSE(cad.commandPending());
  const sim::Entity& pasted = newest();
  EXPECT_EQ(pasted.type, sim::EntityType::BlockRef);
  EXPECT_EQ(pasted.p1, (Point3{500, 300, 0}));
  EXPECT_DOUBLE_EQ(pasted.yScale, 60);
  ASSERT_EQ(pasted.attributes.size(), 1u);
  EXPECT_EQ(cad.drawing().findEntity(pasted.attributes[0])->text, "MC1");
  // The attribute at (0, 2) of the block sat at (100, 50 + 2 x 60); it travels with the paste.
  EXPECT_EQ(cad.drawing().findEntity(pasted.attributes[0])->p1, (Point3{500, 420, 0}));
}

TEST_F(SimCommandLine, LastIsTheNewestVisibleEntityAndLockedOnesStay) {
  Block ms = doc.modelSpace();
  Layer hide = doc.layers().add("HIDE");
  for (auto state : {&Layer::setLayerOn, &Layer::setFreeze}) {
    std::string mine = ms.addCircle({0, 0, 0}, 5).handle();
    Entity hidden = ms.addCircle({50, 0, 0}, 5);
    hidden.setLayer("HIDE");
    (hide.*state)(state != &Layer::setLayerOn);
    doc.sendCommand("_ERASE SINGLE LAST\r");
    EXPECT_TRUE(cad.drawing().findEntity(hidden.handle())) << "off or frozen: not selected";
    EXPECT_FALSE(cad.drawing().findEntity(mine)) << "the visible one went instead";
    (hide.*state)(state == &Layer::setLayerOn);
  }
  Entity mine = ms.addCircle({0, 0, 0}, 5);
  Entity newest = ms.addCircle({9, 9, 0}, 1);
  newest.setLayer("HIDE");
  hide.setLayerOn(false);
  SelectionSet ss = doc.activeSelectionSet();
  ss.clear();
  ss.selectLast();
  ASSERT_EQ(ss.count(), 1);
  EXPECT_EQ(ss.item(0).handle(), mine.handle()) << "selection mode 4 skips the hidden one too";

  // A locked entity is neither erased nor moved by the command line.
  hide.setLayerOn(true);
  hide.setLock(true);
  cad.operatorPoint(100, 100);
  doc.sendCommand("_ERASE SINGLE LAST\r");
  doc.sendCommand("_MOVE SINGLE LAST 9,9,0\r");
  waitIdle();
  EXPECT_EQ(cad.drawing().findEntity(newest.handle())->p1, (Point3{9, 9, 0}));
  const auto& t = cad.transcript();
  EXPECT_EQ(t[t.size() - 3], "[1 個はロックされた画層上にあります]");
  EXPECT_EQ(t[t.size() - 1], "[1 個はロックされた画層上にあります]");
  EXPECT_EQ(cad.operatorInputsLeft(), 1u) << "the refused move asked for no point";
}

TEST_F(SimCommandLine, ACancelledPasteLeavesNothing) {
  std::string c = doc.modelSpace().addCircle({10, 10, 0}, 2).handle();
  doc.sendCommand("_COPYBASE\rnone\r10,10,0\rSINGLE LAST\r");
  doc.sendCommand("_ERASE SINGLE LAST\r");
  cad.operatorEscape();
  doc.sendCommand("_PASTECLIP\r");
  waitIdle();
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
  // Pasted again with a point: the circle by its copied base point, layer and radius kept.
  cad.operatorPoint(-5, 7);
  doc.sendCommand("_PASTECLIP\r");
  waitIdle();
  EXPECT_EQ(newest().p1, (Point3{-5, 7, 0}));
  EXPECT_EQ(newest().radius, 2);
  EXPECT_NE(newest().handle, c);
}

// Ortho bends a picked point; coordinates typed at the prompt are taken as typed.
TEST_F(SimCommandLine, MoveLastIsConstrainedByOrthoModeForPicksOnly) {
  for (bool typed : {false, true})
    for (int ortho : {0, 1}) {
      doc.setVariable("ORTHOMODE", ortho);
      Entity c = doc.modelSpace().addCircle({10, 10, 0}, 1);
      if (typed)
        cad.operatorTypedPoint(40, 14);
      else
        cad.operatorPoint(40, 14);
      doc.sendCommand("_MOVE SINGLE LAST 10,10,0\r");
      waitIdle();
      const sim::Entity& moved = *cad.drawing().findEntity(c.handle());
      EXPECT_EQ(moved.p1, ortho && !typed ? (Point3{40, 10, 0}) : (Point3{40, 14, 0}))
          << "ORTHOMODE " << ortho << " typed " << typed;
    }
  EXPECT_EQ(sim::readTypedPoint("@5,-5", Point3{1, 1, 1}), (Point3{6, -4, 1}));
  for (const char* bad : {"@5,5", "5", "5,", "a,b", "1,2,3,4", ""})
    EXPECT_FALSE(sim::readTypedPoint(bad, std::nullopt)) << bad;
}

TEST_F(SimCommandLine, InsertByNameAsksForThePointAndMakesAttributes) {
  Block b = doc.blocks().add({0, 0, 0}, "TOVEKPB1_22");
  b.addCircle({0, 0, 0}, 15);
  b.addAttribute(18, 0, "器具番号", {0, 38, 0}, "NAME", "");
  doc.setVariable("ATTREQ", 0);
  cad.operatorPoint(250, 125);
  doc.sendCommand("-INSERT\rTOVEKPB1_22\rX 1 Y 1 R 0\r");
  waitIdle();
  const sim::Entity& ref = newest();
  EXPECT_EQ(ref.blockName, "TOVEKPB1_22");
  EXPECT_EQ(ref.p1, (Point3{250, 125, 0}));
  EXPECT_EQ(ref.attributes.size(), 1u);
}

TEST_F(SimCommandLine, InsertAsksForAttributeValuesOrOpensTheDialogAsTheVariablesSay) {
  Block b = doc.blocks().add({0, 0, 0}, "TAGGED");
  b.addCircle({0, 0, 0}, 5);
  b.addAttribute(5, 0, "p", {0, 0, 0}, "NAME", "dflt");
  b.addAttribute(5, 0, "q", {0, 9, 0}, "TYPE", "");
  // ATTREQ 1: a value for each attribute; Enter keeps the default, a typed value is taken.
  cad.operatorPoint(1, 1);
  cad.operatorEnter();
  cad.operatorText("MC 7");
  doc.sendCommand("-INSERT\rTAGGED\rX 1 Y 1 R 0\r");
  waitIdle();
  ASSERT_EQ(cad.drawing().modelSpace().entities.size(), 1u);
  EXPECT_EQ(cad.drawing().findEntity(newest().attributes[0])->text, "dflt");
  EXPECT_EQ(cad.drawing().findEntity(newest().attributes[1])->text, "MC 7");
  EXPECT_EQ(cad.prompts().back(), "属性値を入力 TYPE:");
  // Nobody answers the values: the insertion is lost.
  cad.operatorPoint(2, 2);
  doc.sendCommand("-INSERT\rTAGGED\rX 1 Y 1 R 0\r");
  waitIdle();
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 1u);
  EXPECT_EQ(cad.transcript().back(), "[属性 NAME の値が入力されません。挿入を中止しました]");
  // ATTDIA 1: the dialog opens (and is what a test sees).
  doc.setVariable("ATTDIA", 1);
  cad.operatorPoint(3, 3);
  doc.sendCommand("-INSERT\rTAGGED\rX 1 Y 1 R 0\r");
  waitIdle();
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 2u);
  EXPECT_EQ(cad.transcript().back(), "[属性ダイアログが開きました]");
}

TEST_F(SimCommandLine, AnUnansweredOrCancelledPointCancelsTheCommand) {
  doc.setVariable("ATTREQ", 0);
  Block b = doc.blocks().add({0, 0, 0}, "SYM");
  b.addCircle({0, 0, 0}, 1);
  doc.sendCommand("-INSERT\rSYM\rX 1 Y 1 R 0\r");
  waitIdle();
  cad.operatorEscape();
  doc.sendCommand("-INSERT\rSYM\rX 1 Y 1 R 0\r");
  waitIdle();
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
  EXPECT_EQ(cad.operatorInputsLeft(), 0u);
}

TEST_F(SimCommandLine, IdleStateReportsBusyForTheRequestedPolls) {
  cad.keepBusy(2);
  Object state(app.object().call("GetAcadState"));
  EXPECT_FALSE(state.get("IsQuiescent").toBool());
  EXPECT_FALSE(state.get("IsQuiescent").toBool());
  EXPECT_TRUE(state.get("IsQuiescent").toBool());
  EXPECT_THROW(app.object().call("GetZcadState"), AutomationError)
      << "a BricsCAD has no ZWCAD query";
}

TEST_F(SimCommandLine, LinetypesLoadOnlyFromTheFilesThisCadShips) {
  doc.setVariable("FILEDIA", 0);
  doc.sendCommand("-LINETYPE\rL\rHIDDEN\racadiso.lin\r\r");
  EXPECT_FALSE(cad.drawing().findLinetype("HIDDEN")) << "a BricsCAD has no acadiso.lin";
  doc.sendCommand("-LINETYPE\rL\rHIDDEN\riso.lin\r\r");
  EXPECT_TRUE(cad.drawing().findLinetype("HIDDEN"));
  std::size_t n = cad.drawing().linetypes.size();
  doc.sendCommand("-LINETYPE\rL\rHIDDEN\riso.lin\r\r");
  EXPECT_EQ(cad.drawing().linetypes.size(), n) << "loading twice adds nothing";
  doc.sendCommand("-LINETYPE\rL\rNOPE\riso.lin\r\r");
  EXPECT_EQ(cad.drawing().linetypes.size(), n);
}

// What the CAD asks by itself is worded as a CAD localised for Japan words it.
TEST_F(SimCommandLine, ItsOwnPromptsAreJapanese) {
  Block b = doc.blocks().add({0, 0, 0}, "TAGGED");
  b.addAttribute(5, 0, "p", {0, 0, 0}, "NAME", "");
  std::string c = doc.modelSpace().addCircle({0, 0, 0}, 1).handle();
  cad.operatorPoint(1, 1);  // paste
  cad.operatorPoint(2, 2);  // insert
  cad.operatorEnter();      // its NAME
  cad.operatorPoint(3, 3);  // move
  cad.operatorPoint(0, 0);  // a distance by two points
  cad.operatorPoint(3, 4);
  cad.operatorSelect({c});
  doc.sendCommand("_COPYBASE\rnone\r0,0,0\rSINGLE LAST\r");
  doc.sendCommand("_PASTECLIP\r");
  doc.sendCommand("-INSERT\rTAGGED\rX 1 Y 1 R 0\r");
  doc.sendCommand("_MOVE SINGLE LAST 0,0,0\r");
  waitIdle();
  EXPECT_DOUBLE_EQ(doc.utility().getDistance("間隔 : "), 5);
  SelectionSet ss = doc.activeSelectionSet();
  ss.selectOnScreen();
  EXPECT_EQ(cad.prompts(),
            (std::vector<std::string>{
                "挿入位置を指定:", "挿入位置を指定 または [基点(B)/尺度(S)/X/Y/Z/回転(R)]:",
                "属性値を入力 NAME:", "目的点を指定 または <1 点目を移動距離として使用>:",
                "間隔 : ", "2 点目を指定:", "オブジェクトを選択:"}));
}

// The transcript as the CAD's window shows it: numbers as a CAD writes them, names untouched.
TEST(SimTranscriptText, NumbersAsACadShowsThem) {
  struct Case {
    const char* line;
    const char* shown;
  } cases[] = {
      {"_MOVE SINGLE LAST 279.88750000000005,100,0\r",
       "コマンド: _MOVE SINGLE LAST 279.8875,100,0 ⏎ "},
      {"-INSERT\rTOVEK_RA100\rX 0.30000000000000004 Y 1 R 0\r",
       "コマンド: -INSERT ⏎ TOVEK_RA100 ⏎ X 0.3 Y 1 R 0 ⏎ "},
      {"_COPYBASE none -12.345678901234567,1234567890.1234567,0.1",
       "コマンド: _COPYBASE none -12.3456789012346,1234567890.12346,0.1"},
      {"(setq a 1.0000000000000002) A1.00000000000000001 3.10000000000000009X",
       "コマンド: (setq a 1) A1.00000000000000001 3.10000000000000009X"},
      {"[1 個はロックされた画層上にあります]", "1 個はロックされた画層上にあります"},
      {"", "コマンド: "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(sim::transcriptLineShown(c.line), c.shown) << c.line;
}

}  // namespace
}  // namespace qarn::cad
