// Typed commands: editing, variables, undo and views.
#include "cad/sim/sim_world.h"
#include "cad/sim/typed_commands.h"

namespace qarn::cad::sim {

bool runEditCommand(World&, DocState&, const std::string&, TypedLine&) {
  return false;
}

}  // namespace qarn::cad::sim
