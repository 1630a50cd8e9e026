#pragma once
// Reading the arguments of one automation call as strictly as a real CAD does.
#include <span>
#include <string>
#include <string_view>

#include "cad/geometry.h"
#include "cad/value.h"

namespace qarn::cad::sim {

class Args {
 public:
  Args(std::span<Value> values, std::string_view member) : v_(values), member_(member) {}

  // How many were passed, trailing missing ones not counted.
  std::size_t size() const;
  void expect(std::size_t min, std::size_t max) const;
  bool given(std::size_t i) const { return i < v_.size() && !v_[i].isMissing(); }
  const Value& at(std::size_t i) const;
  Value& out(std::size_t i) { return v_[i]; }

  Point3 point(std::size_t i) const;  // exactly three doubles
  double number(std::size_t i) const;
  int integer(std::size_t i) const;
  std::string text(std::size_t i) const;
  bool boolean(std::size_t i) const;

 private:
  [[noreturn]] void invalid(std::size_t i, const std::string& what) const;
  std::span<Value> v_;
  std::string member_;
};

}  // namespace qarn::cad::sim
