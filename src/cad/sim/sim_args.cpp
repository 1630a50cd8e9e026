#include "cad/sim/sim_args.h"

#include <cmath>

#include "cad/automation_error.h"
#include "cad/numbers.h"

namespace qarn::cad::sim {

std::size_t Args::size() const {
  std::size_t n = v_.size();
  while (n > 0 && v_[n - 1].isMissing())
    --n;
  return n;
}

void Args::expect(std::size_t min, std::size_t max) const {
  std::size_t n = size();
  if (n < min || n > max)
    throw AutomationError(status::kBadParamCount,
                          "Invalid number of parameters for " + member_ + ": " + std::to_string(n));
  for (std::size_t i = 0; i < min; ++i)
    if (v_[i].isMissing())
      throw AutomationError(status::kParamNotOptional, "Parameter not optional: " + member_ +
                                                           " argument " + std::to_string(i + 1));
}

const Value& Args::at(std::size_t i) const {
  if (i >= v_.size() || v_[i].isMissing())
    throw AutomationError(status::kParamNotOptional, "Parameter not optional: " + member_ +
                                                         " argument " + std::to_string(i + 1));
  return v_[i];
}

void Args::invalid(std::size_t i, const std::string& what) const {
  throw AutomationError(status::kInvalidArg, "Invalid argument " + std::to_string(i + 1) + " of " +
                                                 member_ + ": expected " + what + ", got " +
                                                 at(i).describe());
}

Point3 Args::point(std::size_t i) const {
  const Value& v = at(i);
  if (v.kind() != Value::Kind::DoubleArray || v.doubles().size() != 3)
    invalid(i, "a point of three doubles");
  const auto& d = v.doubles();
  return {d[0], d[1], d[2]};
}

double Args::number(std::size_t i) const {
  const Value& v = at(i);
  if (v.isNumber() || v.kind() == Value::Kind::Bool) return v.toDouble();
  if (v.kind() == Value::Kind::Text) {
    // The automation layer converts text the way the CAD's variant coercion does.
    if (auto d = tryReadNumber(v.toText())) return *d;
    throw AutomationError(
        status::kTypeMismatch,
        "Type mismatch: argument " + std::to_string(i + 1) + " of " + member_ + " is not a number");
  }
  invalid(i, "a number");
}

int Args::integer(std::size_t i) const {
  double d = number(i);
  if (!std::isfinite(d) || std::fabs(d) > 2147483647.0) invalid(i, "a 32-bit integer");
  return static_cast<int>(std::nearbyint(d));
}

std::string Args::text(std::size_t i) const {
  const Value& v = at(i);
  if (v.kind() == Value::Kind::Text) return v.toText();
  if (v.isNumber()) return writeNumber(v.toDouble());
  invalid(i, "text");
}

bool Args::boolean(std::size_t i) const {
  const Value& v = at(i);
  if (v.kind() == Value::Kind::Bool) return v.toBool();
  if (v.isNumber()) return v.toDouble() != 0.0;
  invalid(i, "a boolean");
}

}  // namespace qarn::cad::sim
