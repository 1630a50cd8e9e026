#pragma once
// What crosses the automation boundary: one late-bound argument or result.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace qarn::cad {

class Dispatch;
using DispatchPtr = std::shared_ptr<Dispatch>;

// Fixed-point currency as the CAD passes it: the value times 10,000 in 64 bits.
struct Currency {
  std::int64_t raw = 0;
  static Currency fromDouble(double v);
  double toDouble() const { return static_cast<double>(raw) / 10000.0; }
  bool operator==(const Currency&) const = default;
};

class Value {
 public:
  enum class Kind {
    Empty,
    Missing,  // an optional argument that is not passed
    Bool,
    Int,
    Double,
    Currency,
    Text,
    Object,
    DoubleArray,  // points and coordinate lists
    Int16Array,   // selection filter codes
    ValueArray,   // filter data, arrays of objects
    Int16,        // a 16-bit integer: the CAD's short system variables
  };

  Value() = default;
  static Value missing();
  static Value int16(std::int16_t v);
  Value(bool v) : data_(v) {}
  Value(int v) : data_(static_cast<std::int32_t>(v)) {}
  Value(double v) : data_(v) {}
  Value(Currency v) : data_(v) {}
  Value(std::string v) : data_(std::move(v)) {}
  Value(const char* v) : data_(std::string(v)) {}
  Value(DispatchPtr v) : data_(std::move(v)) {}
  Value(std::vector<double> v) : data_(std::move(v)) {}
  Value(std::vector<std::int16_t> v) : data_(std::move(v)) {}
  Value(std::vector<Value> v) : data_(std::move(v)) {}

  Kind kind() const;
  bool isEmpty() const { return kind() == Kind::Empty; }
  bool isMissing() const { return kind() == Kind::Missing; }
  bool isNumber() const;

  // Conversions for results: a result of the wrong kind is an AutomationError (type mismatch),
  // never a silent default.
  bool toBool() const;
  std::int32_t toInt() const;    // Int, Bool, or an integral Double / Currency
  std::int64_t toInt64() const;  // as toInt, for window handles
  double toDouble() const;       // Int, Double, Currency, Bool
  std::string toText() const;    // Text only
  DispatchPtr toObject() const;  // Object only (an empty object is refused)
  const std::vector<double>& doubles() const;
  const std::vector<std::int16_t>& int16s() const;
  const std::vector<Value>& values() const;

  std::string describe() const;  // for messages: the kind and a short rendering

 private:
  struct MissingTag {
    bool operator==(const MissingTag&) const = default;
  };
  std::variant<std::monostate, MissingTag, bool, std::int32_t, double, Currency, std::string,
               DispatchPtr, std::vector<double>, std::vector<std::int16_t>, std::vector<Value>,
               std::int16_t>
      data_;
};

const char* kindName(Value::Kind k);

}  // namespace qarn::cad
