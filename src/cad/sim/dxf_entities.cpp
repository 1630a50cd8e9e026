// The DXF reader's entities: each record made an entity of the simulated CAD, or an opaque one
// under its DXF name; references with their attributes, polylines with their vertices.
#include "cad/sim/dxf_reader_impl.h"
#include "cad/text.h"

namespace qarn::cad::sim::dxf {

void Reader::keepHandle(Entity& e, std::size_t at) {
  if (e.handle.empty()) return;
  if (!used_.insert(e.handle).second) fault(at, "handle " + e.handle + " is used twice");
}

std::vector<DxfField> Reader::rawFields(std::size_t begin, std::size_t end) {
  std::vector<DxfField> out;
  bool inGroup = false, ownerSeen = false, subclassSeen = false, linked = false;
  for (std::size_t k = begin + 1; k < end; ++k) {
    const Pair& q = p_[k];
    // Links to objects the saved file does not hold (reactors, extension dictionaries).
    if (q.code == 102) {
      inGroup = !q.value.empty() && q.value.front() == '{';
      linked = true;
      continue;
    }
    if (inGroup) continue;
    if (q.code == 5) continue;  // the handle: the entity's own, written anew
    if (q.code == 330 && !ownerSeen && !subclassSeen) {
      ownerSeen = true;  // the owner: whatever holds the entity when it is written
      continue;
    }
    if (q.code == 100) subclassSeen = true;
    out.push_back(
        {q.code, kindOf(q.code) == ValueKind::Text ? text(q) : std::string(trimBlanks(q.value))});
  }
  if (linked) ++droppedLinks_;
  return out;
}

Entity Reader::entityRecord(std::size_t begin, std::size_t end, bool& paper) {
  static const int kH[15] = {0, 1, 2, 3, 4, 5, 0, 1, 2, 0, 1, 2, 0, 1, 2};
  static const int kV[15] = {0, 0, 0, 0, 0, 0, 3, 3, 3, 2, 2, 2, 1, 1, 1};
  Entity e;
  std::string kind(p_[begin].value);
  e.dxfType = kind;
  int h = 0, v = 0;
  long dimType = -1, columns = 1, rows = 1;
  bool inGroup = false, extraData = false;
  Vertex* vertex = nullptr;
  for (std::size_t k = begin + 1; k < end; ++k) {
    const Pair& q = p_[k];
    if (q.code == 102) {
      inGroup = !q.value.empty() && q.value.front() == '{';
      extraData = true;
      continue;
    }
    if (inGroup || q.code >= 1000) {
      extraData = true;
      continue;  // application data
    }
    if (q.code == 101) break;  // an embedded object: not this entity's fields
    switch (q.code) {
      case 5:
        e.handle = asciiUpper(trimBlanks(q.value));
        continue;
      case 8:
        e.layer = text(q);
        continue;
      case 6:
        e.linetype = text(q);
        continue;
      case 62:
        e.color = static_cast<int>(integer(q));
        continue;
      case 67:
        paper = integer(q) != 0;
        continue;
      default:
        break;
    }
    if (kind == "LWPOLYLINE") {
      if (q.code == 10) {
        e.vertices.push_back({real(q), 0, 0});
        vertex = &e.vertices.back();
      } else if (q.code == 20 && vertex) {
        vertex->y = real(q);
      } else if (q.code == 42 && vertex) {
        vertex->bulge = real(q);
      } else if (q.code == 70) {
        e.closed = (integer(q) & 1) != 0;
      }
      continue;
    }
    switch (q.code) {
      case 10:
        e.p1.x = real(q);
        break;
      case 20:
        e.p1.y = real(q);
        break;
      case 30:
        e.p1.z = real(q);
        break;
      case 11:
        e.p2.x = real(q);
        break;
      case 21:
        e.p2.y = real(q);
        break;
      case 31:
        e.p2.z = real(q);
        break;
      case 13:
        e.p3.x = real(q);
        break;  // dimension: first measured point, kept in p3 for now
      case 23:
        e.p3.y = real(q);
        break;
      case 33:
        e.p3.z = real(q);
        break;
      case 14:
        e.vertices.resize(1), e.vertices[0].x = real(q);
        break;  // second measured point
      case 24:
        e.vertices.resize(1), e.vertices[0].y = real(q);
        break;
      case 40:
        (kind == "CIRCLE" || kind == "ARC" ? e.radius : e.height) = real(q);
        break;
      case 41:
        (kind == "INSERT" ? e.xScale : e.widthFactor) = real(q);
        break;
      case 42:
        e.yScale = real(q);
        break;
      case 43:
        e.zScale = real(q);
        break;
      case 50:
        (kind == "ARC" ? e.startAngle : e.rotation) = radians(real(q));
        break;
      case 51:
        e.endAngle = radians(real(q));
        break;
      case 1:
        e.text = text(q);
        break;
      case 2:
        (kind == "INSERT" || kind == "DIMENSION" ? e.blockName : e.tag) = text(q);
        break;
      case 3:
        if (kind == "ATTDEF") e.prompt = text(q);
        break;
      case 70:
        if (kind == "DIMENSION")
          dimType = integer(q);
        else if (kind == "INSERT")
          columns = integer(q);
        else if (kind == "ATTDEF" || kind == "ATTRIB") {
          e.invisible = (integer(q) & 1) != 0;
          e.constant = (integer(q) & 2) != 0;
        }
        break;
      case 71:
        if (kind == "INSERT") rows = integer(q);
        break;
      case 72:
        h = static_cast<int>(integer(q));
        break;
      case 74:
        v = static_cast<int>(integer(q));
        break;
      default:
        break;
    }
  }
  auto opaque = [&] {
    Entity o;
    o.type = EntityType::Opaque;
    o.dxfType = kind;
    o.handle = e.handle;
    o.layer = e.layer;
    o.linetype = e.linetype;
    o.color = e.color;
    o.p1 = e.p1;
    // The block it shows: a MINSERT's, a dimension's picture, a table's.
    if (kind != "INSERT" && kind != "DIMENSION")
      o.blockName = kind == "ACAD_TABLE" || kind.ends_with("DIMENSION") ? e.tag : "";
    else
      o.blockName = e.blockName;
    o.fields = rawFields(begin, end);
    return o;
  };
  if (kind == "LINE") {
    e.type = EntityType::Line;
  } else if (kind == "CIRCLE") {
    e.type = EntityType::Circle;
  } else if (kind == "ARC") {
    e.type = EntityType::Arc;
  } else if (kind == "LWPOLYLINE") {
    e.type = EntityType::Polyline;
  } else if (kind == "ATTDEF" || kind == "ATTRIB") {
    e.type = kind == "ATTDEF" ? EntityType::AttributeDef : EntityType::Attribute;
    e.alignment = -1;
    for (int al = 0; al < 15; ++al)
      if (kH[al] == h && kV[al] == v) e.alignment = al;
    if (e.alignment < 0) e.alignment = 0;
    if (e.alignment == 0) e.p2 = e.p1;
  } else if (kind == "DIMENSION" && (dimType & 7) == 1 && e.vertices.size() == 1) {
    // An aligned dimension: the two measured points and the text point; its picture block is
    // made again whenever the drawing is written.
    Entity dim = opaque();
    dim.type = EntityType::AlignedDim;
    dim.dxfType.clear();
    dim.blockName.clear();
    dim.fields.clear();
    dim.p1 = e.p3;
    dim.p2 = {e.vertices[0].x, e.vertices[0].y, 0};
    dim.p3 = e.p2;
    return dim;
  } else if (kind == "INSERT" && columns <= 1 && rows <= 1) {
    e.type = EntityType::BlockRef;
  } else {
    return opaque();
  }
  e.dxfType.clear();
  if (e.type != EntityType::BlockRef) e.blockName.clear();
  if (extraData) ++droppedData_;
  return e;
}

void Reader::entityList(std::size_t& i, const std::string& stop, Block* owner, bool modelSection) {
  while (i < p_.size()) {
    if (p_[i].code != 0) fault(i, "group code 0 expected here");
    std::string kind(p_[i].value);
    if (kind == stop) return;
    if (kind == "EOF" || kind == "SECTION" || kind == "ENDSEC" || kind == "ENDBLK" ||
        kind == "BLOCK")
      fault(i, kind + " inside a list of entities");
    if (kind == "SEQEND" || kind == "ATTRIB" || kind == "VERTEX")
      fault(i, kind + " without the INSERT or POLYLINE it belongs to");
    std::size_t begin = i, end = recordEnd(i);
    bool paper = false;
    Entity e = entityRecord(begin, end, paper);
    i = end;
    keepHandle(e, begin);
    // The entities that belong to this one: attributes of a reference, vertices of a polyline.
    std::vector<Entity> owned;
    if (kind == "INSERT" || kind == "POLYLINE") {
      std::string part = kind == "INSERT" ? "ATTRIB" : "VERTEX";
      while (i < p_.size() && p_[i].code == 0 && p_[i].value == part) {
        std::size_t b = i, en = recordEnd(i);
        if (e.type == EntityType::BlockRef) {
          bool ignored = false;
          Entity a = entityRecord(b, en, ignored);
          keepHandle(a, b);
          owned.push_back(std::move(a));
        } else {
          e.parts.push_back({part, rawFields(b, en)});  // kept with the entity, as read
        }
        i = en;
      }
      if (is(i, 0, "SEQEND")) {
        if (e.type == EntityType::Opaque) e.parts.push_back({"SEQEND", rawFields(i, recordEnd(i))});
        i = recordEnd(i);
      } else if (!owned.empty() || !e.parts.empty() || kind == "POLYLINE") {
        fault(i, "SEQEND expected after the " + part + " entities of " + kind);
      }
    }
    Block& into = modelSection ? spaceBlock(paper) : *owner;
    e.owner = into.name;
    if (e.handle.empty()) {
      e.handle = "?" + std::to_string(unhandled_.size());
      unhandled_.push_back(e.handle);
    }
    if (e.type == EntityType::BlockRef) inserts_.emplace_back(e.handle, begin);
    for (Entity& a : owned) {
      a.owner = e.handle;  // renamed with the reference when it had no handle of its own
      if (a.handle.empty()) {
        a.handle = "?" + std::to_string(unhandled_.size());
        unhandled_.push_back(a.handle);
      }
      e.attributes.push_back(a.handle);
      std::string key = a.handle;
      d_.entities.insert_or_assign(std::move(key), std::move(a));
    }
    into.entities.push_back(e.handle);
    std::string key = e.handle;
    d_.entities.insert_or_assign(std::move(key), std::move(e));
  }
  fault(i, "the file ends inside a list of entities");
}

}  // namespace qarn::cad::sim::dxf
