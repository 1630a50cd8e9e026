#pragma once
// "Is it running, and give it to me": the running-object look-up by ProgID. The process's own
// table is asked first (the simulated CAD registers there); on Windows the system's table next.
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "cad/object.h"

namespace qarn::cad {

class RunningObjects {
 public:
  static RunningObjects& instance();

  // A known class whose object may or may not be running (the ProgID is "registered").
  void registerClass(const std::string& progId);
  // The object that answers for `progId` from now on; registers the class too.
  void registerObject(const std::string& progId, DispatchPtr object);
  // The object stops running; its class stays known.
  void revokeObject(const std::string& progId);
  void forgetClass(const std::string& progId);

  // True when an object runs under the ProgID; an AutomationError with the system's text when
  // the ProgID is not registered at all.
  bool isRunning(const std::string& progId);
  // The running object; an AutomationError when there is none.
  Object attach(const std::string& progId);

  // The system's table (COM on Windows). Its isRunning answers nothing for a ProgID it does not
  // know, so that the process's own table can decide.
  struct SystemTable {
    std::function<bool(const std::string&)> isRunning;  // throws for an unknown ProgID
    std::function<Object(const std::string&)> attach;
  };
  void setSystemTable(std::optional<SystemTable> table);

 private:
  struct Entry {
    DispatchPtr object;  // empty while not running
  };
  std::map<std::string, Entry> entries_;  // by upper-cased ProgID: ProgIDs ignore case
  std::optional<SystemTable> system_;
  std::mutex mutex_;
};

}  // namespace qarn::cad
