#pragma once
// Finding the running CAD, bringing its window forward and waiting until it is idle; the parts
// of that which differ by CAD kind.
#include <string>

#include "cad/desktop.h"
#include "cad/facade.h"

namespace qarn::cad {

inline const char* const kDefaultCadProgId = "BricscadApp.AcadApplication";
inline const char* const kDefaultCadName = "BricsCAD";

// The CAD kind is never stored: each routine tests the upper-cased ProgID in its own order.
bool cadKindIs(const std::string& progId, const char* upperSubstring);

// True when an object is running under the ProgID. An unregistered ProgID is an AutomationError
// carrying the system's text.
bool IsCadRunning(const std::string& progId);
Application attachCad(const std::string& progId);

// Restores a minimised CAD window (twice if need be), brings it to the front and, once it is in
// front, presses Escape to cancel what is left of a selection.
void ActivateCadWindow(Desktop& desktop, WindowHandle window);
// Restores the CAD window if minimised and brings it to the front (no Escape).
void bringCadForward(Desktop& desktop, WindowHandle window);

// The state query that tells whether this CAD is idle.
std::string idleQueryFor(const std::string& progId);
// Returns when the CAD reports itself idle, polling every 100 ms; an automation error ends the
// wait quietly.
void WaitCadIdle(const Application& app, const std::string& progId, Desktop& desktop);

// The first monitor's scale in percent, 100 where the platform cannot tell.
int GetScreenScale(Desktop& desktop);

}  // namespace qarn::cad
