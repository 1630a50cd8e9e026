// A line typed at the drawing window: the command it names runs in the active document; a line
// that names no command of the person's runs as the same command line sent by automation would.
#include "cad/sim/typed_commands.h"

#include "cad/sim/sim_world.h"
#include "cad/text.h"

namespace qarn::cad::sim {

void World::typeCommand(DocState& d, const std::string& line) {
  TypedLine rest;
  std::string cur;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (c == '\r' || c == '\n' || (c == ' ' && !quoted)) {
      if (!cur.empty()) rest.words.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) rest.words.push_back(cur);
  std::string name;
  if (!rest.words.empty()) {
    name = asciiUpper(rest.words.front());
    while (!name.empty() && (name[0] == '_' || name[0] == '-' || name[0] == '.')) name.erase(0, 1);
  }
  if (!name.empty()) {
    TypedLine args = rest;
    args.words.pop_front();
    if (runEditCommand(*this, d, name, args) || runFileCommand(*this, d, name, args) ||
        runPlotCommand(*this, d, name, args)) {
      changed();
      return;
    }
  }
  sendCommand(d, line.empty() || line.back() != '\n' ? line + "\n" : line);
}

}  // namespace qarn::cad::sim
