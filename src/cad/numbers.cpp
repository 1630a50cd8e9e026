#include "cad/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "cad/text.h"

namespace qarn::cad {

std::optional<double> tryReadNumber(std::string_view text) {
  std::string_view t = trimView(text);
  // from_chars takes a leading "-" but not "+"; a field may carry either.
  if (!t.empty() && t.front() == '+') {
    t.remove_prefix(1);
    if (!t.empty() && t.front() == '-') return std::nullopt;
  }
  if (t.empty() || t.front() == '+') return std::nullopt;
  double v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

double readNumber(std::string_view text, double fallback) {
  return tryReadNumber(text).value_or(fallback);
}

std::optional<int> tryReadWholeNumber(std::string_view text) {
  auto n = tryReadNumber(text);
  // Range first: converting a double an int cannot hold is undefined.
  if (!n || *n < -2147483648.0 || *n > 2147483647.0 || *n != std::trunc(*n)) return std::nullopt;
  return static_cast<int>(*n);
}

int readInteger(std::string_view text, int fallback) {
  std::string_view t = trimView(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  int v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return fallback;
  return v;
}

std::string writeNumber(double v) {
  // A non-finite value has no place in a command line; write the harmless zero.
  if (v == 0.0 || !std::isfinite(v)) return "0";
  char buf[400];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  if (ec != std::errc()) return "0";
  return std::string(buf, end);
}

}  // namespace qarn::cad
