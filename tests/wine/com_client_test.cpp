// The Windows link against the test automation server, in another process, through COM. The
// server's ProgID, the sample data folder and a scratch folder come from the environment:
// QARN_PROGID, QARN_DATA, QARN_SCRATCH.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cad/automation_error.h"
#include "cad/com/com_dispatch.h"
#include "cad/com/com_link.h"
#include "cad/com/win32_desktop.h"
#include "cad/command.h"
#include "cad/drawing_routines.h"
#include "cad/message_filter.h"
#include "cad/platform_desktop.h"
#include "cad/running_objects.h"
#include "cad/sim/sim_cad.h"
#include "catalogue/device_catalogue.h"
#include "enclosure/enclosure_catalogue.h"
#include "enclosure/enclosure_drawing.h"
#include "frames/frame_row.h"
#include "frames/front_placement.h"
#include "frames/mounting_holes.h"
#include "frames/partitions.h"
#include "frames/side_view.h"
#include "panel/panel_creation.h"

namespace qarn::cad {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Round trips to the CAD over automation calls since `before`, with the figures in words.
double roundTrips(const com::ComCounters& before, std::ostream& figures) {
  const com::ComCounters& now = com::comCounters();
  long calls = now.calls - before.calls, invokes = now.invokes - before.invokes,
       lookups = now.lookups - before.lookups, types = now.typeInfos - before.typeInfos;
  double ratio = calls ? static_cast<double>(invokes + lookups + types) / calls : 0;
  figures << calls << " calls: " << invokes << " Invoke + " << lookups << " GetIDsOfNames + "
          << types << " type queries = " << ratio << " per call";
  return ratio;
}

// A catalogue row of the sample data by its model.
catalogue::Fields catalogueRow(const char* file, const std::string& model) {
  catalogue::CatalogueCache cache;
  if (auto snapshot = cache.load(env("QARN_DATA") + "/" + file))
    for (const auto& r : snapshot->records)
      if (r.field(1) == model) return r.fields();
  ADD_FAILURE() << "no " << model << " in " << file;
  return {};
}

// Counts the sleeps of the idle wait without sleeping for real.
class CountingDesktop : public Desktop {
 public:
  explicit CountingDesktop(Desktop& real) : real_(real) {}
  bool isIconic(WindowHandle w) override { return real_.isIconic(w); }
  void openIcon(WindowHandle w) override { real_.openIcon(w); }
  void setForegroundWindow(WindowHandle w) override { real_.setForegroundWindow(w); }
  WindowHandle foregroundWindow() override { return real_.foregroundWindow(); }
  void pressEscape() override {}
  void sleep(int ms) override { slept += ms; }
  bool windowSize(WindowHandle w, int& a, int& b) override { return real_.windowSize(w, a, b); }
  void drawViewMarker(WindowHandle, const ViewMarker&) override {}
  std::optional<int> monitorScale() override { return real_.monitorScale(); }
  int slept = 0;

 private:
  Desktop& real_;
};

class WindowsLink : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    com::installComRunningObjects();
  }
  WindowsLink() : win32(com::makeWin32Desktop()), desktop(*win32) {
    session.CadProgId = env("QARN_PROGID");
    session.desktop = &desktop;
  }
  Application app() { return attachCad(session.CadProgId); }
  Object control() { return app().object(); }  // QarnTest... members live on the application
  std::unique_ptr<Desktop> win32;
  CountingDesktop desktop;
  Session session;
};

TEST_F(WindowsLink, AttachesByProgIdAndReportsAnUnknownOneWithTheSystemsText) {
  ASSERT_FALSE(session.CadProgId.empty()) << "QARN_PROGID is not set";
  EXPECT_TRUE(IsCadRunning(session.CadProgId));
  EXPECT_EQ(app().documentCount(), 1);
  try {
    IsCadRunning("Qarn.No.Such.Application");
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(static_cast<unsigned>(e.code()), 0x800401F3u) << e.what();
    EXPECT_NE(std::string(e.what()).find("Qarn.No.Such.Application"), std::string::npos);
  }
}

