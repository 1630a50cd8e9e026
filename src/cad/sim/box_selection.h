#pragma once
// What a box takes of model space, as the CAD's window and crossing selections do.
#include <string>
#include <vector>

#include "cad/sim/drawing.h"

namespace qarn::cad::sim {

// A window takes what lies wholly inside the box, a crossing what the box touches; an entity
// without known extents is never taken. Handles in drawing order.
std::vector<std::string> entitiesInBox(const Drawing& d, bool window, Point3 a, Point3 b);

}  // namespace qarn::cad::sim
