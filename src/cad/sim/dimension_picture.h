#pragma once
// What an aligned dimension shows, as the CAD draws it: two extension lines, the dimension line
// through the text point with a closed filled arrowhead at each end, and the measured length
// above it, DIMTXT × DIMSCALE high, turned with the line so it reads from below or the right.
#include <array>
#include <string>
#include <vector>

#include "cad/sim/drawing.h"

namespace qarn::cad::sim {

struct DimensionPicture {
  std::vector<std::array<Point3, 2>> lines;
  std::vector<std::array<Point3, 3>> arrowheads;  // tip first
  Point3 textAt;                                  // middle of the text
  double textHeight = 0, textRotation = 0;        // drawing units, radians
  std::string text;
};

DimensionPicture dimensionPicture(const Drawing& d, const Entity& dim);

// A number system variable of the drawing; `fallback` when it is missing or not positive.
double positiveVariable(const Drawing& d, const std::string& name, double fallback);

}  // namespace qarn::cad::sim
