#include "fault_sweep.h"

#include <optional>

#include "cad/automation_error.h"
#include "cad/sim/dxf_writer.h"
#include "cad/sim/sim_world.h"

namespace qarn::testing {

namespace {

bool leftMinimized(const std::vector<std::string>& events) {
  bool minimized = false;
  for (const auto& e : events)
    if (e == "minimize" || e == "restore") minimized = e == "minimize";
  return minimized;
}

std::map<std::string, std::size_t> blockSizes(const cad::sim::Drawing& d) {
  std::map<std::string, std::size_t> out;
  for (const auto& b : d.blocks)
    if (!b.isLayout) out[b.name] = b.entities.size();
  return out;
}

// The drawing file, the file's own objects numbered from a fixed handle: an undo gives no handle
// back, so the next free one moves on.
std::string drawingFile(const cad::sim::SimCad& sim) {
  return cad::sim::writeDxf(sim.drawing(), 0x100000);
}

std::size_t undoSteps(cad::sim::SimCad& sim) {
  return sim.world().activeDoc().history.undoCount();
}

// The drawing as it stood when the command opened its undo group (what it changed before that,
// such as a layer made first, is no part of the group).
struct GroupOpening : cad::sim::Observer {
  cad::sim::SimCad& sim;
  std::optional<std::string> drawing;
  explicit GroupOpening(cad::sim::SimCad& s) : sim(s) { sim.addObserver(this); }
  ~GroupOpening() override { sim.removeObserver(this); }
  void drawingChanged() override {
    if (!drawing && sim.openUndoGroups() > 0) drawing = drawingFile(sim);
  }
};

}  // namespace

long runSweep(const SweepCase& c) {
  long total = 0;
  std::map<std::string, std::size_t> complete;  // the blocks of the clean run
  for (long k = 0; k == 0 || k <= total; ++k) {
    cad::sim::SimCad sim;
    cad::Session session;
    sim.registerAs(session.CadProgId);
    session.desktop = &sim.desktop();
    cad::testing::RecordingWindow window;
    session.mainWindow = &window;
    if (c.setUp) c.setUp(sim, session);
    window.events.clear();
    std::map<std::string, cad::Value> variables;
    for (const auto& v : kWatchedVariables)
      variables[v] = sim.drawing().variables[v];
    auto blocksBefore = blockSizes(sim.drawing());
    std::size_t stepsBefore = undoSteps(sim);
    GroupOpening opening(sim);
    long before = sim.callCount();
    if (k > 0) sim.failCall(k);

    SweepRun run{k, false, &sim, &window.events};
    try {
      c.command(session);
    } catch (const cad::AutomationError&) {
      run.threw = true;
    }
    sim.clearFaults();
    if (k == 0) {
      total = sim.callCount() - before;
      EXPECT_FALSE(run.threw) << c.name << ": the clean run failed";
      complete = blockSizes(sim.drawing());
    }

    std::string at = c.name + ", failing call " + std::to_string(k);
    EXPECT_EQ(sim.openUndoGroups(), 0) << at;
    for (const auto& v : kWatchedVariables)
      EXPECT_EQ(sim.drawing().variables[v].describe(), variables[v].describe()) << v << ", " << at;
    EXPECT_FALSE(leftMinimized(window.events)) << "QARN's window left minimised, " << at;
    if (run.threw)
      for (const auto& [name, size] : blockSizes(sim.drawing()))
        if (!blocksBefore.count(name)) {
          EXPECT_EQ(size, complete[name]) << "block " << name << " half-built, " << at;
        }
    if (c.check) c.check(run);
    // The command's undo group, whole or cut short, is one step that gives the drawing back.
    if (undoSteps(sim) > stepsBefore) {
      EXPECT_EQ(undoSteps(sim), stepsBefore + 1) << at;
      sim.undo();
      EXPECT_TRUE(opening.drawing && drawingFile(sim) == *opening.drawing)
          << "undo gives the drawing back, " << at;
    }
  }
  return total;
}

}  // namespace qarn::testing
