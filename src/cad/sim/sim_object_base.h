#pragma once
// What the simulated CAD's automation objects share: the base that counts and fails calls, and
// the factories by which one kind of object hands out another.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/automation_error.h"
#include "cad/object.h"
#include "cad/sim/sim_args.h"
#include "cad/sim/sim_world.h"

namespace qarn::cad::sim {

std::string lower(std::string_view s);
Value point(Point3 p);
[[noreturn]] void readOnly(std::string_view member);

// Base of every object: counts the call, fails on demand, then dispatches by lower-case name.
class SimObject : public Dispatch, public std::enable_shared_from_this<SimObject> {
 public:
  SimObject(std::shared_ptr<World> w, int doc) : w_(std::move(w)), doc_(doc) {}
  Value invoke(std::string_view member, CallKind kind, std::span<Value> args) final {
    const std::string m = lower(member);
    w_->enter(member, m);
    // Whatever the call did, those who show the drawing look again.
    struct Changed {
      World& w;
      ~Changed() {
        if (!w.observers.empty()) w.changed();
      }
    } changed{*w_};
    Args a(args, member);
    return dispatch(m, member, kind, a);
  }

 protected:
  // `m` is the member's name in lower case: a view, so that comparing it with a name of another
  // length does not compare letters.
  virtual Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) = 0;
  DocState& doc() const { return w_->doc(doc_); }
  std::shared_ptr<World> w_;
  int doc_;
};

enum class CollectionKind { Blocks, Layers, Linetypes, Groups };

DispatchPtr entityObject(const std::shared_ptr<World>& w, int doc, const std::string& handle);
DispatchPtr blockObject(const std::shared_ptr<World>& w, int doc, const std::string& handle);
DispatchPtr layerObject(const std::shared_ptr<World>& w, int doc, const std::string& handle);
DispatchPtr collectionObject(const std::shared_ptr<World>& w, int doc, CollectionKind kind);
DispatchPtr utilityObject(const std::shared_ptr<World>& w, int doc);
DispatchPtr selectionSetObject(const std::shared_ptr<World>& w, int doc);
// The entities as an array of objects, as the CAD returns new entities.
Value objectArray(const std::shared_ptr<World>& w, int doc,
                  const std::vector<std::string>& handles);

}  // namespace qarn::cad::sim
