#pragma once
// Inside the simulated CAD: the state its automation objects share.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "cad/automation_error.h"
#include "cad/object.h"
#include "cad/sim/cad_profile.h"
#include "cad/sim/drawing.h"
#include "cad/sim/sim_desktop.h"
#include "cad/sim/sim_operator.h"
#include "cad/sim/undo_history.h"

namespace qarn::cad::sim {

struct TypedLine;

// A command line that waits for the operator to give a point.
struct PendingCommand {
  enum class Kind { Paste, Move, Insert };
  Kind kind;
  Point3 base;         // move: the base point
  std::string target;  // move: the entity; insert: the block name
  double xScale = 1, yScale = 1, rotation = 0;
  bool exploded = false;   // insert: "*name", the parts placed instead of a reference
  bool temporary = false;  // insert: the block was made for this insertion only
};

struct Clipboard {
  Point3 base;
  std::vector<Entity> entities;                      // top-level copies
  std::map<std::string, std::vector<Entity>> owned;  // attributes by their reference's handle
};

struct DocState {
  int id = 0;  // what the automation objects hold: it stays when other documents close
  std::string name;
  std::string path;  // the file it was opened from; empty for a new drawing
  Drawing drawing;
  WindowHandle hwnd = 0;
  int undoDepth = 0;
  std::string groupName;  // what the open group will be called in the history
  UndoHistory history;
  unsigned long settledAt = ~0ul;      // World::edits when the history last took the drawing in
  std::vector<std::string> selection;  // the active selection set
  // Erasures so far (entities also leave by undo); the selection is checked for erased entities
  // when this or the entity count changed since the last look.
  unsigned long erasures = 0;
  std::pair<unsigned long, std::size_t> selectionCheckedAt{~0ul, 0};
  std::optional<Clipboard> clipboard;
  std::optional<PendingCommand> pending;
  // Handles are numbered per drawing, as in the CAD: two drawings can hold the same handle.
  unsigned long nextHandle = 0x20;
  // The drawing as it was opened or last saved, and whether it has been seen to differ since (a
  // real CAD's DBMOD): once changed it stays changed until saved, even when undone back.
  std::shared_ptr<Drawing> saved;  // never changed: replaced by the next save
  unsigned long savedNextHandle = 0;
  bool modified = false;
};

struct World {
  CadProfile profile;
  SimDesktop desktop;
  WindowHandle appWindow = 0x1000;
  std::vector<std::unique_ptr<DocState>> docs;
  int active = -1;  // index into docs
  int nextDocId = 1;

  std::deque<OperatorInput> script;
  std::optional<Point3> standingPoint;  // answers points when the script is empty
  Operator* person = nullptr;           // answers when the script has nothing left
  int answering = 0;                    // a request the person has not answered yet
  std::vector<Observer*> observers;
  std::vector<std::string> prompts;
  std::vector<std::string> transcript;
  std::vector<std::string> variableWrites;  // "NAME = value", each one taken, in order
  int busyPolls = 0;

  long calls = 0;
  // What may have changed a drawing outside an undo group, counted: every automation call, and
  // every time a drawing was handed out to be changed. The history looks for such changes only
  // when this moved on.
  unsigned long edits = 0;
  std::unordered_map<std::string, long> callsByMember;  // lower-case names; counted on every call
  long failAtCall = 0;                                  // absolute call number, 0 for none
  std::set<std::string> failingMembers;                 // lower-case names

  static std::string newHandle(DocState& d);
  DocState& doc(int id);  // by id; fails when the document was closed
  DocState& activeDoc();
  void addDocument();
  // A drawing read from a file becomes a new document, the active one.
  void openDocument(const std::string& path, struct DxfDrawing&& read);
  // The document closed; the one opened before it becomes the active one.
  void closeDocument(int id);

  // Every automation call passes here: counted, and failed on demand.
  // `lowered` is `member` in lower case, as the caller already has it.
  void enter(std::string_view member, const std::string& lowered);

  // The next operator answer, shown the prompt; Escape and a missing answer raise as a real CAD
  // does when the user cancels.
  OperatorInput take(const OperatorRequest& request);
  // Whether anyone is there to answer a request.
  bool answerable() const { return !script.empty() || standingPoint || person; }
  // The observers told of a change; an observer's fault never reaches the automation client.
  void changed();

