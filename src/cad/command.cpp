#include "cad/command.h"

#include "cad/automation_error.h"

namespace qarn::cad {

CadCommand::CadCommand(Session& session) : session_(session) {
  if (!IsCadRunning(session_.CadProgId)) return;
  app_ = attachCad(session_.CadProgId);
  doc_ = app_.activeDocument();
  running_ = true;
}

namespace {
// A clean-up step on its own: a CAD that refuses one must not keep the others from running, and
// one that refused it once (busy for a moment) is asked once more.
template <class Step>
void cleanUp(Step step) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      step();
      return;
    } catch (const AutomationError&) {
    }
  }
}
}  // namespace

// The undo group is ended first and the system variables are put back after it, in the order
// the command changed them: ATTDIA before ATTREQ.
CadCommand::~CadCommand() {
  if (undoOpen_) cleanUp([&] { doc_.endUndoMark(); });
  for (const std::string& name : variableOrder_)
    cleanUp([&] { doc_.setVariable(name, savedVariables_[name]); });
  if (minimized_ && session_.mainWindow) session_.mainWindow->restore();
}

void CadCommand::openUndoGroup() {
  if (undoOpen_) return;
  doc_.startUndoMark();
  undoOpen_ = true;
}

void CadCommand::closeUndoGroup() {
  if (!undoOpen_) return;
  doc_.endUndoMark();  // refused, it is ended again on the way out
  undoOpen_ = false;
}

void CadCommand::setVariable(const std::string& name, const Value& value) {
  if (!savedVariables_.count(name)) {
    savedVariables_[name] = doc_.getVariable(name);
    variableOrder_.push_back(name);
  }
  doc_.setVariable(name, value);
}

void CadCommand::restoreVariable(const std::string& name) {
  auto it = savedVariables_.find(name);
  if (it == savedVariables_.end()) return;
  doc_.setVariable(name, it->second);
  savedVariables_.erase(it);
  std::erase(variableOrder_, name);
}

void CadCommand::minimizeMainWindow() {
  if (!session_.mainWindow) return;
  session_.mainWindow->minimize();
  minimized_ = true;
}

void CadCommand::bringCadForward() {
  if (session_.desktop) cad::bringCadForward(*session_.desktop, app_.hwnd());
}

void CadCommand::activateCadWindow() {
  if (session_.desktop) ActivateCadWindow(*session_.desktop, app_.hwnd());
}

std::optional<PickedEntity> CadCommand::pickEntity(const std::string& prompt) {
  try {
    return doc_.utility().getEntity(prompt);
  } catch (const AutomationError&) {
    return std::nullopt;
  }
}

std::optional<Point3> CadCommand::pickPoint(const std::string& prompt) {
  try {
    return doc_.utility().getPoint(prompt);
  } catch (const AutomationError&) {
    return std::nullopt;
  }
}

void CadCommand::waitIdle() {
  if (session_.desktop) WaitCadIdle(app_, session_.CadProgId, *session_.desktop);
}

void CadCommand::prepareMessage() {
  if (!session_.mainWindow) return;
  if (minimized_) session_.mainWindow->restore();
  session_.mainWindow->bringToFront();
}

void CadCommand::restoreMainWindow() {
  if (!session_.mainWindow) return;
  session_.mainWindow->restore();
  minimized_ = false;
}

}  // namespace qarn::cad
