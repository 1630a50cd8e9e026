#include "cad/sim/drawing.h"

#include <map>

#include "cad/text.h"

namespace qarn::cad::sim {

const char* className(EntityType t) {
  switch (t) {
    case EntityType::Polyline:
      return "AcDbPolyline";
    case EntityType::Line:
      return "AcDbLine";
    case EntityType::Circle:
      return "AcDbCircle";
    case EntityType::Arc:
      return "AcDbArc";
    case EntityType::AttributeDef:
      return "AcDbAttributeDefinition";
    case EntityType::Attribute:
      return "AcDbAttribute";
    case EntityType::AlignedDim:
      return "AcDbAlignedDimension";
    case EntityType::BlockRef:
      return "AcDbBlockReference";
    case EntityType::Opaque:
      break;
  }
  return "AcDbEntity";
}

const char* dxfName(EntityType t) {
  switch (t) {
    case EntityType::Polyline:
      return "LWPOLYLINE";
    case EntityType::Line:
      return "LINE";
    case EntityType::Circle:
      return "CIRCLE";
    case EntityType::Arc:
      return "ARC";
    case EntityType::AttributeDef:
      return "ATTDEF";
    case EntityType::Attribute:
      return "ATTRIB";
    case EntityType::AlignedDim:
      return "DIMENSION";
    case EntityType::BlockRef:
      return "INSERT";
    case EntityType::Opaque:
      break;
  }
  return "";
}

std::string className(const Entity& e) {
  if (e.type != EntityType::Opaque) return className(e.type);
  // The class names of the kinds drawings hold most often; the rest answer as a plain entity.
  static const std::map<std::string, std::string> known = {{"TEXT", "AcDbText"},
                                                           {"MTEXT", "AcDbMText"},
                                                           {"POINT", "AcDbPoint"},
                                                           {"POLYLINE", "AcDb2dPolyline"},
                                                           {"SOLID", "AcDbSolid"},
                                                           {"HATCH", "AcDbHatch"},
                                                           {"ELLIPSE", "AcDbEllipse"},
                                                           {"SPLINE", "AcDbSpline"},
                                                           {"DIMENSION", "AcDbDimension"},
                                                           {"LEADER", "AcDbLeader"},
                                                           {"3DFACE", "AcDbFace"},
                                                           {"XLINE", "AcDbXline"},
                                                           {"RAY", "AcDbRay"},
                                                           {"SHAPE", "AcDbShape"},
                                                           {"TRACE", "AcDbTrace"}};
  auto it = known.find(e.dxfType);
  return it == known.end() ? "AcDbEntity" : it->second;
}

std::string dxfName(const Entity& e) {
  return e.type == EntityType::Opaque ? e.dxfType : dxfName(e.type);
}

namespace {
bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x == y) continue;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// Compared in place: every entity read from a file and every change looks its layer up.
template <class Vec>
auto findByName(Vec& items, const std::string& name) -> decltype(&items[0]) {
  for (auto& item : items)
    if (sameIgnoringAsciiCase(item.name, name)) return &item;
  return nullptr;
}

bool hasLowerCase(const std::string& s) {
  for (char c : s)
    if (c >= 'a' && c <= 'z') return true;
  return false;
}
}  // namespace

Block* Drawing::findBlock(const std::string& name) {
  return findByName(blocks, name);
}
const Block* Drawing::findBlock(const std::string& name) const {
  return findByName(blocks, name);
}
Layer* Drawing::findLayer(const std::string& name) {
  return findByName(layers, name);
}
const Linetype* Drawing::findLinetype(const std::string& name) const {
  return findByName(linetypes, name);
}

Entity* Drawing::findEntity(const std::string& handle) {
  auto it = hasLowerCase(handle) ? entities.find(asciiUpper(handle)) : entities.find(handle);
  return it == entities.end() ? nullptr : &it->second;
}

const Entity* Drawing::findEntity(const std::string& handle) const {
  auto it = hasLowerCase(handle) ? entities.find(asciiUpper(handle)) : entities.find(handle);
  return it == entities.end() ? nullptr : &it->second;
}

std::string Drawing::lastEntity() const {
  const auto& list = blocks[0].entities;
  return list.empty() ? std::string() : list.back();
}

std::string Drawing::lastVisibleEntity() const {
  const auto& list = blocks[0].entities;
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (const Entity* e = findEntity(*it); e && visible(*e)) return *it;
  return {};
}

bool Drawing::visible(const Entity& e) const {
  const Layer* l = findByName(layers, e.layer);
  return !l || (l->on && !l->frozen);
}

bool Drawing::onLockedLayer(const Entity& e) const {
  const Layer* l = findByName(layers, e.layer);
  return l && l->locked;
}

Drawing newDrawing(const std::function<std::string()>& nextHandle) {
  Drawing d;
  d.blocks.push_back({"*Model_Space", nextHandle(), {}, {}, true});
  d.blocks.push_back({"*Paper_Space", nextHandle(), {}, {}, true});
  d.layers.push_back({"0", nextHandle()});
  d.linetypes.push_back({"ByBlock", nextHandle(), "", {}});
  d.linetypes.push_back({"ByLayer", nextHandle(), "", {}});
  d.linetypes.push_back({"Continuous", nextHandle(), "Solid line", {}});
  d.variables = {
      {"ATTDIA", Value::int16(0)},
      {"ATTREQ", Value::int16(1)},
      {"DIMASZ", Value(2.5)},
      {"DIMSCALE", Value(1.0)},
      {"DIMTXT", Value(2.5)},
      {"FILEDIA", Value::int16(1)},
      {"ORTHOMODE", Value::int16(0)},
      {"VIEWSIZE", Value(297.0)},
      {"SCREENSIZE", Value(std::vector<double>{1600.0, 900.0})},
      {"CLAYER", Value("0")},
      {"CMDECHO", Value::int16(1)},
      {"OSMODE", Value::int16(0)},
  };
  return d;
}

}  // namespace qarn::cad::sim
