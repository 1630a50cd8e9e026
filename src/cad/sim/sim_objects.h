#pragma once
// The simulated CAD's automation objects.
#include <memory>

#include "cad/object.h"

namespace qarn::cad::sim {

struct World;
DispatchPtr makeApplication(std::shared_ptr<World> world);

}  // namespace qarn::cad::sim
