#pragma once
// A simulated CAD registered under the default ProgID, attached as the program attaches.
#include <gtest/gtest.h>

#include "cad/command.h"
#include "cad/connection.h"
#include "cad/sim/sim_cad.h"

namespace qarn::cad::testing {

// QARN's main window as a command sees it, recording what was done to it.
class RecordingWindow : public MainWindow {
 public:
  void minimize() override { events.push_back("minimize"); }
  void restore() override { events.push_back("restore"); }
  void bringToFront() override { events.push_back("front"); }
  std::vector<std::string> events;
};

class SimFixture : public ::testing::Test {
 protected:
  explicit SimFixture(sim::CadProfile profile = sim::CadProfile::bricscad(),
                      std::string progId = kDefaultCadProgId)
      : cad(std::move(profile)) {
    session.CadProgId = std::move(progId);
    session.desktop = &cad.desktop();
    cad.registerAs(session.CadProgId);
    app = attachCad(session.CadProgId);
    doc = app.activeDocument();
  }

  // The entity the newest call added to model space.
  Entity lastEntity() const { return doc.handleToObject(cad.drawing().lastEntity()); }

  sim::SimCad cad;
  Session session;
  Application app;
  Document doc;
};

}  // namespace qarn::cad::testing