TEST_F(WindowsLink, SharedRoutinesWorkThroughCom) {
  Document doc = app().activeDocument();
  EnsureLayer(doc, "TOVEK_SIDE", 4, "HIDDEN", session.CadProgId);
  Layer layer(doc.layers().item("TOVEK_SIDE"));
  EXPECT_EQ(layer.color(), 4);
  EXPECT_EQ(layer.object().get("Linetype").toText(), "HIDDEN");
  LoadLinetype(doc, "PHANTOM", session.CadProgId);
  auto names = doc.linetypes().names();
  EXPECT_NE(std::find(names.begin(), names.end(), "PHANTOM"), names.end());
  std::string transcript = control().call("QarnTestTranscript").toText();
  EXPECT_NE(transcript.find("-LINETYPE\rL\rPHANTOM\riso.lin\r\r"), std::string::npos) << transcript;

  control().call("QarnTestKeepBusy", {3});
  WaitCadIdle(app(), session.CadProgId, desktop);
  EXPECT_EQ(desktop.slept, 300);
}

TEST_F(WindowsLink, PicksSelectionsAndAttributesGoBothWays) {
  Document doc = app().activeDocument();
  Block ms = doc.modelSpace();
  Entity line = ms.addLine({0, 0, 0}, {10, 0, 0});
  Block b = doc.blocks().add({0, 0, 0}, "LAMP");
  b.addCircle({0, 0, 0}, 15);
  b.addAttribute(5, 0, "器具番号", {0, 20, 0}, "NAME", "");
  BlockReference ref = ms.insertBlock({100, 0, 0}, "LAMP");

  control().call("QarnTestPick", {line.handle(), 5.0, 0.0});
  control().call("QarnTestEscape");
  {
    CadCommand cmd(session);
    ASSERT_TRUE(cmd.running());
    auto picked = cmd.pickEntity("器具を選択 : ");
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->entity.handle(), line.handle());
    EXPECT_EQ(picked->point, (Point3{5, 0, 0}));
    EXPECT_FALSE(cmd.pickEntity("器具を選択 : ")) << "Escape: nothing picked";
  }

  control().call("QarnTestSelect", {line.handle() + "," + ref.handle()});
  SelectionSet ss = doc.activeSelectionSet();
  ss.clear();
  ss.selectOnScreen({0}, {Value("INSERT")});
  ASSERT_EQ(ss.count(), 1);
  BlockReference chosen(ss.item(0));
  EXPECT_EQ(chosen.name(), "LAMP");

  auto atts = chosen.getAttributes();
  ASSERT_EQ(atts.size(), 1u);
  atts[0].setTextString("PL1 表示灯");
  EXPECT_EQ(BlockReference(doc.handleToObject(ref.handle())).getAttributes()[0].textString(),
            "PL1 表示灯");
  Point3 lo, hi;
  chosen.getBoundingBox(lo, hi);
  EXPECT_DOUBLE_EQ(lo.x, 85);
  EXPECT_DOUBLE_EQ(hi.x, 127)
      << "four half-width (0.6) and three full-width (1.0) characters, 5 high, past the ring";
}

TEST_F(WindowsLink, TheCadRefusesPointsThatAreNotThreeDoubles) {
  Object ms = app().activeDocument().modelSpace().object();
  EXPECT_THROW(ms.call("AddCircle", {Value(std::vector<Value>{0.0, 0.0, 0.0}), 5.0}),
               AutomationError);
  EXPECT_THROW(ms.call("AddCircle", {Value(std::vector<double>{0.0, 0.0}), 5.0}), AutomationError);
  EXPECT_NO_THROW(ms.call("AddCircle", {pointValue(0, 0), "5"})) << "numbers as text are coerced";
}

