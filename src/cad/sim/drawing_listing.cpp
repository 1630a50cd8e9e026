#include "cad/sim/drawing_listing.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

#include "cad/sim/sim_cad.h"

namespace qarn::cad::sim {
namespace {

std::string num(double v) { return listingNumber(v); }

std::string pt(const Point3& p) {
  std::string out = "(";
  out += num(p.x);
  out += ", ";
  out += num(p.y);
  if (p.z != 0) out += ", " + num(p.z);
  return out + ")";
}

// A text in double quotes, with quotes, backslashes and control characters escaped so a line
// stays one line.
std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string value(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Text: return quoted(v.toText());
    case Value::Kind::Double: return num(v.toDouble());
    case Value::Kind::Int16:
    case Value::Kind::Int:
    case Value::Kind::Bool: return std::to_string(v.toInt());
    default: break;
  }
  if (v.kind() == Value::Kind::DoubleArray) {
    std::string out = "[";
    for (double d : v.doubles()) out += (out.size() > 1 ? ", " : "") + num(d);
    return out + "]";
  }
  return v.describe();
}

// The fields an attribute and its definition share, each named.
std::string textFields(const Entity& e) {
  std::ostringstream o;
  o << " tag=" << quoted(e.tag);
  if (e.type == EntityType::AttributeDef) o << " prompt=" << quoted(e.prompt);
  o << " text=" << quoted(e.text) << " height=" << num(e.height) << " width=" << num(e.widthFactor)
    << " rotation=" << num(e.rotation) << " alignment=" << e.alignment << " at=" << pt(e.p1)
    << " align-at=" << pt(e.p2) << " invisible=" << e.invisible;
  if (e.constant) o << " constant=1";
  return o.str();
}

std::string entityLine(const Entity& e) {
  std::ostringstream o;
  o << dxfName(e) << " layer=" << quoted(e.layer) << " color=" << e.color
    << " linetype=" << quoted(e.linetype);
  switch (e.type) {
    case EntityType::Polyline:
      o << (e.closed ? " closed" : " open");
      for (const Vertex& v : e.vertices) {
        o << " (" << num(v.x) << ", " << num(v.y);
        if (v.bulge != 0) o << " bulge " << num(v.bulge);
        o << ")";
      }
      break;
    case EntityType::Line: o << " " << pt(e.p1) << " " << pt(e.p2); break;
    case EntityType::Circle: o << " centre=" << pt(e.p1) << " r=" << num(e.radius); break;
    case EntityType::Arc:
      o << " centre=" << pt(e.p1) << " r=" << num(e.radius) << " from=" << num(e.startAngle)
        << " to=" << num(e.endAngle);
      break;
    case EntityType::AttributeDef:
    case EntityType::Attribute: o << textFields(e); break;
    case EntityType::AlignedDim: o << " " << pt(e.p1) << " " << pt(e.p2) << " text=" << pt(e.p3); break;
    case EntityType::BlockRef:
      o << " " << quoted(e.blockName) << " at=" << pt(e.p1) << " scale=(" << num(e.xScale) << ", "
        << num(e.yScale) << ", " << num(e.zScale) << ") rotation=" << num(e.rotation);
      break;
    case EntityType::Opaque: o << " " << quoted(e.dxfType); break;
  }
  return o.str();
}

void entities(std::ostringstream& o, const Drawing& d, const std::vector<std::string>& handles,
              const std::string& indent, std::map<std::string, std::size_t>* numbers) {
  for (std::size_t i = 0; i < handles.size(); ++i) {
    const Entity* e = d.findEntity(handles[i]);
    if (!e) {
      o << indent << i << " MISSING\n";
      continue;
    }
    if (numbers) (*numbers)[e->handle] = i;
    o << indent << i << " " << entityLine(*e) << "\n";
    for (const auto& a : e->attributes)
      if (const Entity* att = d.findEntity(a)) o << indent << "  " << entityLine(*att) << "\n";
  }
}

}  // namespace

std::string listingNumber(double v) {
  double r = std::round(v * 1e6) / 1e6;
  if (r == 0) r = 0;  // no "-0"
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", r);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string drawingListing(const SimCad& cad, const std::vector<std::string>& messages) {
  const Drawing& d = cad.drawing();
  std::ostringstream o;
  o << "[variables]\n";
  for (const auto& [name, v] : d.variables) o << name << " = " << value(v) << "\n";
  o << "[layers]\n";
  for (const Layer& l : d.layers)
    o << quoted(l.name) << " color=" << l.color << " linetype=" << quoted(l.linetype)
      << " on=" << l.on << " frozen=" << l.frozen << " locked=" << l.locked
      << " plot=" << l.plottable << "\n";
  o << "[linetypes]\n";
  for (const Linetype& t : d.linetypes) {
    o << quoted(t.name) << " " << quoted(t.description);
    for (double p : t.pattern) o << " " << num(p);
    o << "\n";
  }
  o << "[blocks]\n";
  for (const Block& b : d.blocks) {
    if (b.isLayout) continue;
    o << "block " << quoted(b.name) << " base=" << pt(b.origin) << "\n";
    entities(o, d, b.entities, "  ", nullptr);
  }
  o << "[model space]\n";
  std::map<std::string, std::size_t> numbers;
  entities(o, d, d.modelSpace().entities, "", &numbers);
  o << "[groups]\n";
  for (const Group& g : d.groups) {
    o << (g.anonymous ? "*" : quoted(g.name));
    for (const auto& m : g.members) {
      auto it = numbers.find(m);
      o << " " << (it == numbers.end() ? "?" : std::to_string(it->second));
    }
    o << "\n";
  }
  o << "[commands]\n";
  for (const auto& c : cad.transcript()) o << quoted(c) << "\n";
  o << "[variables written]\n";
  for (const auto& w : cad.variableWrites()) o << w << "\n";
  o << "[prompts]\n";
  for (const auto& p : cad.prompts()) o << quoted(p) << "\n";
  // The calls whose count is a rule of their own: a regeneration at the end, one undo group.
  o << "[calls]\n";
  for (const char* m : {"Regen", "StartUndoMark", "EndUndoMark"})
    o << m << " = " << cad.callCount(m) << "\n";
  // An attribute changed after insertion shows only after its Update; listed where it was called.
  if (long updates = cad.callCount("Update")) o << "Update = " << updates << "\n";
  o << "open undo groups = " << cad.openUndoGroups() << "\n";
  o << "[messages]\n";
  for (const auto& m : messages) o << quoted(m) << "\n";
  return o.str();
}

}  // namespace qarn::cad::sim
