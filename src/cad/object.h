#pragma once
// Late-bound automation objects: members are reached by name, case-insensitively.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cad/value.h"

namespace qarn::cad {

// MethodOut: a method whose empty arguments are out-parameters, passed by reference.
enum class CallKind { Get, Put, Method, MethodOut };

// One automation object. The Windows link implements it over IDispatch, the simulated CAD
// directly. Arguments are passed in order; an implementation may write results back into
// them (out-parameters such as GetEntity's object and point).
class Dispatch {
 public:
  virtual ~Dispatch() = default;
  virtual Value invoke(std::string_view member, CallKind kind, std::span<Value> args) = 0;
  // The interface the object has, as the CAD's type library names it ("IAcadLWPolyline"), when
  // the member that returned it says so. A link may reuse member ids learnt on other objects of
  // that interface instead of asking each new object what it is.
  virtual void setInterface(std::string_view name) {}
  virtual std::string_view interfaceName() const { return {}; }
};

class Object {
 public:
  Object() = default;
  explicit Object(DispatchPtr p) : p_(std::move(p)) {}
  explicit Object(const Value& v) : p_(v.toObject()) {}

  bool valid() const { return static_cast<bool>(p_); }
  // The object, known to have this interface (nothing changes for an empty name).
  Object as(std::string_view interfaceName) const;
  std::string_view interfaceName() const { return p_ ? p_->interfaceName() : std::string_view(); }
  const DispatchPtr& dispatch() const { return p_; }

  Value get(std::string_view member, std::vector<Value> args = {}) const;
  Object getObject(std::string_view member, std::vector<Value> args = {}) const;
  void put(std::string_view member, Value value) const;
  Value call(std::string_view member, std::vector<Value> args = {}) const;
  // A call whose arguments may come back changed (out-parameters).
  Value callOut(std::string_view member, std::vector<Value>& args) const;

 private:
  const DispatchPtr& checked() const;
  DispatchPtr p_;
};

}  // namespace qarn::cad
