#include "enclosure/symbol_blocks.h"

#include <initializer_list>
#include <optional>
#include <utility>

#include "cad/drawing_routines.h"

namespace qarn::enclosure {

using cad::Block;
using cad::Entity;
using cad::Polyline;

namespace {

Polyline polyline(const Block& b, std::initializer_list<double> xy, bool closed = false,
                  std::initializer_list<std::pair<int, double>> bulges = {}) {
  Polyline p = b.addLightWeightPolyline(std::vector<double>(xy));
  if (closed) p.setClosed(true);
  for (auto [segment, bulge] : bulges)
    p.setBulge(segment, bulge);
  cad::setByBlock(p);
  return p;
}

void arc(const Block& b, double radius, double start, double end, double cy = 0) {
  cad::setByBlock(b.addArc({0, cy, 0}, radius, start, end));
}

void plateHandle(const Block& b, double L, double B, double r, double Ls, double Bs,
                 std::optional<double> yl, bool roundBothEnds) {
  constexpr double kCorner = -0.44213562373;
  polyline(b,
           {-B / 2, L / 2 - r, -B / 2 + r, L / 2, B / 2 - r, L / 2, B / 2, L / 2 - r, B / 2,
            -L / 2 + r, B / 2 - r, -L / 2, -B / 2 + r, -L / 2, -B / 2, -L / 2 + r},
           true, {{0, kCorner}, {2, kCorner}, {4, kCorner}, {6, kCorner}});
  if (roundBothEnds) {
    polyline(b, {-Bs / 2, Ls / 2, Bs / 2, Ls / 2, Bs / 2, -Ls / 2, -Bs / 2, -Ls / 2}, true,
             {{0, -1}, {2, -1}});
    polyline(b, {-Bs / 2, *yl, Bs / 2, *yl});
  } else {
    polyline(b,
             {-Bs / 2, -Ls / 2, -Bs / 2, Ls / 2 - Bs / 2, Bs / 2, Ls / 2 - Bs / 2, Bs / 2, -Ls / 2},
             true, {{1, -1}});
  }
}

void drawHandle(const Block& b, const std::string& kind);
void drawKey(const Block& b, const std::string& kind);

}  // namespace

void ensureHandleBlock(const cad::Document& doc, const std::string& name, const std::string& kind) {
  cad::defineBlockOnce(doc, name, [&](const Block& b) { drawHandle(b, kind); });
}

void ensureKeyBlock(const cad::Document& doc, const std::string& name, const std::string& kind) {
  cad::defineBlockOnce(doc, name, [&](const Block& b) { drawKey(b, kind); });
}

namespace {

void drawHandle(const Block& b, const std::string& kind) {
  if (kind == "RA") {
    plateHandle(b, 110, 34, 2.5, 76, 22, -25, true);
  } else if (kind == "E") {
    plateHandle(b, 150, 38, 4, 110, 24, -42, true);
  } else if (kind == "S") {
    plateHandle(b, 84, 28, 2.5, 54, 19, std::nullopt, false);
  } else if (kind == "CL") {
    polyline(b, {-10.36, -72.8, -12, -66, -12, 21, -10.36, 27.8, -6.8, 30,     -2,
                 30,     0,     28,  0,   -73, -2, -75,    -6.8, -75,  -10.36, -72.8},
             true,
             {{0, -0.11851572},
              {2, -0.11851572},
              {3, -0.28186106},
              {9, -0.28186106},
              {5, -0.41421358},
              {7, -0.41421358}});
    polyline(b, {0, -8, -8, -8, -8, -24, -12, -24});
  } else if (kind == "CH") {
    polyline(b, {0, -25, -8.3, -25, -10, -23.3, -10, 23.3, -8.3, 25, 0, 25}, true,
             {{1, -0.41421356}, {3, -0.41421356}});
  } else if (kind == "ORM") {
    polyline(b,
             {-2.63691257, 12.6451038, -4.8462149, -25.3548962, -2.35042947, -28, 2.35042947, -28,
              4.8462149, -25.3548962, 2.63691257, 12.6451038, 0.14112714, 15, -0.14112714, 15},
             true, {{1, 0.43132721}, {3, 0.43132721}, {5, 0.39730453}, {7, 0.39730453}});
    arc(b, 12, 5.054813565698522, 1.3445200605467031);
    arc(b, 12, 1.79707259304309, 4.369964395070857);
  } else if (kind == "HT") {
    for (int i = 0; i < 5; ++i) {
      double y = 20 - 10 * i;
      polyline(b, {10.0 * (i + 1), y, -10.0 * (i + 1), y});
    }
  }
}

void drawKey(const Block& b, const std::string& kind) {
  if (kind == "F16") {
    polyline(b, {-15, 0, -15, 11, 15, 11, 15, 0});
    cad::setByBlock(b.addCircle({0, 30, 0}, 17.5));
    arc(b, 30, 5.235987755982989, 4.188790204786391, 30);
  } else if (kind == "S16") {
    polyline(b, {6.25, 4.01924, 6.25, 53.75, -6.25, 53.75, -6.25, 4.01924}, false, {{1, 1}});
    polyline(b, {-15, 0, -15, 11, -6.25, 11});
    polyline(b, {15, 0, 15, 11, 6.25, 11});
  }
}

}  // namespace

}  // namespace qarn::enclosure
