#pragma once
// What the inspection pages share when they read the drawing: the user's pick of filtered
// entities on screen, and which drawing a read came from.
#include <cstdint>
#include <string>
#include <vector>

#include "cad/command.h"

namespace qarn::inspect {

// The active selection set emptied, the main window put away and the CAD brought forward, the
// user's pick under the filter (group codes and values), then the main window back and the CAD's
// window in front with the rest of the selection cancelled.
cad::SelectionSet pickOnScreen(cad::CadCommand& c, const std::vector<std::int16_t>& codes,
                               const std::vector<cad::Value>& values);

// A drawing as the grids remember it: its name and its window, which no other open drawing
// shares.
std::string documentKey(const cad::Document& doc);

}  // namespace qarn::inspect
