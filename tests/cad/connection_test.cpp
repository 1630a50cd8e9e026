#include <gtest/gtest.h>

#include "cad/automation_error.h"
#include "cad/running_objects.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

using testing::SimFixture;

TEST(Connection, RunningTestAndAttachFollowTheRunningObjectTable) {
  const std::string progId = "Test.Connection.Application";
  EXPECT_THROW(IsCadRunning(progId), AutomationError) << "an unregistered ProgID is an error";
  try {
    IsCadRunning(progId);
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.code(), status::kInvalidClassString);
    EXPECT_NE(std::string(e.what()).find(progId), std::string::npos);
  }
  {
    sim::SimCad cad;
    cad.registerAs(progId);
    EXPECT_TRUE(IsCadRunning(progId));
    EXPECT_TRUE(IsCadRunning("test.connection.APPLICATION")) << "ProgIDs ignore case";
    EXPECT_EQ(attachCad(progId).documentCount(), 1);
  }
  // The CAD closed: its class is still registered, nothing runs, attaching fails.
  EXPECT_FALSE(IsCadRunning(progId));
  EXPECT_THROW(attachCad(progId), AutomationError);
  RunningObjects::instance().forgetClass(progId);
}

TEST(Connection, ActivateCadWindowRestoresTwiceAtMostAndEscapesOnlyInFront) {
  sim::SimCad cad;
  auto& desk = cad.desktop();
  WindowHandle w = cad.applicationWindow();

  desk.minimizeWindow(w);
  ActivateCadWindow(desk, w);
  std::vector<std::string> want{"openIcon " + std::to_string(w), "sleep 100",
                                "foreground " + std::to_string(w), "escape"};
  EXPECT_EQ(desk.events(), want);

  desk.addWindow(0x9999, 800, 600);
  desk.setForegroundWindow(0x9999);
  desk.refuseForeground(true);
  desk.clearEvents();
  ActivateCadWindow(desk, w);
  EXPECT_EQ(desk.events(), std::vector<std::string>{"foreground " + std::to_string(w)})
      << "no Escape while another window keeps the foreground";
}

TEST(Connection, GetScreenScaleFallsBackTo100) {
  sim::SimCad cad;
  cad.desktop().setMonitorScale(150);
  EXPECT_EQ(GetScreenScale(cad.desktop()), 150);
  cad.desktop().setMonitorScale(std::nullopt);
  EXPECT_EQ(GetScreenScale(cad.desktop()), 100);
}

TEST(Connection, IdleQueryByCadKindInItsOwnOrder) {
  EXPECT_EQ(idleQueryFor("AutoCAD.Application"), "GetAcadState");
  EXPECT_EQ(idleQueryFor("BricscadApp.AcadApplication"), "GetAcadState");
  EXPECT_EQ(idleQueryFor("ZWCAD.Application"), "GetZcadState");
  EXPECT_EQ(idleQueryFor("ZWCAD.AutoCAD.Compat"), "GetAcadState") << "AUTOCAD is tested first";
  EXPECT_EQ(idleQueryFor("Pcad.Application"), "GetAcadState");
  EXPECT_EQ(idleQueryFor("GCAD.Application"), "GetAcadState");
}

struct WaitCase {
  sim::CadProfile profile;
  std::string progId;
  int busy;
  long acad, zcad, gcad;  // calls of each query expected
  long long slept;
};

TEST(Connection, WaitCadIdlePollsEvery100msAndFallsBackForOtherCads) {
  for (const WaitCase& c : std::vector<WaitCase>{
           {sim::CadProfile::bricscad(), "BricscadApp.AcadApplication", 3, 4, 0, 0, 300},
           {sim::CadProfile::zwcad(), "ZWCAD.Application", 1, 0, 2, 0, 100},
           {sim::CadProfile::gstarcad(), "GCAD.Application", 2, 1, 0, 3, 200},
           // A ZWCAD without the ZWCAD query: no fallback, the wait ends at once.
           {sim::CadProfile::bare(), "ZWCAD.Application", 2, 0, 1, 0, 0},
           // Neither query exists: return at once.
           {sim::CadProfile::bare(), "Other.Application", 2, 1, 0, 1, 0},
       }) {
    sim::SimCad cad(c.profile);
    cad.keepBusy(c.busy);
    Application app(Object(cad.application()));
    WaitCadIdle(app, c.progId, cad.desktop());
    EXPECT_EQ(cad.callCount("GetAcadState"), c.acad) << c.progId << " on " << c.profile.name;
    EXPECT_EQ(cad.callCount("GetZcadState"), c.zcad) << c.progId << " on " << c.profile.name;
    EXPECT_EQ(cad.callCount("GetGcadState"), c.gcad) << c.progId << " on " << c.profile.name;
    EXPECT_EQ(cad.desktop().sleptMilliseconds(), c.slept) << c.progId << " on " << c.profile.name;
  }
}

TEST(Connection, WaitCadIdleEndsQuietlyWhenTheStateCannotBeRead) {
  sim::SimCad cad;
  cad.keepBusy(5);
  cad.failMember("IsQuiescent");
  Application app(Object(cad.application()));
  EXPECT_NO_THROW(WaitCadIdle(app, kDefaultCadProgId, cad.desktop()));
  EXPECT_EQ(cad.desktop().sleptMilliseconds(), 0);
}

}  // namespace
}  // namespace qarn::cad
