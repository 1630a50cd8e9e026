#pragma once
// The pattern every drawing command follows: is the CAD running, attach, the active document, an
// optional undo group, the main window put away while the user picks, guarded picks, and on
// every way out (an error included) the undo group closed, the system variables the command
// changed put back and the main window restored.
#include <map>
#include <optional>
#include <string>

#include "cad/connection.h"
#include "cad/desktop.h"
#include "cad/facade.h"

namespace qarn::cad {

// What every command is given: the target CAD and the platform around it.
struct Session {
  std::string CadProgId = kDefaultCadProgId;
  std::string CadName = kDefaultCadName;
  Desktop* desktop = nullptr;
  MainWindow* mainWindow = nullptr;  // none for the command-line tool
};

class CadCommand {
 public:
  // Steps 1 and 2: when the CAD is not running, running() is false and the command ends quietly.
  // An unregistered ProgID or a failed attach is an AutomationError for the user.
  explicit CadCommand(Session& session);
  ~CadCommand();
  CadCommand(const CadCommand&) = delete;
  CadCommand& operator=(const CadCommand&) = delete;

  bool running() const { return running_; }
  Session& session() { return session_; }
  Desktop& desktop() { return *session_.desktop; }
  const std::string& progId() const { return session_.CadProgId; }
  const Application& app() const { return app_; }
  const Document& doc() const { return doc_; }

  // Step 3: one undo group around the whole command.
  void openUndoGroup();
  // The undo group ended now, before what must follow it (a regeneration).
  void closeUndoGroup();
  // A system variable changed for the command's length; the value it had is put back at the end.
  void setVariable(const std::string& name, const Value& value);
  // A changed system variable put back now rather than at the end.
  void restoreVariable(const std::string& name);
  // Step 4: put the main window away while the user works in the CAD.
  void minimizeMainWindow();
  // Step 5: the CAD's window restored and in front.
  void bringCadForward();
  // The CAD's window in front with Escape pressed (after an on-screen selection).
  void activateCadWindow();
  // Step 6: a pick that may be cancelled; nothing when the user pressed Escape or missed.
  std::optional<PickedEntity> pickEntity(const std::string& prompt);
  std::optional<Point3> pickPoint(const std::string& prompt);
  // Step 7: wait for a command line to finish.
  void waitIdle();
  // Step 8: the main window back in front before a message is shown over it.
  void prepareMessage();
  // Step 9 early: the main window back to normal (it is also done at the end).
  void restoreMainWindow();

 private:
  Session& session_;
  bool running_ = false;
  Application app_;
  Document doc_;
  bool undoOpen_ = false;
  bool minimized_ = false;
  std::map<std::string, Value> savedVariables_;
  std::vector<std::string> variableOrder_;
};

}  // namespace qarn::cad
