#include <gtest/gtest.h>

#include "cad/automation_error.h"
#include "cad/running_objects.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

using testing::RecordingWindow;
using testing::SimFixture;

class CommandTest : public SimFixture {
 protected:
  CommandTest() { session.mainWindow = &window; }
  RecordingWindow window;
};

TEST_F(CommandTest, NotRunningEndsQuietlyWithoutTouchingAnything) {
  cad.unregister();
  cad.resetCounters();
  {
    CadCommand cmd(session);
    EXPECT_FALSE(cmd.running());
  }
  EXPECT_EQ(cad.callCount(), 0);
  EXPECT_TRUE(window.events.empty());
}

TEST_F(CommandTest, AnUnregisteredProgIdReachesTheUser) {
  session.CadProgId = "No.Such.Cad";
  EXPECT_THROW(CadCommand cmd(session), AutomationError);
}

TEST_F(CommandTest, AnErrorInTheMiddleStillClosesUndoRestoresVariablesAndWindow) {
  cad.drawing().variables["ATTREQ"] = Value::int16(1);
  cad.operatorPoint(10, 20);
  try {
    CadCommand cmd(session);
    ASSERT_TRUE(cmd.running());
    cmd.openUndoGroup();
    cmd.setVariable("ATTDIA", 0);
    cmd.setVariable("ATTREQ", 0);
    cmd.setVariable("ATTREQ", 0);  // changed twice, restored to what it was before the first
    cmd.minimizeMainWindow();
    cmd.bringCadForward();
    auto p = cmd.pickPoint("作成基点（左下）を指示 : ");
    ASSERT_TRUE(p);
    cmd.doc().modelSpace().addLine(*p, {50, 50, 0});
    EXPECT_EQ(cad.openUndoGroups(), 1);
    EXPECT_EQ(cad.drawing().variables.at("ATTREQ").toInt(), 0);
    cmd.doc().modelSpace().insertBlock(*p, "NO_SUCH_BLOCK");  // the CAD refuses
    FAIL() << "the refused call must raise";
  } catch (const AutomationError& e) {
    EXPECT_NE(std::string(e.what()).find("NO_SUCH_BLOCK"), std::string::npos);
  }
  EXPECT_EQ(cad.openUndoGroups(), 0);
  EXPECT_EQ(cad.drawing().variables.at("ATTREQ").toInt(), 1);
  EXPECT_EQ(cad.drawing().variables.at("ATTDIA").toInt(), 0);
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));
  EXPECT_EQ(cad.prompts(), std::vector<std::string>{"作成基点（左下）を指示 : "});
  // What was drawn stays, and one undo takes the whole command back.
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 1u);
  EXPECT_TRUE(cad.undo());
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
}

TEST_F(CommandTest, CleanUpGoesOnWhenTheCadRefusesPartOfIt) {
  {
    CadCommand cmd(session);
    cmd.openUndoGroup();
    cmd.setVariable("ATTDIA", 1);
    cmd.minimizeMainWindow();
    cad.failMember("SetVariable");
  }
  EXPECT_EQ(cad.openUndoGroups(), 0) << "the undo group is closed although the restore failed";
  EXPECT_EQ(window.events.back(), "restore");
}

// What the CAD holds after each call: open undo groups, ATTDIA and ATTREQ, each change once.
class StateLog : public sim::Observer {
 public:
  explicit StateLog(sim::SimCad& cad) : cad_(cad) { cad_.addObserver(this); }
  ~StateLog() override { cad_.removeObserver(this); }
  void drawingChanged() override {
    const auto& v = cad_.drawing().variables;
    std::string s = std::to_string(cad_.openUndoGroups()) + std::to_string(v.at("ATTDIA").toInt()) +
                    std::to_string(v.at("ATTREQ").toInt());
    if (states.empty() || states.back() != s) states.push_back(s);
  }
  std::vector<std::string> states;

 private:
  sim::SimCad& cad_;
};

TEST_F(CommandTest, TheUndoGroupEndsBeforeAttdiaAndThenAttreqAreSetBack) {
  cad.drawing().variables["ATTDIA"] = Value::int16(1);
  cad.drawing().variables["ATTREQ"] = Value::int16(1);
  StateLog log(cad);
  {
    CadCommand cmd(session);
    cmd.openUndoGroup();
    cmd.setVariable("ATTDIA", 0);
    cmd.setVariable("ATTREQ", 0);
  }
  EXPECT_EQ(log.states,
            (std::vector<std::string>{"011", "111", "101", "100", "000", "010", "011"}));
}

TEST_F(CommandTest, CancelledAndMissedPicksAreNothingPicked) {
  std::string line = doc.modelSpace().addLine({0, 0, 0}, {1, 1, 0}).handle();
  cad.operatorEscape();
  cad.operatorEnter();
  cad.operatorPick(line, {0.5, 0.5, 0});
  CadCommand cmd(session);
  EXPECT_FALSE(cmd.pickEntity("器具を選択 : "));
  EXPECT_FALSE(cmd.pickEntity("器具を選択 : "));
  auto picked = cmd.pickEntity("器具を選択 : ");
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->entity.handle(), line);
  EXPECT_EQ(picked->entity.entityName(), "AcDbLine");
  EXPECT_EQ(picked->point, (Point3{0.5, 0.5, 0}));
  EXPECT_FALSE(cmd.pickPoint("点 : ")) << "nobody answers: nothing picked";
}

TEST_F(CommandTest, MessagesComeOverTheRestoredMainWindow) {
  CadCommand cmd(session);
  cmd.minimizeMainWindow();
  cmd.prepareMessage();
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore", "front"}));
}

TEST_F(CommandTest, BringingTheCadForwardRestoresItsMinimisedWindow) {
  cad.desktop().minimizeWindow(cad.applicationWindow());
  CadCommand cmd(session);
  cmd.bringCadForward();
  std::string w = std::to_string(cad.applicationWindow());
  EXPECT_EQ(cad.desktop().events(),
            (std::vector<std::string>{"openIcon " + w, "sleep 100", "foreground " + w}));
  EXPECT_EQ(cad.desktop().foregroundWindow(), cad.applicationWindow());
}

}  // namespace
}  // namespace qarn::cad