TEST_F(WindowsLink, ARejectedCallReachesTheUserWithoutHanging) {
  control().call("QarnTestReject", {"Regen"});
  auto start = std::chrono::steady_clock::now();
  try {
    app().activeDocument().regen(0);
    FAIL() << "the rejected call must raise";
  } catch (const AutomationError& e) {
    EXPECT_EQ(static_cast<unsigned>(e.code()), static_cast<unsigned>(RPC_E_CALL_REJECTED))
        << e.what();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  control().call("QarnTestReject", {""});
}

// The desktop the program chooses on Windows acts on the CAD's real window: a minimised CAD is
// restored and brought forward for the user's picks, and its size is known.
TEST_F(WindowsLink, ACommandRestoresTheCadsRealWindowAndBringsItForward) {
  auto platform = makePlatformDesktop();
  auto cadWindow = static_cast<WindowHandle>(control().call("QarnTestWindow").toInt());
  HWND real = reinterpret_cast<HWND>(static_cast<intptr_t>(cadWindow));
  ASSERT_TRUE(IsWindow(real));
  EXPECT_EQ(app().hwnd(), cadWindow);
  EXPECT_TRUE(platform->isIconic(cadWindow));
  int width = 0, height = 0;
  EXPECT_TRUE(platform->windowSize(cadWindow, width, height));
  EXPECT_GT(width, 0);
  EXPECT_FALSE(platform->windowSize(0, width, height)) << "no such window";

  Session real_session;
  real_session.CadProgId = session.CadProgId;
  real_session.desktop = platform.get();
  CadCommand cmd(real_session);
  ASSERT_TRUE(cmd.running());
  cmd.bringCadForward();
  EXPECT_FALSE(IsIconic(real));
  EXPECT_TRUE(IsWindowVisible(real));
  EXPECT_EQ(platform->foregroundWindow(), cadWindow);
  // Minimised again, the way back after an on-screen selection restores it too.
  ShowWindow(real, SW_MINIMIZE);
  EXPECT_TRUE(platform->isIconic(cadWindow));
  cmd.activateCadWindow();
  EXPECT_FALSE(IsIconic(real));
  EXPECT_EQ(GetForegroundWindow(), real);
}

TEST(MessageFilter, AnswersAndPutsThePreviousFilterBack) {
  EXPECT_EQ(message_filter::handleInComingCall(), 0u);
  EXPECT_EQ(message_filter::retryRejectedCall(5000, 2), 1000u);
  EXPECT_EQ(message_filter::retryRejectedCall(5000, 1), static_cast<unsigned long>(-1));
  EXPECT_EQ(message_filter::messagePending(), 1u);
  auto first = TMessageFilter::create();
  auto second = TMessageFilter::create();
  first->RegisterFilter();
  EXPECT_TRUE(first->registered());
  second->RegisterFilter();
  // Revoking the second puts the first back: registering a third gets the first as previous.
  second->RevokeFilter();
  IMessageFilter* previous = nullptr;
  CoRegisterMessageFilter(nullptr, &previous);
  EXPECT_EQ(previous, dynamic_cast<IMessageFilter*>(first.get()));
  CoRegisterMessageFilter(previous, nullptr);
  if (previous) previous->Release();
  first->RevokeFilter();
  EXPECT_FALSE(first->registered());
}

// Device frames and panel devices as the demo draws them, through COM: about one round trip per
// automation call, though every frame, attribute and picked object is a new object to the link.
TEST_F(WindowsLink, FramesAndPanelDevicesTakeAboutOneRoundTripPerCall) {
  control().call("QarnTestFresh", {session.CadProgId});
  std::ostringstream figures;
  com::ComCounters first = com::comCounters();
  auto measured = [&](const std::string& what, auto command) {
    com::ComCounters before = com::comCounters();
    command();
    figures << what << ": ";
    roundTrips(before, figures);
    figures << "\n";
  };

  frames::FrameRow row = frames::chooseFrameRow(catalogueRow("TOVEK.txt", "S-T10"));
  frames::FrontInput in;
  in.gridModel = row.model;
  in.width = row.width;
  in.height = row.height;
  in.endWidth = row.endWidth;
  in.fields = {"MC1", row.rating, row.auxiliary, row.dimensions, row.cut, true, "4", "5"};
  control().call("QarnTestPoint", {100.0, 100.0});
  measured("front, a row of 4",
           [&] { EXPECT_GT(frames::placeFront(session, in).insert.placed, 0); });
  std::string pasted = app().activeDocument().modelSpace().item(0).handle();
  control().call("QarnTestPick", {pasted, 100.0, 100.0});
  control().call("QarnTestPoint", {400.0, 100.0});
  measured("side view", [&] {
    EXPECT_EQ(frames::Button8Click(session).status, frames::SideResult::Status::Drawn);
  });
  control().call("QarnTestPick", {pasted, 100.0, 100.0});
  measured("holes", [&] {
    EXPECT_EQ(frames::Button10Click(session).status, frames::HolesResult::Status::Drawn);
  });

  frames::FrameRow tb = frames::chooseFrameRow(catalogueRow("TOVEK.txt", "TB-15"));
  in.gridModel = tb.model;
  in.width = tb.width;
  in.height = tb.height;
  in.endWidth = tb.endWidth;
  in.terminalMode = true;
  in.poles = "12";
  in.fields = {"TB1", tb.rating, tb.auxiliary, tb.dimensions, tb.cut, false, "2", "0"};
  control().call("QarnTestPoint", {100.0, 500.0});
  measured("terminal block", [&] { EXPECT_GT(frames::placeFront(session, in).insert.placed, 0); });
  Block ms = app().activeDocument().modelSpace();
  control().call("QarnTestPick", {ms.item(ms.count() - 1).handle(), 100.0, 500.0});
  measured("partitions", [&] { EXPECT_GT(frames::Button22Click(session).lines, 0); });

  struct Device {
    std::string model;
    int count;
  };
  for (const Device& d : {Device{"AR22F0R-10", 4}, {"DR22D0L-E3R", 3}, {"AR22PR-220B", 1},
                          {"E5CC-RX2ASM", 1}, {"UGCT-24", 1}, {"YS-8NAA", 1}}) {
    panel::PanelInput p = panel::chooseCatalogueRow(catalogueRow("TPBPL.txt", d.model));
    p.number = "X1";
    p.arrayMode = d.count > 1;
    p.count = std::to_string(d.count);
    p.pitch = "80";
    control().call("QarnTestPoint", {0.0, -1000.0});
    measured("panel " + d.model, [&] {
      panel::PanelResult r = panel::Button6Click(session, p);
      EXPECT_TRUE(r.message.empty() && r.placed > 0) << d.model << ": " << r.message;
    });
  }
  figures << "all ";
  double ratio = roundTrips(first, figures);
  std::cout << "round trips:\n" << figures.str() << "\n";
  EXPECT_LE(ratio, 1.05) << figures.str();
}

// An object named for an interface it does not have: the DISPID cached for that interface is not
// the CAD's for this object, so the link looks the member up again and calls the right one; a
// member the object lacks still reports the CAD's own error.
TEST_F(WindowsLink, ACachedMemberIdIsConfirmedWhenTheObjectIsOfAnotherKind) {
  Document doc = app().activeDocument();
  doc.layers().add("TOVEK_NAME");
  EXPECT_EQ(Layer(doc.layers().item("TOVEK_NAME")).name(), "TOVEK_NAME");
  LoadLinetype(doc, "HIDDEN", session.CadProgId);
  Object linetype = doc.linetypes().item("HIDDEN");
  EXPECT_EQ(Object(linetype).as("IAcadLayer").get("Name").toText(), "HIDDEN");
  EXPECT_EQ(Layer(doc.layers().item("TOVEK_NAME")).name(), "TOVEK_NAME");
  std::vector<std::string> errors;
  for (const char* iface : {"IAcadLayer", "IAcadLineType", ""}) {
    try {
      Object(doc.layers().item("TOVEK_NAME")).as(iface).get("NoSuchMember");
      ADD_FAILURE() << "a member the layer lacks";
    } catch (const AutomationError& e) {
      errors.push_back(std::to_string(e.code()) + " " + e.what());
    }
  }
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_NE(errors[2].find("Unknown name"), std::string::npos) << errors[2];
  EXPECT_EQ(errors[0], errors[2]) << "the CAD's own error, whatever the object was taken for";
  EXPECT_EQ(errors[1], errors[2]);
  // An entity of unknown kind: its class tells the link what it is; a member of its kind only,
  // asked of a line, is still the CAD's refusal.
  Block ms = doc.modelSpace();
  std::string line = ms.addLine({0, 0, 0}, {5, 0, 0}).handle();
  doc.blocks().add({0, 0, 0}, "KNOB").addCircle({0, 0, 0}, 5);
  BlockReference ref(doc.handleToObject(ms.insertBlock({0, 0, 0}, "KNOB").handle()));
  EXPECT_EQ(ref.entityName(), "AcDbBlockReference");
  EXPECT_EQ(ref.name(), "KNOB");
  EXPECT_THROW(BlockReference(doc.handleToObject(line)).name(), AutomationError);
  EXPECT_EQ(BlockReference(doc.handleToObject(line)).layer(), "0");
}

// One enclosure of each family, drawn through COM into a fresh CAD, gives the same drawing as
// the same scenario in-process.
TEST_F(WindowsLink, EveryFamilyDrawsTheSameDrawingAsInProcess) {
  struct Job {
    std::string family, model;
  };
  std::vector<Job> jobs{{"RA", "RA12-4560"},  {"S", "SB-6080"}, {"CH", "CH20-4050"},
                        {"CL", "CL16-3040"},  {"E", "EB-8018"}, {"OR", "OR12-6080"},
                        {"ORM", "ORM14-8010"}};
  auto inputFor = [](const Job& j) {
    auto list = enclosure::loadEnclosureList(env("QARN_DATA"), j.family, {});
    for (const auto& row : list.rows)
      if (row.size() > 1 && row[1] == j.model)
        return enclosure::EnclosureInput{j.family, enclosure::copyEnclosureRow(row)};
    ADD_FAILURE() << "no " << j.model;
    return enclosure::EnclosureInput{};
  };

  // In-process first, under the same ProgID (the process's own table answers first).
  std::string local = env("QARN_SCRATCH") + "/inprocess.dxf";
  {
    sim::SimCad cad(sim::CadProfile::forProgId(session.CadProgId));
    cad.registerAs(session.CadProgId);
    sim::SimDesktop simDesktop;
    Session s = session;
    s.desktop = &simDesktop;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      cad.operatorPoint(3000.0 * i, 0);
      ASSERT_EQ(enclosure::drawEnclosure(s, inputFor(jobs[i])).status,
                enclosure::EnclosureResult::Status::Drawn);
    }
    cad.writeDxf(local);
  }
  RunningObjects::instance().forgetClass(session.CadProgId);

  control().call("QarnTestFresh", {session.CadProgId});
  std::ostringstream figures;
  long invokes = 0;
  com::ComCounters first = com::comCounters();
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    control().call("QarnTestPoint", {3000.0 * i, 0.0});
    com::ComCounters before = com::comCounters();
    ASSERT_EQ(enclosure::drawEnclosure(session, inputFor(jobs[i])).status,
              enclosure::EnclosureResult::Status::Drawn);
    invokes += com::comCounters().invokes - before.invokes;
    figures << jobs[i].family << " ";
    roundTrips(before, figures);
    figures << "\n";
  }
  figures << "all seven ";
  double ratio = roundTrips(first, figures);
  EXPECT_LE(ratio, 1.05) << figures.str();
  std::string remote = env("QARN_SCRATCH") + "/com.dxf",
              counts = env("QARN_SCRATCH") + "/counts.txt";
  control().call("QarnTestFinish", {remote, counts});
  std::cout << "round trips:\n" << figures.str() << "\n";

  auto read = [](const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  std::string a = read(local), b = read(remote);
  ASSERT_FALSE(a.empty());
  EXPECT_TRUE(a == b) << "the DXF through COM differs from the in-process one";
  std::string c = read(counts);
  std::cout << c;
  EXPECT_NE(c.find("invokes " + std::to_string(invokes)), std::string::npos)
      << "the server saw other than one Invoke per automation call (" << invokes << "):\n"
      << c;
}

}  // namespace
}  // namespace qarn::cad
