// The simulated CAD's entities: every drawn object, attribute and block reference.
#include <cmath>

#include "cad/sim/entity_geometry.h"
#include "cad/sim/sim_object_base.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

// Anything that holds a handle looks itself up on every call: an erased entity or one taken back
// by an undo answers every call with an error, as in the CAD.
class EntityObj : public SimObject {
 public:
  EntityObj(std::shared_ptr<World> w, int doc, std::string handle)
      : SimObject(std::move(w), doc), handle_(std::move(handle)) {}

 protected:
  Entity& self() const {
    Entity* e = doc().drawing.findEntity(handle_);
    if (!e) fail("Object was erased (handle " + handle_ + ")");
    return *e;
  }
  void writable(const Entity& e) const {
    Layer* l = doc().drawing.findLayer(e.layer);
    if (l && l->locked) fail("On locked layer");
  }

  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
    Entity& e = self();
    Drawing& dr = doc().drawing;
    bool put = kind == CallKind::Put;
    if (m == "entityname" || m == "objectname") {
      if (put) readOnly(member);
      return Value(className(e));
    }
    if (m == "handle") {
      if (put) readOnly(member);
      return Value(e.handle);
    }
    if (m == "layer") {
      if (!put) return Value(e.layer);
      std::string name = a.text(0);
      Layer* l = dr.findLayer(name);
      if (!l) fail("Key not found: layer " + name);
      writable(e);
      e.layer = l->name;
      return {};
    }
    if (m == "color") {
      if (!put) return Value(e.color);
      int c = a.integer(0);
      if (c < 0 || c > 256) fail("Invalid colour " + std::to_string(c));
      writable(e);
      e.color = c;
      return {};
    }
    if (m == "linetype") {
      if (!put) return Value(e.linetype);
      std::string name = a.text(0);
      if (!dr.findLinetype(name)) fail("Key not found: linetype " + name);
      writable(e);
      e.linetype = name;
      return {};
    }
    if (put) return putTyped(e, m, member, a);
    // An entity read from a drawing file whose geometry the simulated CAD does not know cannot be
    // moved: refusing is better than pretending to move it.
    if (e.type == EntityType::Opaque &&
        (m == "move" || m == "rotate" || m == "mirror" || m == "arrayrectangular"))
      fail("The simulated CAD cannot transform an entity of kind " + e.dxfType);
    if (m == "erase" || m == "delete") {
      a.expect(0, 0);
      writable(e);
      w_->erase(doc(), e.handle);
      return {};
    }
    if (m == "copy") {
      a.expect(0, 0);
      return entityObject(w_, doc_, w_->copy(doc(), e));
    }
    if (m == "move") {
      a.expect(2, 2);
      Point3 p = a.point(0), q = a.point(1);
      writable(e);
      w_->transform(doc(), e, Affine::translation(q.x - p.x, q.y - p.y));
      return {};
    }
    if (m == "rotate") {
      a.expect(2, 2);
      Point3 base = a.point(0);
      double r = a.number(1);
      writable(e);
      w_->transform(doc(), e, Affine::rotation(base, r));
      return {};
    }
    if (m == "mirror") {
      a.expect(2, 2);
      Point3 p = a.point(0), q = a.point(1);
      if (p.x == q.x && p.y == q.y) fail("Invalid input: the mirror line has no length");
      std::string h = w_->copy(doc(), e);
      w_->transform(doc(), *dr.findEntity(h), Affine::mirror(p, q));
      return entityObject(w_, doc_, h);
    }
    if (m == "offset") {
      a.expect(1, 1);
      double dist = a.number(0);
      if (dist == 0) fail("Invalid input: offset distance 0");
      auto off = offsetEntity(e, dist);
      if (!off) fail("Invalid input: cannot offset by " + std::to_string(dist));
      Block* owner = dr.findBlock(e.owner);
      if (!owner) fail("Invalid owner");
      Entity& made = w_->add(doc(), *owner, *off);
      made.layer = e.layer;
      return objectArray(w_, doc_, {made.handle});
    }
    if (m == "explode") {
      a.expect(0, 0);
      auto parts = explodeEntity(dr, e);
      if (parts.empty()) fail("Invalid input: the entity cannot be exploded");
      for (const Entity& p : parts)
        if (p.type == EntityType::Opaque)
          fail("The simulated CAD cannot transform an entity of kind " + p.dxfType);
      Block* owner = dr.findBlock(e.owner);
      if (!owner) fail("Invalid owner");
      std::vector<std::string> handles;
      for (Entity& p : parts) {
        std::string layer = p.layer;
        Entity& made = w_->add(doc(), *owner, p);
        made.layer = layer;
        handles.push_back(made.handle);
      }
      return objectArray(w_, doc_, handles);
    }
    if (m == "update") {
      a.expect(0, 0);
      return {};
    }
    if (m == "getboundingbox") {
      a.expect(2, 2);
      Extents x = extentsOf(dr, e);
      if (x.empty()) fail("Invalid extents");
      a.out(0) = point(x.min);
      a.out(1) = point(x.max);
      return {};
    }
    if (m == "arrayrectangular") {
      a.expect(6, 6);
      int rows = a.integer(0), cols = a.integer(1), levels = a.integer(2);
      double dr_ = a.number(3), dc = a.number(4);
      if (rows < 1 || cols < 1 || levels < 1 || (rows * cols < 2 && levels < 2))
        fail("Invalid input: array of " + std::to_string(rows) + " x " + std::to_string(cols));
      std::vector<std::string> handles;
      for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
          if (r == 0 && c == 0) continue;
          std::string h = w_->copy(doc(), e);
          w_->transform(doc(), *dr.findEntity(h), Affine::translation(c * dc, r * dr_));
          handles.push_back(h);
        }
      return objectArray(w_, doc_, handles);
    }
    return getTyped(e, m, member, a);
  }

  Value getTyped(Entity& e, std::string_view m, std::string_view member, Args& a) {
    switch (e.type) {
      case EntityType::Polyline:
        if (m == "closed") return Value(e.closed);
        if (m == "coordinates") {
          std::vector<double> xy;
          for (const Vertex& v : e.vertices) {
            xy.push_back(v.x);
            xy.push_back(v.y);
          }
          return Value(xy);
        }
        if (m == "setbulge" || m == "getbulge") {
          bool set = m == "setbulge";
          a.expect(set ? 2 : 1, set ? 2 : 1);
          int i = a.integer(0);
          if (i < 0 || i >= static_cast<int>(e.vertices.size()))
            fail("Invalid index " + std::to_string(i));
          if (!set) return Value(e.vertices[i].bulge);
          double b = a.number(1);
          writable(e);
          e.vertices[i].bulge = b;
          return {};
        }
        break;
      case EntityType::Line:
        if (m == "startpoint") return point(e.p1);
        if (m == "endpoint") return point(e.p2);
        break;
      case EntityType::Circle:
      case EntityType::Arc:
        if (m == "center") return point(e.p1);
        if (m == "radius") return Value(e.radius);
        if (e.type == EntityType::Arc && m == "startangle") return Value(e.startAngle);
        if (e.type == EntityType::Arc && m == "endangle") return Value(e.endAngle);
        break;
      case EntityType::AlignedDim:
        if (m == "extline1point") return point(e.p1);
        if (m == "extline2point") return point(e.p2);
        if (m == "textposition") return point(e.p3);
        if (m == "measurement") return Value(std::hypot(e.p2.x - e.p1.x, e.p2.y - e.p1.y));
        break;
      case EntityType::AttributeDef:
      case EntityType::Attribute:
        if (m == "tagstring") return Value(e.tag);
        if (m == "textstring") return Value(e.text);
        if (m == "height") return Value(e.height);
        if (m == "insertionpoint") return point(e.p1);
        if (m == "textalignmentpoint") return point(e.p2);
        if (m == "alignment") return Value(e.alignment);
        if (m == "scalefactor") return Value(e.widthFactor);
        if (m == "invisible") return Value(e.invisible);
        if (m == "rotation") return Value(e.rotation);
        if (e.type == EntityType::AttributeDef && m == "promptstring") return Value(e.prompt);
        if (e.type == EntityType::AttributeDef && m == "mode")
          return Value((e.invisible ? 1 : 0) | (e.constant ? 2 : 0));
        break;
      case EntityType::BlockRef:
        if (m == "name" || m == "effectivename") return Value(e.blockName);
        if (m == "insertionpoint") return point(e.p1);
        if (m == "rotation") return Value(e.rotation);
        if (m == "xscalefactor") return Value(e.xScale);
        if (m == "yscalefactor") return Value(e.yScale);
        if (m == "zscalefactor") return Value(e.zScale);
        if (m == "hasattributes") return Value(!e.attributes.empty());
        if (m == "getattributes") {
          a.expect(0, 0);
          return objectArray(w_, doc_, e.attributes);
        }
        break;
      case EntityType::Opaque:
        break;
    }
    memberNotFound(member);
  }

  Value putTyped(Entity& e, std::string_view m, std::string_view member, Args& a) {
    writable(e);
    switch (e.type) {
      case EntityType::Polyline:
        if (m == "closed") {
          e.closed = a.boolean(0);
          return {};
        }
        break;
      case EntityType::AttributeDef:
      case EntityType::Attribute:
        if (m == "textstring") {
          e.text = a.text(0);
          return {};
        }
        if (m == "tagstring") {
          std::string tag = a.text(0);
          if (tag.empty() || tag.find(' ') != std::string::npos)
            fail("Invalid tag \"" + tag + "\"");
          e.tag = asciiUpper(tag);
          return {};
        }
        if (m == "height") {
          double h = a.number(0);
          if (h <= 0) fail("Invalid height");
          e.height = h;
          return {};
        }
        if (m == "insertionpoint") {
          e.p1 = a.point(0);
          if (e.alignment == 0) e.p2 = e.p1;
          return {};
        }
        if (m == "textalignmentpoint") {
          e.p2 = a.point(0);
          return {};
        }
        if (m == "alignment") {
          int al = a.integer(0);
          if (al < 0 || al > 14) fail("Invalid alignment " + std::to_string(al));
          e.alignment = al;
          return {};
        }
        if (m == "scalefactor") {
          double f = a.number(0);
          if (f <= 0) fail("Invalid width factor");
          e.widthFactor = f;
          return {};
        }
        if (m == "invisible") {
          e.invisible = a.boolean(0);
          return {};
        }
        if (m == "rotation") {
          e.rotation = a.number(0);
          return {};
        }
        break;
      case EntityType::BlockRef:
        if (m == "insertionpoint") {
          Point3 to = a.point(0);
          w_->transform(doc(), e, Affine::translation(to.x - e.p1.x, to.y - e.p1.y));
          e.p1.z = to.z;
          return {};
        }
        if (m == "rotation") {
          double r = a.number(0);
          w_->transform(doc(), e, Affine::rotation(e.p1, r - e.rotation));
          return {};
        }
        if (m == "xscalefactor" || m == "yscalefactor" || m == "zscalefactor") {
          double s = a.number(0);
          if (s == 0) fail("Invalid scale 0");
          (m[0] == 'x' ? e.xScale : m[0] == 'y' ? e.yScale : e.zScale) = s;
          return {};
        }
        break;
      default:
        break;
    }
    memberNotFound(member);
  }

 private:
  std::string handle_;
};

}  // namespace

DispatchPtr entityObject(const std::shared_ptr<World>& w, int doc, const std::string& handle) {
  return std::make_shared<EntityObj>(w, doc, handle);
}

}  // namespace qarn::cad::sim
