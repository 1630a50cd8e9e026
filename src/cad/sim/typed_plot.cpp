// Typed commands: printing.
#include "cad/sim/sim_world.h"
#include "cad/sim/typed_commands.h"

namespace qarn::cad::sim {

bool runPlotCommand(World&, DocState&, const std::string&, TypedLine&) {
  return false;
}

}  // namespace qarn::cad::sim
