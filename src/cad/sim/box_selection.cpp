#include "cad/sim/box_selection.h"

#include <algorithm>

#include "cad/sim/entity_geometry.h"

namespace qarn::cad::sim {

std::vector<std::string> entitiesInBox(const Drawing& d, bool window, Point3 a, Point3 b) {
  double x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x), y0 = std::min(a.y, b.y),
         y1 = std::max(a.y, b.y);
  std::vector<std::string> hs;
  ExtentsCache measured(d);
  for (const auto& h : d.modelSpace().entities) {
    const Entity* e = d.findEntity(h);
    if (!e) continue;
    Extents x = measured.of(*e);
    if (x.empty()) continue;
    bool inside = x.min.x >= x0 && x.max.x <= x1 && x.min.y >= y0 && x.max.y <= y1;
    bool touches = x.max.x >= x0 && x.min.x <= x1 && x.max.y >= y0 && x.min.y <= y1;
    if (window ? inside : touches) hs.push_back(h);
  }
  return hs;
}

}  // namespace qarn::cad::sim
