#pragma once
// The simulated CAD's settings as the program keeps them: the DIMSCALE of a new drawing and the
// drawings used last, read from the settings file at start and written back as they change.
#include <string>

namespace qarn::cad::sim {
class SimCad;
}
namespace qarn::simview {
class SimCadWindow;
}

namespace qarn::app {

// New drawings take the file's DIMSCALE (the first one too, while nothing has changed it); a
// DIMSCALE the person types is kept for the next ones and written back; the window's recent
// files come from the file and go back to it.
void connectSimCadSettings(cad::sim::SimCad& cad, simview::SimCadWindow& window,
                           const std::string& settingsFile);

}  // namespace qarn::app
