// Typed commands: drawings and files.
#include "cad/sim/sim_world.h"
#include "cad/sim/typed_commands.h"

namespace qarn::cad::sim {

bool runFileCommand(World&, DocState&, const std::string&, TypedLine&) {
  return false;
}

}  // namespace qarn::cad::sim
