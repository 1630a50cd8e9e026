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
};

class Object {
 public:
  Object() = default;
  explicit Object(DispatchPtr p) : p_(std::move(p)) {}
  explicit Object(const Value& v) : p_(v.toObject()) {}

  bool valid() const { return static_cast<bool>(p_); }
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
