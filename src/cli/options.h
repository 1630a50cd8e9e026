#pragma once
// Reading the values the jobs' options take.
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "cad/geometry.h"
#include "cad/numbers.h"
#include "cad/sim/drawing_listing.h"

namespace qarn::cli {

// "X,Y" as a point; nothing when either is not a number.
inline std::optional<cad::Point3> readPoint(const std::string& v) {
  auto comma = v.find(',');
  auto x = cad::tryReadNumber(v.substr(0, comma));
  auto y = comma == std::string::npos ? std::nullopt : cad::tryReadNumber(v.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return cad::Point3{*x, *y, 0};
}

// --listing FILE: the drawing and the command's transcript, one fact a line, as the golden
// listings hold them; false when the file could not be written.
inline bool writeListing(const cad::sim::SimCad& sim, const std::string& path,
                         const std::vector<std::string>& messages = {}) {
  if (path.empty()) return true;
  std::ofstream f(path, std::ios::binary);
  f << cad::sim::drawingListing(sim, messages);
  return static_cast<bool>(f);
}

}  // namespace qarn::cli
