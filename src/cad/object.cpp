#include "cad/object.h"

#include "cad/automation_error.h"

namespace qarn::cad {

const DispatchPtr& Object::checked() const {
  if (!p_) throw AutomationError(status::kFail, "Object variable not set");
  return p_;
}

Object Object::as(std::string_view interfaceName) const {
  if (p_ && !interfaceName.empty()) p_->setInterface(interfaceName);
  return *this;
}

Value Object::get(std::string_view member, std::vector<Value> args) const {
  return checked()->invoke(member, CallKind::Get, args);
}

Object Object::getObject(std::string_view member, std::vector<Value> args) const {
  return Object(get(member, std::move(args)));
}

void Object::put(std::string_view member, Value value) const {
  std::vector<Value> args{std::move(value)};
  checked()->invoke(member, CallKind::Put, args);
}

Value Object::call(std::string_view member, std::vector<Value> args) const {
  return checked()->invoke(member, CallKind::Method, args);
}

Value Object::callOut(std::string_view member, std::vector<Value>& args) const {
  return checked()->invoke(member, CallKind::MethodOut, args);
}

}  // namespace qarn::cad
