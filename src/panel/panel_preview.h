#pragma once
// The small picture of a panel device on its page: computed here as pixel primitives from the
// page's fields, so that the window only paints them.
#include <string>
#include <vector>

namespace qarn::panel {

struct PreviewInput {
  std::string width, height, kind;  // Edit15, Edit16, Edit17
  bool nameplate = true;            // CheckBox5
};

struct Primitive {
  enum class Kind { Line, Circle, Arc };
  Kind kind = Kind::Line;
  bool grey = false;                         // the centre cross; everything else is white
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;        // a line, in pixels (y downwards)
  int cx = 0, cy = 0, r = 0;                 // a circle or an arc
  double startDegrees = 0, spanDegrees = 0;  // an arc: counter-clockwise as seen on screen
};

// On a black picture of width x height pixels: the grey centre cross, then the device's outline,
// rings and marks in white. A size that leaves no scale (a rectangle with no size at all) draws
// the cross alone; a meter without height has no pointer.
std::vector<Primitive> DrawTovekImage(const PreviewInput& in, int width, int height);

}  // namespace qarn::panel
