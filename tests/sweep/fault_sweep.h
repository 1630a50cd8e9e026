#pragma once
// The fault sweep: a drawing command run on a fresh simulated CAD once to count its automation
// calls, then once more for each call k with call k failing. Every run must leave the CAD as a
// user can go on with: no undo group open, the system variables as they were, QARN's window
// back, and no block left half-built by a command that ended in an error.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../cad/sim_fixture.h"

namespace qarn::testing {

struct SweepRun {
  long failAt = 0;     // the failing call, 0 for the clean run
  bool threw = false;  // the failure reached the caller, as the error report would show it
  cad::sim::SimCad* cad = nullptr;
  const std::vector<std::string>* windowEvents = nullptr;
};

struct SweepCase {
  std::string name;
  // Prepares the drawing and the operator's answers; the calls made here do not count.
  std::function<void(cad::sim::SimCad&, cad::Session&)> setUp;
  std::function<void(cad::Session&)> command;
  // What the command itself must leave besides the common checks (may be empty).
  std::function<void(const SweepRun&)> check;
};

// The system variables a command may change for its length.
inline const std::vector<std::string> kWatchedVariables = {"ATTDIA", "ATTREQ", "ORTHOMODE",
                                                           "FILEDIA", "CLAYER"};

// Runs the case's sweep with the common checks; returns the number of failing runs.
long runSweep(const SweepCase& c);

}  // namespace qarn::testing
