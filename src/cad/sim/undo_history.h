#pragma once
// A document's undo and redo: each step keeps only what it changed (the entities, variables and
// tables it touched, and the changed stretch of each block's entity list), so that a hundred steps
// over a drawing of tens of thousands of entities cost what they changed, not a copy each.
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cad/sim/drawing.h"

namespace qarn::cad::sim {

// One step, holding the other side of everything it touched: before an undo the drawing as it
// was before the step, after it the drawing as it was after (applying it swaps the two sides).
struct UndoStep {
  std::string name;  // what the step was: the typed command, or the group of an automation client
  std::vector<std::pair<std::string, std::optional<Entity>>> entities;
  std::vector<std::pair<std::string, std::optional<Value>>> variables;
  // A block's entity list where only a stretch changed: `prefix` and `suffix` entries stay.
  struct ListEdit {
    std::size_t block, prefix, suffix;
    std::vector<std::string> middle;
  };
  std::vector<ListEdit> lists;
  std::optional<std::vector<Block>> blocks;  // whole, when definitions came, went or changed
  std::optional<std::vector<Layer>> layers;
  std::optional<std::vector<Linetype>> linetypes;
  std::optional<std::vector<Group>> groups;
  std::optional<std::vector<std::string>> notKept;
  std::optional<std::vector<DxfRecord>> classes, styles;
  std::size_t bytes = 0;  // about what it holds
  bool empty() const;
};

class UndoHistory {
 public:
  // The newest steps kept whatever they hold; older ones only while all fit in the budget.
  static constexpr std::size_t kKeptSteps = 100;
  static constexpr std::size_t kMaxSteps = 1000;
  static constexpr std::size_t kByteBudget = 256u << 20;

  // The drawing as it stands is where the history starts.
  void reset(const Drawing& d);
  // The same, sharing the copy the document keeps as opened (copied here on the first change).
  void reset(std::shared_ptr<Drawing> asOpened);
  // What changed since the last step becomes a step named `name` (nothing when nothing changed);
  // the redo list is dropped when anything changed. True when a step was made.
  bool commit(const Drawing& d, const std::string& name);
  // What an automation client changed outside any undo group: entities and blocks become a step
  // named `name`; other changes (variables, tables) are taken as they stand. A change drops the
  // redo list.
  void absorb(const Drawing& d, const std::string& name);
  // The newest step taken back (or the newest undone step made again); its name, or nothing when
  // there is none. The drawing must hold no change since the last commit or absorb.
  std::optional<std::string> undo(Drawing& d);
  std::optional<std::string> redo(Drawing& d);

  std::size_t undoCount() const { return undo_.size(); }
  std::size_t redoCount() const { return redo_.size(); }
  std::size_t bytes() const { return bytes_; }

 private:
  UndoStep diff(const Drawing& d);
  void apply(UndoStep& s, Drawing& d);
  void push(UndoStep s, const std::string& name);  // a new step, the oldest dropped past the bound
  void trim();

  Drawing& base();
  std::shared_ptr<Drawing> base_;  // the drawing as of the last step
  std::deque<UndoStep> undo_;
  std::vector<UndoStep> redo_;
  std::size_t bytes_ = 0;
};

}  // namespace qarn::cad::sim
