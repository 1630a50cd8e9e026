// A line typed at the drawing window: the command it names runs in the active document; a line
// that names no command of the person's runs as the same command line sent by automation would.
#include "cad/sim/typed_commands.h"

#include "cad/sim/sim_world.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

// Commands that change no drawing of their own (they walk the history, look, or open, save and
// close documents): no undo step.
bool outsideHistory(const std::string& name) {
  for (const char* n : {"U", "UNDO", "REDO", "ZOOM", "Z", "REGEN", "RE", "NEW", "OPEN", "QSAVE",
                        "SAVEAS", "CLOSE", "PLOT"})
    if (name == n) return true;
  return false;
}

// Commands of the automation command line that a person may type as well.
bool sentCommand(const std::string& name) {
  for (const char* n : {"LINETYPE", "COPYBASE", "PASTECLIP", "INSERT", "WBLOCK"})
    if (name == n) return true;
  return false;
}

TypedLine split(const std::string& line) {
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
  return rest;
}

}  // namespace

bool World::runSentAsTyped(DocState& d, const std::string& name, TypedLine& rest) {
  static const char* const kSent[] = {"DIMSCALE", "DIMTXT", "DIMASZ", "SETVAR", "SET",
                                      "LAYER",    "LA",     "U",      "UNDO",   "REDO",
                                      "COPY",     "CO",     "CP",     "ZOOM",   "Z"};
  bool ours = d.drawing.variables.count(name) > 0;
  for (const char* n : kSent)
    ours = ours || name == n;
  if (!ours) return false;
  const bool grouped = !outsideHistory(name) && d.undoDepth == 0;
  if (grouped) startUndoGroup(d, name);
  try {
    runEditCommand(*this, d, name, rest);
  } catch (const AutomationError&) {
    transcript.push_back("[*キャンセル*]");  // a cancelled command line raises nothing
  }
  if (grouped) endUndoGroup(d);
  return true;
}

void World::typeCommand(DocState& d, const std::string& typed) {
  std::string line = typed;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
    line.pop_back();
  if (!line.empty() && line.front() == '(') {  // AutoLISP: as sent
    sendCommand(d, line + "\n");
    changed();
    return;
  }
  TypedLine rest = split(line);
  if (rest.words.empty()) {
    // Enter at the command prompt repeats the last command, without what followed it.
    if (lastTyped.empty()) return;
    line = lastTyped;
    rest = split(line);
  }
  std::string word = rest.words.front();
  std::string name = asciiUpper(word);
  while (!name.empty() && (name[0] == '_' || name[0] == '-' || name[0] == '.'))
    name.erase(0, 1);
  rest.words.pop_front();
  const bool grouped = !outsideHistory(name) && d.id != 0;
  const int docId = d.id;
  if (grouped) startUndoGroup(d, name);
  bool known = false;
  try {
    if (sentCommand(name) && d.id != 0) {
      known = true;
      sendCommand(d, line + "\n");       // the transcript keeps it as sent
      if (d.pending) resolvePending(d);  // the person is there to give the point now
    } else {
      transcript.push_back(line);
      if (d.id == 0)  // no drawing open: only a file command can run
        known = runFileCommand(*this, d, name, rest);
      else
        known = runEditCommand(*this, d, name, rest) || runFileCommand(*this, d, name, rest) ||
                runPlotCommand(*this, d, name, rest);
    }
  } catch (const AutomationError&) {
    known = true;  // Escape, or nobody to answer: the command ends where it stood
    transcript.push_back("[*キャンセル*]");
  }
  if (grouped) {
    for (auto& doc : docs)
      if (doc->id == docId) endUndoGroup(*doc);
  }
  if (known)
    lastTyped = word;
  else
    transcript.push_back("[不明なコマンド \"" + word + "\"。F1 キーを押すとヘルプを表示します。]");
  changed();
}

}  // namespace qarn::cad::sim