  // Entities.
  Entity& add(DocState& d, Block& owner, Entity e);  // handle, owner, current layer
  // A reference to `def` with the attributes its definitions call for.
  Entity& insertReference(DocState& d, Block& owner, const std::string& def, Entity ref);
  std::string copy(DocState& d, const Entity& src);  // a copy beside the original, attributes too
  void erase(DocState& d, const std::string& handle);
  // Moves an entity and the attributes of a reference together.
  void transform(DocState& d, Entity& e, const struct Affine& t);

  // A drawing's blocks, layers and linetypes the document lacks, and its model space as the block
  // `name` (made anew when `redefine`), copied in with new handles.
  void importAsBlock(DocState& d, const Drawing& from, const std::string& name, bool redefine);
  // The block written as a drawing file of its own (DXF, whatever the file's extension).
  void writeBlockFile(const DocState& d, const Block& block, const std::string& path);

  std::optional<std::pair<std::string, bool>> blockFromFile(
      DocState& d, const std::string& path, bool exploded,
      const std::function<std::optional<std::string>()>& next);

  // Undo: a group opened by StartUndoMark (or around a typed command) is one step of the
  // document's undo history. Groups do not nest: a start while one is open ends it first; an end
  // without an open group does nothing. What an automation client changes outside any group is no
  // step of its own (it stays when a step is taken back). `undoStep` ends an open group (a command
  // that failed before its end is one step too) and takes the newest step back; `redoStep` makes
  // the newest step taken back again. Both give the step's name, nothing when there is none.
  void startUndoGroup(DocState& d, const std::string& name = "GROUP");
  // What changed outside a group since the history last looked, taken in as it stands.
  void settle(DocState& d);
  void endUndoGroup(DocState& d);
  std::optional<std::string> undoStep(DocState& d);
  std::optional<std::string> redoStep(DocState& d);

  // Command lines: run what can run now; a command that waits for a point stays pending.
  void sendCommand(DocState& d, const std::string& text);
  void resolvePending(DocState& d);
  // A line the person typed at the drawing window: a command of the person's, or else the same
  // command line automation would send.
  void typeCommand(DocState& d, const std::string& line);
  // A command of the person's met on a sent command line, with the line's further inputs (an
  // empty one is an Enter); those it leaves stay in `rest`. One undo step unless a group is open.
  // False when `name` is none of them (REGEN, ERASE and MOVE stay the sent line's own).
  bool runSentAsTyped(DocState& d, const std::string& name, TypedLine& rest);

  // The last command typed, repeated by Enter on an empty line.
  std::string lastTyped;

  // What the window and the program around it are told: a DIMSCALE the person typed (kept for the
  // next new drawing).
  std::function<void(double)> onDimscaleTyped;
  // The DIMSCALE a new drawing starts with, when the program sets one (else the drawing's default).
  std::optional<double> newDrawingDimscale;
  std::optional<int> newDrawingOsmode;  // the person's snaps, which a CAD keeps outside the drawing

  // Changed since opened or saved: what a saved file would hold differs from what it held.
  bool isModified(DocState& d);
  // The drawing as it stands is what its file holds now.
  void markSaved(DocState& d);
  // Before a changed drawing goes, the person is asked "変更を保存しますか?"; 保存 saves it (asking
  // a file name when it has none). False when it must stay: キャンセル, Escape, a save that failed
  // or was cancelled, or nobody there to answer.
  bool mayDiscard(DocState& d);
  // Saved to its own file, or (none yet, or `askName`) to the file name typed or else asked;
  // false when not saved.
  bool saveDocument(DocState& d, bool askName, std::optional<std::string> typedName = {});
  // The document replaced by a new drawing, or by one read from a file, in the same place.
  void replaceWithNew(DocState& d);
  void replaceWithRead(DocState& d, const std::string& path, struct DxfDrawing&& read);
};

[[noreturn]] void fail(const std::string& message);
[[noreturn]] void memberNotFound(std::string_view member);

}  // namespace qarn::cad::sim
