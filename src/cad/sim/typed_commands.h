#pragma once
// The commands a person types on the drawing window's command line. Each reads its inputs from
// the typed line and asks the person (the operator) for what the line lacks, with its prompt in
// Japanese, writing what it did to the transcript, as a CAD's command line does.
#include <deque>
#include <optional>
#include <string>

namespace qarn::cad::sim {

struct World;
struct DocState;

// The inputs of a typed line after the command name (a space or Enter ends one; a double-quoted
// input keeps its spaces).
struct TypedLine {
  std::deque<std::string> words;
  std::optional<std::string> next() {
    if (words.empty()) return std::nullopt;
    std::string w = std::move(words.front());
    words.pop_front();
    return w;
  }
};

// Each runs `name` (upper case, without a leading "_", "-" or ".") and returns true, or returns
// false when the command is not one of its own.
// Editing, variables, undo and views: DIMSCALE, SETVAR, U, UNDO, REDO, ERASE, MOVE, ZOOM, -LAYER...
bool runEditCommand(World& w, DocState& d, const std::string& name, TypedLine& rest);
// Drawings and files: NEW, OPEN, QSAVE, SAVEAS, CLOSE.
bool runFileCommand(World& w, DocState& d, const std::string& name, TypedLine& rest);
// Printing: PLOT.
bool runPlotCommand(World& w, DocState& d, const std::string& name, TypedLine& rest);

}  // namespace qarn::cad::sim
