#pragma once
// Reading the values the jobs' options take.
#include <optional>
#include <string>

#include "cad/geometry.h"
#include "cad/numbers.h"

namespace qarn::cli {

// "X,Y" as a point; nothing when either is not a number.
inline std::optional<cad::Point3> readPoint(const std::string& v) {
  auto comma = v.find(',');
  auto x = cad::tryReadNumber(v.substr(0, comma));
  auto y = comma == std::string::npos ? std::nullopt : cad::tryReadNumber(v.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return cad::Point3{*x, *y, 0};
}

}  // namespace qarn::cli
