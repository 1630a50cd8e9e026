#pragma once
// The embedded simulated CAD: a small, strict drawing database behind the same late-bound
// interface as a real CAD. It refuses what a real CAD refuses, answers picks from an operator
// script, runs the command lines the program sends, keeps real undo groups, counts every call,
// fails on demand, and writes its drawing as DXF.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/geometry.h"
#include "cad/object.h"
#include "cad/sim/cad_profile.h"
#include "cad/sim/drawing.h"
#include "cad/sim/sim_desktop.h"
#include "cad/sim/sim_operator.h"

namespace qarn::cad::sim {

struct World;

class SimCad {
 public:
  explicit SimCad(CadProfile profile = CadProfile::bricscad());
  ~SimCad();
  SimCad(const SimCad&) = delete;
  SimCad& operator=(const SimCad&) = delete;

  // The running-object table: the application answers for `progId` until unregistered.
  void registerAs(const std::string& progId);
  void unregister();

  DispatchPtr application() const;
  SimDesktop& desktop();
  WindowHandle applicationWindow() const;
  // The application's main window is this one (a real window, when the simulated CAD is served
  // on a real desktop).
  void setApplicationWindow(WindowHandle w);
  WindowHandle documentWindow() const;

  // The active document's drawing (read it, or prepare one for a test).
  Drawing& drawing();
  const Drawing& drawing() const;
  void addDocument();  // a new empty document becomes the active one
  // A DXF drawing opened as a new document, the active one; DxfError when the text is no DXF,
  // std::runtime_error when the file cannot be read.
  void openDrawing(const std::string& path);
  void openDxf(std::string_view text, const std::string& name);
  int documentCount() const;
  void closeAllDocuments();
  // A handle for an entity a test adds to the drawing by hand.
  std::string newHandle();

  // The operator: answers to picks and to command lines that ask for a point, in order.
  void operatorPoint(double x, double y, double z = 0);
  // Coordinates typed at the prompt: ortho does not bend them as it bends a picked point.
  void operatorTypedPoint(double x, double y, double z = 0);
  void operatorPick(const std::string& handle, Point3 at = {});
  void operatorSelect(std::vector<std::string> handles);
  // A selection by box: a window takes what lies wholly inside, a crossing what the box touches.
  void operatorWindow(Point3 a, Point3 b);
  void operatorCrossing(Point3 a, Point3 b);
  void operatorSelectAll();
  void operatorDistance(double d);
  void operatorText(const std::string& text);  // a value typed on the command line
  void operatorEnter();
  void operatorEscape();
  // An operator who answers every point asked for, once the script has run out, with this one.
  void setStandingPoint(std::optional<Point3> p);
  // A person who answers what the script leaves (the drawing window); none to stop.
  void setOperator(Operator* person);
  void addObserver(Observer* o);
  void removeObserver(Observer* o);
  // The active document's name ("Drawing1.dwg", or the file's name).
  std::string documentName() const;
  // The file the active document was opened from or saved to; empty for a new one.
  std::string documentPath() const;
  // The active document written as DXF and renamed after the file, as the CAD's Save As does.
  // What the file it was opened from held beyond the drawing (Drawing::notKept) is then gone.
  void saveAs(const std::string& path);
  // Whether the active drawing changed since it was opened or saved (a real CAD's DBMOD).
  bool modified();
  // Before the active drawing goes: when it changed, the operator is asked "変更を保存しますか?"
  // and 保存 saves it; false when it must stay (キャンセル, Escape, no save, nobody to answer).
  bool mayDiscard();
  // The active drawing replaced by a new one, or by the DXF drawing in `path` (DxfError,
  // std::runtime_error when that cannot be read: the active drawing then stays).
  void newInPlace();
  void openInPlace(const std::string& path);
  // Saved to its own file, a file name asked when it has none; false when not saved.
  bool save();
  void activateDocument(int index);
  // The DIMSCALE of each new drawing from now on, and of the active drawing when it is a new one
  // that nothing has changed yet.
  void setNewDrawingDimscale(double dimscale);
  // The object snaps (OSMODE) each new drawing starts with, and the active one when nothing has
  // changed it yet: a CAD keeps the person's snaps in its profile, not in the drawing.
  void setNewDrawingOsmode(int osmode);
  // Told of each DIMSCALE the person types.
  void setDimscaleTyped(std::function<void(double)> tell);
  std::size_t operatorInputsLeft() const;
  // The answers the script still holds dropped: what one step did not ask for is not given to the
  // next.
  void dropOperatorInputs();
  const std::vector<std::string>& prompts() const;  // every prompt shown, in order

  // Every command string received, byte for byte.
  const std::vector<std::string>& transcript() const;
  // Every system variable written and taken, "NAME = value", in order.
  const std::vector<std::string>& variableWrites() const;
  // The next n idle queries report the CAD busy.
  void keepBusy(int polls);
  bool commandPending() const;

  // Fault injection: the n-th automation call from now (1 = the next) fails; or every call of a
  // member (any case).
  void failCall(long n);
  void failMember(const std::string& member);
  void clearFaults();

  // Automation calls made: all, or of one member (any case).
  long callCount() const;
  long callCount(const std::string& member) const;
  void resetCounters();

  // A line typed on the CAD's command line by the person at the drawing window, in the active
  // document: a command of the person's (editing, variables, undo, views, layers, files, printing)
  // asking for what the line lacks, else the same command line sent by automation. An empty line
  // repeats the last command.
  void typeCommand(const std::string& line);

  // Undo groups: how many are open; one undo step back, one step taken back made again (false
  // when there is none).
  int openUndoGroups() const;
  bool undo();
  bool redo();

  std::string dxf() const;
  void writeDxf(const std::string& path) const;

  // Its insides (documents, undo history, what it tells the program around it).
  World& world();

 private:
  std::shared_ptr<World> world_;
  std::string registeredAs_;
};

}  // namespace qarn::cad::sim
