#pragma once
// What the drawing window shows of a drawing, worked out once per change so that panning and
// zooming only paint: lines (curves as short chords), filled triangles and texts in drawing
// coordinates, batched by colour and line style, each remembering the model-space entity it
// belongs to (a block reference as a whole) for picking. Qt-free, so it is tested and measured
// without a window.
#include <cstdint>
#include <string>
#include <vector>

#include "cad/sim/drawing.h"
#include "cad/sim/entity_geometry.h"

namespace qarn::cad::sim {

enum class LineStyle { Solid, Hidden, Phantom, Dashed };

struct Style {
  std::uint32_t rgb = 0xFFFFFF;  // 0xRRGGBB
  LineStyle line = LineStyle::Solid;
  bool operator==(const Style&) const = default;
};

struct ShownLine {
  double x0, y0, x1, y1;
  int owner;  // index into DisplayList::owners
};

struct ShownTriangle {
  Point3 a, b, c;
  int owner;
};

struct ShownText {
  Point3 at;  // the point the alignment refers to
  double height = 0, rotation = 0, widthFactor = 1;
  int horizontal = 0;  // 0 left, 1 centre, 2 right
  int vertical = 0;    // 0 baseline, 1 bottom, 2 middle, 3 top
  std::string text;
  Style style;
  int owner;
};

struct Batch {
  Style style;
  std::vector<ShownLine> lines;
  std::vector<ShownTriangle> triangles;
};

struct DisplayList {
  std::vector<Batch> batches;
  std::vector<ShownText> texts;
  std::vector<std::string> owners;  // model-space handles, in drawing order
  Extents extents;
  // What a drawing too large to show (blocks inserting blocks many times over) left out: lines,
  // triangles and texts not drawn, and the entities they belong to.
  double omittedPrimitives = 0;
  int omittedEntities = 0;
  std::size_t lineCount() const;
};

// The colour of a CAD colour number on a dark background (7 is white).
std::uint32_t colourOf(int aci);
LineStyle lineStyleOf(const std::string& linetype);

// Lines, triangles and texts one display list holds at most: what a window paints in a moment
// and keeps in memory at ease. A drawing's parts beyond it are counted, not drawn.
constexpr std::size_t kDisplayBudget = 1'000'000;

// Every visible model-space entity (layers off or frozen left out); `extra` entities (what
// follows the cursor) are added after them, as if in model space. Without `withModelSpace` only
// the extra ones, drawn with the drawing's blocks and layers. Parts are taken in drawing order
// until `budget` of them are in the list.
DisplayList buildDisplayList(const Drawing& d, const std::vector<Entity>& extra = {},
                             bool withModelSpace = true, std::size_t budget = kDisplayBudget);

// The topmost model-space entity with a line within `tolerance` of (x, y): its handle, or empty.
std::string entityAt(const DisplayList& list, double x, double y, double tolerance);

}  // namespace qarn::cad::sim
