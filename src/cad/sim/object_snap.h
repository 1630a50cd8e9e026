#pragma once
// Object snaps as a CAD finds them while a point is picked: the endpoint, midpoint, centre,
// quadrant, insertion point, intersection or nearest point of what lies under the cursor, among
// the kinds OSMODE turns on. The drawing's visible model space is taken apart once into segments,
// arcs and insertion points (block references through their blocks, at their placed position)
// and kept in a grid, so that each move of the cursor looks at the few pieces near it.
#include <optional>
#include <vector>

#include "cad/sim/drawing.h"
#include "cad/sim/entity_geometry.h"

namespace qarn::cad::sim {

enum class SnapKind { Endpoint, Midpoint, Centre, Quadrant, Insertion, Intersection, Nearest };

// OSMODE's bits, as the CAD keeps them; kOsnapOff is the bit F3 turns over.
inline constexpr int kOsnapEndpoint = 1, kOsnapMidpoint = 2, kOsnapCentre = 4, kOsnapQuadrant = 16,
                     kOsnapIntersection = 32, kOsnapInsertion = 64, kOsnapNearest = 512,
                     kOsnapOff = 16384;
// The running snaps a CAD starts with: endpoint, centre, intersection and extension.
inline constexpr int kDefaultOsmode = 4133;

int osmodeBit(SnapKind k);
// Object snaps on: OSMODE's off bit clear and some kind chosen.
inline bool osnapOn(int osmode) {
  return !(osmode & kOsnapOff) && (osmode & (kOsnapOff - 1)) != 0;
}
// The kind's name as a CAD localised for Japan shows it: "端点", "中点", ...
const char* snapKindName(SnapKind k);

struct Snap {
  SnapKind kind;
  Point3 point;
};

class SnapIndex {
 public:
  explicit SnapIndex(const Drawing& d);

  // The snap for the cursor: of the kinds `osmode` turns on, the nearest endpoint, midpoint,
  // centre, quadrant, insertion point or intersection within `aperture` (drawing units); failing
  // those, the centre of an arc or circle that passes within it; failing that, the nearest point
  // of the nearest curve. Nothing when OSMODE's off bit is set or nothing is near.
  std::optional<Snap> find(Point3 cursor, double aperture, int osmode) const;
  std::size_t pieceCount() const { return pieces_.size(); }

  struct Piece {
    enum class Kind { Segment, Arc, Spot } kind;
    Point3 a, b;         // segment: the ends; arc: the centre; spot: the insertion point
    double r = 0;        // arc
    double start = 0;    // arc: counter-clockwise from here
    double sweep = 0;    // arc: radians, 2π for a circle
    bool chord = false;  // segment: a piece of a curve, whose ends are no endpoints
  };

 private:
  void build();
  std::vector<Piece> pieces_;
  Extents box_;
  // Grid: cells of `cell_` units from box_.min, cols_ x rows_; the pieces of cell i are
  // cellPieces_[cellStart_[i] .. cellStart_[i + 1]). Pieces spanning many cells are in `wide_`.
  double cell_ = 1;
  int cols_ = 0, rows_ = 0;
  std::vector<int> cellStart_, cellPieces_, wide_;
};

}  // namespace qarn::cad::sim
