#include "fault_sweep.h"

#include "cad/automation_error.h"

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
  }
  return total;
}

}  // namespace qarn::testing
