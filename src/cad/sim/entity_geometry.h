#pragma once
// What the simulated CAD computes on its entities: transforms, true extents, offsets and the
// pieces an entity explodes into.
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

#include "cad/sim/drawing.h"

namespace qarn::cad::sim {

// x' = a x + b y + e, y' = c x + d y + f
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
  static Affine translation(double dx, double dy);
  static Affine rotation(Point3 base, double radians);
  static Affine mirror(Point3 p, Point3 q);
  static Affine scaling(double sx, double sy);
  Affine then(const Affine& next) const;  // this first, next after it
  Point3 apply(Point3 p) const;
  double det() const { return a * d - b * c; }
  bool conformal() const;  // no shear and equal scales (a reflection allowed)
};

// The block reference's own transform, from block coordinates to its owner's.
Affine referenceTransform(const Entity& ref, Point3 blockOrigin);

// Moves, rotates, mirrors or scales an entity in place (its attributes are the caller's).
void transformEntity(Entity& e, const Affine& t);

struct Extents {
  Point3 min{1e300, 1e300, 0}, max{-1e300, -1e300, 0};
  bool empty() const { return min.x > max.x; }
  void add(double x, double y);
  void add(const Extents& other);
};

// An angle in radians brought into [0, 2π); one that is not a finite number reads as 0, so that
// a drawing's 1e30° arc is an arc like any other.
double reducedAngle(double radians);

// True extents: bulges and arcs to their outermost points, references through their blocks
// (and visible attributes). A text's box is measured with a fixed font metric: each half-width
// character advances 0.6 and each full-width one 1.0 times the height and the width factor; the
// box is one height tall, placed by the alignment code and turned by the rotation.
Extents extentsOf(const Drawing& d, const Entity& e);

// The same for many entities of one drawing that does not change meanwhile: each block is measured
// once per linear transform and depth and shifted per reference, so that a block held many times
// (or holding itself) costs its own size once, not its size times its references. A block met
// again inside itself adds nothing of itself; nesting ends at 16 levels.
class ExtentsCache {
 public:
  explicit ExtentsCache(const Drawing& d) : d_(d) {}
  Extents of(const Entity& e);

 private:
  void collect(const Entity& e, const Affine& t, Extents& x, int depth);
  void collectReference(const Entity& e, const Affine& t, Extents& x, int depth);
  // The block's parts under the linear transform (a, b, c, d) alone.
  const Extents& blockUnder(const Block& b, const Affine& linear, int depth);

  using Key = std::tuple<const Block*, double, double, double, double, int>;
  const Drawing& d_;
  std::map<Key, Extents> blocks_;
  std::set<const Block*> measuring_;  // blocks being measured, outermost first
};

// The offset copy at `distance`; for closed polylines a negative distance goes inside. Nothing
// when the entity cannot be offset by that much.
std::optional<Entity> offsetEntity(const Entity& e, double distance);

// The lines and arcs of a polyline; the transformed copies of a reference's block entities.
std::vector<Entity> explodeEntity(const Drawing& d, const Entity& e);

struct ArcGeometry {
  Point3 centre;
  double radius, start, end;  // counter-clockwise from start to end
};
// The arc of a bulged polyline segment; nothing for a straight one.
std::optional<ArcGeometry> bulgeArc(const Vertex& from, const Vertex& to);

}  // namespace qarn::cad::sim
