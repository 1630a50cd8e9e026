#include "cad/value.h"

#include <cmath>

#include "cad/automation_error.h"
#include "cad/numbers.h"

namespace qarn::cad {

Currency Currency::fromDouble(double v) {
  return Currency{std::llround(v * 10000.0)};
}

Value Value::missing() {
  Value v;
  v.data_ = MissingTag{};
  return v;
}

Value Value::int16(std::int16_t v) {
  Value out;
  out.data_ = v;
  return out;
}

Value::Kind Value::kind() const {
  return static_cast<Kind>(data_.index());
}

bool Value::isNumber() const {
  Kind k = kind();
  return k == Kind::Int || k == Kind::Int16 || k == Kind::Double || k == Kind::Currency;
}

const char* kindName(Value::Kind k) {
  switch (k) {
    case Value::Kind::Empty:
      return "empty";
    case Value::Kind::Missing:
      return "missing";
    case Value::Kind::Bool:
      return "bool";
    case Value::Kind::Int:
      return "int";
    case Value::Kind::Double:
      return "double";
    case Value::Kind::Currency:
      return "currency";
    case Value::Kind::Text:
      return "text";
    case Value::Kind::Object:
      return "object";
    case Value::Kind::DoubleArray:
      return "double array";
    case Value::Kind::Int16Array:
      return "int16 array";
    case Value::Kind::ValueArray:
      return "value array";
    case Value::Kind::Int16:
      return "int16";
  }
  return "?";
}

namespace {
[[noreturn]] void mismatch(const Value& v, const char* wanted) {
  throw AutomationError(status::kTypeMismatch,
                        std::string("Type mismatch: expected ") + wanted + ", got " + v.describe());
}
}  // namespace

bool Value::toBool() const {
  switch (kind()) {
    case Kind::Bool:
      return std::get<bool>(data_);
    case Kind::Int:
      return std::get<std::int32_t>(data_) != 0;
    case Kind::Int16:
      return std::get<std::int16_t>(data_) != 0;
    default:
      mismatch(*this, "bool");
  }
}

std::int64_t Value::toInt64() const {
  switch (kind()) {
    case Kind::Int:
      return std::get<std::int32_t>(data_);
    case Kind::Int16:
      return std::get<std::int16_t>(data_);
    case Kind::Bool:
      return std::get<bool>(data_) ? -1 : 0;
    case Kind::Double: {
      double d = std::get<double>(data_);
      if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.2e18)
        return static_cast<std::int64_t>(d);
      break;
    }
    case Kind::Currency: {
      auto c = std::get<Currency>(data_);
      if (c.raw % 10000 == 0) return c.raw / 10000;
      break;
    }
    default:
      break;
  }
  mismatch(*this, "integer");
}

std::int32_t Value::toInt() const {
  std::int64_t v = toInt64();
  if (v < INT32_MIN || v > INT32_MAX) mismatch(*this, "32-bit integer");
  return static_cast<std::int32_t>(v);
}

double Value::toDouble() const {
  switch (kind()) {
    case Kind::Int:
      return std::get<std::int32_t>(data_);
    case Kind::Int16:
      return std::get<std::int16_t>(data_);
    case Kind::Double:
      return std::get<double>(data_);
    case Kind::Currency:
      return std::get<Currency>(data_).toDouble();
    case Kind::Bool:
      return std::get<bool>(data_) ? -1.0 : 0.0;
    default:
      mismatch(*this, "number");
  }
}

std::string Value::toText() const {
  if (kind() != Kind::Text) mismatch(*this, "text");
  return std::get<std::string>(data_);
}

DispatchPtr Value::toObject() const {
  if (kind() != Kind::Object || !std::get<DispatchPtr>(data_)) mismatch(*this, "object");
  return std::get<DispatchPtr>(data_);
}

const std::vector<double>& Value::doubles() const {
  if (kind() != Kind::DoubleArray) mismatch(*this, "double array");
  return std::get<std::vector<double>>(data_);
}

const std::vector<std::int16_t>& Value::int16s() const {
  if (kind() != Kind::Int16Array) mismatch(*this, "int16 array");
  return std::get<std::vector<std::int16_t>>(data_);
}

const std::vector<Value>& Value::values() const {
  if (kind() != Kind::ValueArray) mismatch(*this, "value array");
  return std::get<std::vector<Value>>(data_);
}

std::string Value::describe() const {
  std::string s = kindName(kind());
  switch (kind()) {
    case Kind::Bool:
      return s + " " + (std::get<bool>(data_) ? "true" : "false");
    case Kind::Int:
      return s + " " + std::to_string(std::get<std::int32_t>(data_));
    case Kind::Int16:
      return s + " " + std::to_string(std::get<std::int16_t>(data_));
    case Kind::Double:
      return s + " " + writeNumber(std::get<double>(data_));
    case Kind::Currency:
      return s + " " + writeNumber(std::get<Currency>(data_).toDouble());
    case Kind::Text:
      return s + " \"" + std::get<std::string>(data_) + "\"";
    case Kind::DoubleArray:
      return s + " of " + std::to_string(doubles().size());
    case Kind::Int16Array:
      return s + " of " + std::to_string(int16s().size());
    case Kind::ValueArray:
      return s + " of " + std::to_string(values().size());
    default:
      return s;
  }
}

}  // namespace qarn::cad
