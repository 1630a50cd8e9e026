#include "cad/connection.h"

#include "cad/automation_error.h"
#include "cad/running_objects.h"
#include "cad/text.h"

namespace qarn::cad {

bool cadKindIs(const std::string& progId, const char* upperSubstring) {
  return containsText(asciiUpper(progId), upperSubstring);
}

bool IsCadRunning(const std::string& progId) {
  return RunningObjects::instance().isRunning(progId);
}

Application attachCad(const std::string& progId) {
  return Application(RunningObjects::instance().attach(progId).as("IAcadApplication"));
}

void bringCadForward(Desktop& desktop, WindowHandle window) {
  if (desktop.isIconic(window)) {
    desktop.openIcon(window);
    desktop.sleep(100);
  }
  desktop.setForegroundWindow(window);
}

void ActivateCadWindow(Desktop& desktop, WindowHandle window) {
  for (int i = 0; i < 2; ++i) {
    if (desktop.isIconic(window)) {
      desktop.openIcon(window);
      desktop.sleep(100);
    }
  }
  desktop.setForegroundWindow(window);
  if (desktop.foregroundWindow() == window) desktop.pressEscape();
}

std::string idleQueryFor(const std::string& progId) {
  if (cadKindIs(progId, "AUTOCAD")) return "GetAcadState";
  if (cadKindIs(progId, "BRICSCAD")) return "GetAcadState";
  if (cadKindIs(progId, "ZWCAD")) return "GetZcadState";
  if (cadKindIs(progId, "PCAD")) return "GetAcadState";
  return "GetAcadState";
}

namespace {
// Only a CAD of none of the known kinds may answer to the GstarCAD query instead.
bool mayFallBackToGcad(const std::string& progId) {
  return !cadKindIs(progId, "AUTOCAD") && !cadKindIs(progId, "BRICSCAD") &&
         !cadKindIs(progId, "ZWCAD") && !cadKindIs(progId, "PCAD");
}
}  // namespace

void WaitCadIdle(const Application& app, const std::string& progId, Desktop& desktop) {
  std::string query = idleQueryFor(progId);
  bool fallback = mayFallBackToGcad(progId);
  try {
    for (;;) {
      Object state;
      try {
        state = Object(app.object().call(query)).as("IAcadState");
      } catch (const AutomationError&) {
        if (!fallback) throw;
        fallback = false;
        query = "GetGcadState";
        continue;
      }
      fallback = false;
      if (state.get("IsQuiescent").toBool()) return;
      desktop.sleep(100);
    }
  } catch (const AutomationError&) {
    // The CAD cannot say; go on as if it were idle.
  }
}

int GetScreenScale(Desktop& desktop) {
  return desktop.monitorScale().value_or(100);
}

}  // namespace qarn::cad
