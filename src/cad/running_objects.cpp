#include "cad/running_objects.h"

#include "cad/automation_error.h"
#include "cad/text.h"

namespace qarn::cad {

RunningObjects& RunningObjects::instance() {
  static RunningObjects table;
  return table;
}

void RunningObjects::registerClass(const std::string& progId) {
  std::lock_guard lock(mutex_);
  entries_.try_emplace(asciiUpper(progId));
}

void RunningObjects::registerObject(const std::string& progId, DispatchPtr object) {
  std::lock_guard lock(mutex_);
  entries_[asciiUpper(progId)].object = std::move(object);
}

void RunningObjects::revokeObject(const std::string& progId) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(asciiUpper(progId));
  if (it != entries_.end()) it->second.object.reset();
}

void RunningObjects::forgetClass(const std::string& progId) {
  std::lock_guard lock(mutex_);
  entries_.erase(asciiUpper(progId));
}

void RunningObjects::setSystemTable(std::optional<SystemTable> table) {
  std::lock_guard lock(mutex_);
  system_ = std::move(table);
}

bool RunningObjects::isRunning(const std::string& progId) {
  std::optional<SystemTable> system;
  {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(asciiUpper(progId));
    if (it != entries_.end()) return static_cast<bool>(it->second.object);
    system = system_;
  }
  if (system) return system->isRunning(progId);
  throw AutomationError(status::kInvalidClassString, "Invalid class string: " + progId);
}

Object RunningObjects::attach(const std::string& progId) {
  std::optional<SystemTable> system;
  {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(asciiUpper(progId));
    if (it != entries_.end()) {
      if (!it->second.object)
        throw AutomationError(status::kUnavailable,
                              "Operation unavailable: " + progId + " is not running");
      return Object(it->second.object);
    }
    system = system_;
  }
  if (system) return system->attach(progId);
  throw AutomationError(status::kInvalidClassString, "Invalid class string: " + progId);
}

}  // namespace qarn::cad
