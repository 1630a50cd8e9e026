#include "cad/sim/sim_objects.h"

#include <cmath>

#include "cad/sim/entity_geometry.h"
#include "cad/sim/sim_args.h"
#include "cad/sim/sim_world.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

Value point(Point3 p) {
  return Value(std::vector<double>{p.x, p.y, p.z});
}

[[noreturn]] void readOnly(std::string_view member) {
  throw AutomationError(status::kMemberNotFound, "Property is read-only: " + std::string(member));
}

// Base of every object: counts the call, fails on demand, then dispatches by lower-case name.
class SimObject : public Dispatch, public std::enable_shared_from_this<SimObject> {
 public:
  SimObject(std::shared_ptr<World> w, int doc) : w_(std::move(w)), doc_(doc) {}
  Value invoke(std::string_view member, CallKind kind, std::span<Value> args) final {
    w_->enter(member);
    Args a(args, member);
    return dispatch(lower(member), member, kind, a);
  }

 protected:
  virtual Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) = 0;
  DocState& doc() const { return w_->doc(doc_); }
  std::shared_ptr<World> w_;
  int doc_;
};

DispatchPtr entityObject(const std::shared_ptr<World>& w, int doc, const std::string& handle);
DispatchPtr blockObject(const std::shared_ptr<World>& w, int doc, const std::string& handle);

Value objectArray(const std::shared_ptr<World>& w, int doc,
                  const std::vector<std::string>& handles) {
  std::vector<Value> out;
  for (const auto& h : handles)
    out.emplace_back(entityObject(w, doc, h));
  return Value(std::move(out));
}

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

  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    Entity& e = self();
    Drawing& dr = doc().drawing;
    bool put = kind == CallKind::Put;
    if (m == "entityname" || m == "objectname") {
      if (put) readOnly(member);
      return Value(className(e.type));
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

  Value getTyped(Entity& e, const std::string& m, std::string_view member, Args& a) {
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
    }
    memberNotFound(member);
  }

  Value putTyped(Entity& e, const std::string& m, std::string_view member, Args& a) {
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

// Model space or a block definition.
class BlockObj : public SimObject {
 public:
  BlockObj(std::shared_ptr<World> w, int doc, std::string handle)
      : SimObject(std::move(w), doc), handle_(std::move(handle)) {}

 protected:
  Block& self() const {
    for (Block& b : doc().drawing.blocks)
      if (b.handle == handle_) return b;
    fail("Object was erased (block " + handle_ + ")");
  }

  Entity base(EntityType t) const {
    Entity e;
    e.type = t;
    return e;
  }

  Value made(Entity& e) { return entityObject(w_, doc_, e.handle); }

  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    Block& b = self();
    DocState& d = doc();
    if (kind == CallKind::Put) {
      if (m == "name" && !b.isLayout) {
        std::string n = a.text(0);
        if (n.empty() || d.drawing.findBlock(n)) fail("Duplicate or invalid block name " + n);
        b.name = n;
        return {};
      }
      memberNotFound(member);
    }
    if (m == "name") return Value(b.name);
    if (m == "handle") return Value(b.handle);
    if (m == "count") return Value(static_cast<int>(b.entities.size()));
    if (m == "islayout") return Value(b.isLayout);
    if (m == "isxref") return Value(false);
    if (m == "origin") return point(b.origin);
    if (m == "item") {
      a.expect(1, 1);
      int i = a.integer(0);
      if (i < 0 || i >= static_cast<int>(b.entities.size()))
        fail("Invalid index " + std::to_string(i));
      return entityObject(w_, doc_, b.entities[i]);
    }
    if (m == "addlightweightpolyline") {
      a.expect(1, 1);
      const Value& v = a.at(0);
      if (v.kind() != Value::Kind::DoubleArray)
        fail("Invalid argument: coordinates must be an array of doubles");
      const auto& xy = v.doubles();
      if (xy.size() < 4 || xy.size() % 2)
        fail("Invalid argument: " + std::to_string(xy.size()) + " coordinates");
      Entity e = base(EntityType::Polyline);
      for (std::size_t i = 0; i < xy.size(); i += 2)
        e.vertices.push_back({xy[i], xy[i + 1], 0});
      return made(w_->add(d, b, e));
    }
    if (m == "addline") {
      a.expect(2, 2);
      Entity e = base(EntityType::Line);
      e.p1 = a.point(0);
      e.p2 = a.point(1);
      return made(w_->add(d, b, e));
    }
    if (m == "addcircle") {
      a.expect(2, 2);
      Entity e = base(EntityType::Circle);
      e.p1 = a.point(0);
      e.radius = a.number(1);
      if (e.radius <= 0) fail("Invalid input: radius must be positive");
      return made(w_->add(d, b, e));
    }
    if (m == "addarc") {
      a.expect(4, 4);
      Entity e = base(EntityType::Arc);
      e.p1 = a.point(0);
      e.radius = a.number(1);
      e.startAngle = a.number(2);
      e.endAngle = a.number(3);
      if (e.radius <= 0) fail("Invalid input: radius must be positive");
      return made(w_->add(d, b, e));
    }
    if (m == "addattribute") {
      a.expect(6, 6);
      Entity e = base(EntityType::AttributeDef);
      e.height = a.number(0);
      int mode = a.integer(1);
      e.prompt = a.text(2);
      e.p1 = a.point(3);
      e.p2 = e.p1;
      std::string tag = a.text(4);
      e.text = a.text(5);
      if (e.height <= 0) fail("Invalid input: text height must be positive");
      if (mode < 0 || mode > 15) fail("Invalid attribute mode " + std::to_string(mode));
      if (tag.empty() || tag.find(' ') != std::string::npos) fail("Invalid tag \"" + tag + "\"");
      e.tag = asciiUpper(tag);
      e.invisible = mode & 1;
      e.constant = mode & 2;
      return made(w_->add(d, b, e));
    }
    if (m == "adddimaligned") {
      a.expect(3, 3);
      Entity e = base(EntityType::AlignedDim);
      e.p1 = a.point(0);
      e.p2 = a.point(1);
      e.p3 = a.point(2);
      if (e.p1.x == e.p2.x && e.p1.y == e.p2.y) fail("Invalid input: the dimension has no length");
      return made(w_->add(d, b, e));
    }
    if (m == "insertblock") {
      a.expect(6, 7);
      Entity e = base(EntityType::BlockRef);
      e.p1 = a.point(0);
      std::string name = a.text(1);
      e.xScale = a.number(2);
      e.yScale = a.number(3);
      e.zScale = a.number(4);
      e.rotation = a.number(5);
      const Block* def = d.drawing.findBlock(name);
      if (!def || def->isLayout) fail("Key not found: block " + name);
      if (def->handle == b.handle) fail("Self-reference: block " + name);
      if (e.xScale == 0 || e.yScale == 0 || e.zScale == 0) fail("Invalid input: scale 0");
      return made(w_->insertReference(d, b, def->name, e));
    }
    memberNotFound(member);
  }

 private:
  std::string handle_;
};

class LayerObj : public SimObject {
 public:
  LayerObj(std::shared_ptr<World> w, int doc, std::string handle)
      : SimObject(std::move(w), doc), handle_(std::move(handle)) {}

 protected:
  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    Drawing& dr = doc().drawing;
    Layer* l = nullptr;
    for (Layer& x : dr.layers)
      if (x.handle == handle_) l = &x;
    if (!l) fail("Object was erased (layer " + handle_ + ")");
    bool put = kind == CallKind::Put;
    bool current = asciiUpper(dr.variables["CLAYER"].toText()) == asciiUpper(l->name);
    if (m == "name") {
      if (!put) return Value(l->name);
      if (l->name == "0") fail("Cannot rename layer 0");
      std::string n = a.text(0);
      if (n.empty() || dr.findLayer(n)) fail("Duplicate or invalid layer name " + n);
      l->name = n;
      return {};
    }
    if (m == "handle") {
      if (put) readOnly(member);
      return Value(l->handle);
    }
    if (m == "layeron") {
      if (!put) return Value(l->on);
      l->on = a.boolean(0);
      return {};
    }
    if (m == "freeze") {
      if (!put) return Value(l->frozen);
      bool f = a.boolean(0);
      if (f && current) fail("Cannot freeze the current layer");
      l->frozen = f;
      return {};
    }
    if (m == "lock") {
      if (!put) return Value(l->locked);
      l->locked = a.boolean(0);
      return {};
    }
    if (m == "plottable") {
      if (!put) return Value(l->plottable);
      l->plottable = a.boolean(0);
      return {};
    }
    if (m == "color") {
      if (!put) return Value(l->color);
      int c = a.integer(0);
      if (c < 1 || c > 255) fail("Invalid layer colour " + std::to_string(c));
      l->color = c;
      return {};
    }
    if (m == "linetype") {
      if (!put) return Value(l->linetype);
      std::string n = a.text(0);
      const Linetype* lt = dr.findLinetype(n);
      if (!lt) fail("Key not found: linetype " + n);
      if (asciiUpper(n) == "BYLAYER" || asciiUpper(n) == "BYBLOCK")
        fail("Invalid linetype for a layer");
      l->linetype = lt->name;
      return {};
    }
    memberNotFound(member);
  }

 private:
  std::string handle_;
};

class NamedObj : public SimObject {
 public:
  enum class Table { Linetypes, Groups };
  NamedObj(std::shared_ptr<World> w, int doc, Table t, std::string handle)
      : SimObject(std::move(w), doc), table_(t), handle_(std::move(handle)) {}

 protected:
  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    Drawing& dr = doc().drawing;
    if (table_ == Table::Linetypes) {
      for (const Linetype& lt : dr.linetypes)
        if (lt.handle == handle_) {
          if (kind == CallKind::Put) readOnly(member);
          if (m == "name") return Value(lt.name);
          if (m == "handle") return Value(lt.handle);
          if (m == "description") return Value(lt.description);
          memberNotFound(member);
        }
    } else {
      for (Group& g : dr.groups)
        if (g.handle == handle_) {
          if (kind == CallKind::Put) readOnly(member);
          if (m == "name") return Value(g.name);
          if (m == "handle") return Value(g.handle);
          if (m == "count") return Value(static_cast<int>(g.members.size()));
          if (m == "appenditems") {
            a.expect(1, 1);
            for (const Value& v : a.at(0).values()) {
              auto obj = Object(v);
              g.members.push_back(obj.get("Handle").toText());
            }
            return {};
          }
          memberNotFound(member);
        }
    }
    fail("Object was erased (" + handle_ + ")");
  }

 private:
  Table table_;
  std::string handle_;
};

class CollectionObj : public SimObject {
 public:
  enum class Kind { Blocks, Layers, Linetypes, Groups };
  CollectionObj(std::shared_ptr<World> w, int doc, Kind k)
      : SimObject(std::move(w), doc), kind_(k) {}

 protected:
  struct Item {
    std::string handle, name;
  };
  // The items in order: every table entry has a handle and a name.
  std::vector<Item> items() const {
    std::vector<Item> out;
    auto take = [&out](const auto& table) {
      for (const auto& x : table)
        out.push_back({x.handle, x.name});
    };
    Drawing& dr = doc().drawing;
    switch (kind_) {
      case Kind::Blocks:
        take(dr.blocks);
        break;
      case Kind::Layers:
        take(dr.layers);
        break;
      case Kind::Linetypes:
        take(dr.linetypes);
        break;
      case Kind::Groups:
        take(dr.groups);
        break;
    }
    return out;
  }
  Value object(const std::string& handle) const {
    switch (kind_) {
      case Kind::Blocks:
        return blockObject(w_, doc_, handle);
      case Kind::Layers:
        return Value(DispatchPtr(std::make_shared<LayerObj>(w_, doc_, handle)));
      case Kind::Linetypes:
        return Value(
            DispatchPtr(std::make_shared<NamedObj>(w_, doc_, NamedObj::Table::Linetypes, handle)));
      case Kind::Groups:
        return Value(
            DispatchPtr(std::make_shared<NamedObj>(w_, doc_, NamedObj::Table::Groups, handle)));
    }
    return {};
  }
  static bool validName(const std::string& n) {
    if (n.empty()) return false;
    for (char c : n)
      if (std::string_view("<>/\\\":;?*|,=`").find(c) != std::string_view::npos) return false;
    return true;
  }

  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    auto all = items();
    if (m == "count") return Value(static_cast<int>(all.size()));
    if (m == "item") {
      a.expect(1, 1);
      const Value& key = a.at(0);
      if (key.kind() == Value::Kind::Text) {
        std::string wanted = asciiUpper(key.toText());
        for (const Item& i : all)
          if (asciiUpper(i.name) == wanted) return object(i.handle);
        fail("Key not found: " + key.toText());
      }
      int i = a.integer(0);
      if (i < 0 || i >= static_cast<int>(all.size())) fail("Invalid index " + std::to_string(i));
      return object(all[i].handle);
    }
    if (m == "add") {
      Drawing& dr = doc().drawing;
      if (kind_ == Kind::Linetypes) memberNotFound(member);
      if (kind_ == Kind::Blocks) {
        a.expect(2, 2);
        Point3 origin = a.point(0);
        std::string name = a.text(1);
        if (!validName(name)) fail("Invalid block name \"" + name + "\"");
        if (Block* existing = dr.findBlock(name)) {
          if (existing->isLayout) fail("Invalid block name \"" + name + "\"");
          return blockObject(w_, doc_, existing->handle);
        }
        dr.blocks.push_back({name, w_->newHandle(), origin, {}, false});
        return blockObject(w_, doc_, dr.blocks.back().handle);
      }
      a.expect(1, 1);
      std::string name = a.text(0);
      if (!validName(name)) fail("Invalid name \"" + name + "\"");
      if (kind_ == Kind::Layers) {
        if (Layer* existing = dr.findLayer(name)) return object(existing->handle);
        Layer l;
        l.name = name;
        l.handle = w_->newHandle();
        dr.layers.push_back(l);
        return object(l.handle);
      }
      for (Group& g : dr.groups)
        if (asciiUpper(g.name) == asciiUpper(name)) fail("Duplicate group name " + name);
      dr.groups.push_back({name, w_->newHandle(), {}});
      return object(dr.groups.back().handle);
    }
    memberNotFound(member);
  }

 private:
  Kind kind_;
};

class UtilityObj : public SimObject {
 public:
  using SimObject::SimObject;

 protected:
  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    if (m == "getentity") {
      a.expect(2, 3);
      std::string prompt = a.given(2) ? a.text(2) : "";
      OperatorInput in = w_->take(prompt);
      if (in.kind != OperatorInput::Kind::Entity) fail("The user picked nothing");
      Entity* e = doc().drawing.findEntity(in.handle);
      if (!e) fail("The user picked nothing (no entity " + in.handle + ")");
      a.out(0) = entityObject(w_, doc_, e->handle);
      a.out(1) = point(in.point);
      return {};
    }
    if (m == "getpoint") {
      a.expect(0, 2);
      if (a.given(0) && !a.at(0).isEmpty()) a.point(0);
      std::string prompt = a.given(1) ? a.text(1) : "";
      OperatorInput in = w_->take(prompt);
      if (in.kind != OperatorInput::Kind::Point) fail("User input is a keyword or empty");
      return point(in.point);
    }
    if (m == "getdistance") {
      a.expect(0, 2);
      std::optional<Point3> base;
      if (a.given(0) && !a.at(0).isEmpty()) base = a.point(0);
      std::string prompt = a.given(1) ? a.text(1) : "";
      OperatorInput in = w_->take(prompt);
      if (in.kind == OperatorInput::Kind::Distance) return Value(in.distance);
      if (in.kind == OperatorInput::Kind::Point && base)
        return Value(std::hypot(in.point.x - base->x, in.point.y - base->y));
      fail("User input is a keyword or empty");
    }
    if (m == "polarpoint") {
      a.expect(3, 3);
      Point3 p = a.point(0);
      double angle = a.number(1), dist = a.number(2);
      return point({p.x + dist * std::cos(angle), p.y + dist * std::sin(angle), p.z});
    }
    if (m == "prompt") {
      a.expect(1, 1);
      w_->prompts.push_back(a.text(0));
      return {};
    }
    memberNotFound(member);
  }
};

bool wildcardMatch(std::string_view pattern, std::string_view text) {
  // '*' any run, '?' one character, ',' alternatives; ASCII case ignored.
  std::size_t start = 0;
  while (start <= pattern.size()) {
    std::size_t comma = pattern.find(',', start);
    std::string_view alt = pattern.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    std::string p = asciiUpper(alt), t = asciiUpper(text);
    std::size_t pi = 0, ti = 0, star = std::string::npos, mark = 0;
    while (ti < t.size()) {
      if (pi < p.size() && (p[pi] == '?' || p[pi] == t[ti])) {
        ++pi;
        ++ti;
      } else if (pi < p.size() && p[pi] == '*') {
        star = pi++;
        mark = ti;
      } else if (star != std::string::npos) {
        pi = star + 1;
        ti = ++mark;
      } else {
        break;
      }
    }
    while (pi < p.size() && p[pi] == '*')
      ++pi;
    if (ti == t.size() && pi == p.size()) return true;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return false;
}

class SelectionSetObj : public SimObject {
 public:
  using SimObject::SimObject;

 protected:
  // The filter as (code, pattern) pairs; the codes the simulated CAD understands are 0 (entity
  // type), 2 (block name) and 8 (layer).
  std::vector<std::pair<int, std::string>> filter(Args& a, std::size_t codes) const {
    std::vector<std::pair<int, std::string>> f;
    if (!a.given(codes)) return f;
    if (!a.given(codes + 1)) fail("Invalid argument: filter codes without filter values");
    const Value& c = a.at(codes);
    const Value& v = a.at(codes + 1);
    if (c.kind() != Value::Kind::Int16Array)
      fail("Invalid argument: filter codes must be 16-bit integers");
    if (v.kind() != Value::Kind::ValueArray)
      fail("Invalid argument: filter values must be variants");
    if (c.int16s().size() != v.values().size()) fail("Invalid argument: filter lengths differ");
    for (std::size_t i = 0; i < c.int16s().size(); ++i) {
      int code = c.int16s()[i];
      if (code != 0 && code != 2 && code != 8)
        fail("The simulated CAD does not filter on group code " + std::to_string(code));
      f.emplace_back(code, v.values()[i].toText());
    }
    return f;
  }

  bool passes(const Entity& e, const std::vector<std::pair<int, std::string>>& f) const {
    for (const auto& [code, pattern] : f) {
      if (code == 0 && !wildcardMatch(pattern, dxfName(e.type))) return false;
      if (code == 8 && !wildcardMatch(pattern, e.layer)) return false;
      if (code == 2 && (e.type != EntityType::BlockRef || !wildcardMatch(pattern, e.blockName)))
        return false;
    }
    return true;
  }

  void addSelected(const std::string& handle) {
    auto& sel = doc().selection;
    for (const auto& h : sel)
      if (h == handle) return;
    sel.push_back(handle);
  }

  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    DocState& d = doc();
    // Entities erased since they were selected drop out, as in the CAD.
    std::erase_if(d.selection, [&](const std::string& h) { return !d.drawing.findEntity(h); });
    if (m == "count") return Value(static_cast<int>(d.selection.size()));
    if (m == "name") return Value("ACTIVESELECTIONSET");
    if (m == "clear") {
      a.expect(0, 0);
      d.selection.clear();
      return {};
    }
    if (m == "item") {
      a.expect(1, 1);
      int i = a.integer(0);
      if (i < 0 || i >= static_cast<int>(d.selection.size()))
        fail("Invalid index " + std::to_string(i));
      return entityObject(w_, doc_, d.selection[i]);
    }
    if (m == "additems") {
      a.expect(1, 1);
      std::vector<std::string> hs;
      for (const Value& v : a.at(0).values())
        hs.push_back(Object(v).get("Handle").toText());
      for (const auto& h : hs)
        addSelected(h);
      return {};
    }
    if (m == "selectonscreen") {
      a.expect(0, 2);
      auto f = filter(a, 0);
      OperatorInput in = w_->take("");
      if (in.kind == OperatorInput::Kind::Enter) return {};
      if (in.kind != OperatorInput::Kind::Selection) fail("Invalid selection");
      for (const auto& h : in.handles) {
        const Entity* e = d.drawing.findEntity(h);
        if (e && e->owner == d.drawing.modelSpace().name && passes(*e, f)) addSelected(e->handle);
      }
      return {};
    }
    if (m == "select") {
      a.expect(1, 5);
      int mode = a.integer(0);
      auto f = filter(a, 3);
      const Block& ms = d.drawing.modelSpace();
      if (mode == 4) {  // the last entity
        std::string last = d.drawing.lastEntity();
        if (!last.empty() && passes(*d.drawing.findEntity(last), f)) addSelected(last);
        return {};
      }
      if (mode == 5) {  // all
        for (const auto& h : ms.entities)
          if (passes(*d.drawing.findEntity(h), f)) addSelected(h);
        return {};
      }
      if (mode == 0 || mode == 1) {  // window, crossing
        Point3 p = a.point(1), q = a.point(2);
        double x0 = std::min(p.x, q.x), x1 = std::max(p.x, q.x), y0 = std::min(p.y, q.y),
               y1 = std::max(p.y, q.y);
        for (const auto& h : ms.entities) {
          const Entity& e = *d.drawing.findEntity(h);
          Extents x = extentsOf(d.drawing, e);
          if (x.empty() || !passes(e, f)) continue;
          bool inside = x.min.x >= x0 && x.max.x <= x1 && x.min.y >= y0 && x.max.y <= y1;
          bool touches = x.max.x >= x0 && x.min.x <= x1 && x.max.y >= y0 && x.min.y <= y1;
          if (mode == 0 ? inside : touches) addSelected(h);
        }
        return {};
      }
      fail("The simulated CAD does not select in mode " + std::to_string(mode));
    }
    memberNotFound(member);
  }
};

class StateObj : public SimObject {
 public:
  using SimObject::SimObject;

 protected:
  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args&) override {
    if (m != "isquiescent" || kind == CallKind::Put) memberNotFound(member);
    if (w_->busyPolls > 0) {
      --w_->busyPolls;
      return Value(false);
    }
    // The operator answers a waiting command line while the program waits.
    DocState& d = w_->activeDoc();
    if (d.pending) {
      w_->resolvePending(d);
      return Value(false);
    }
    return Value(true);
  }
};

class DocumentObj : public SimObject {
 public:
  using SimObject::SimObject;

 protected:
  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    DocState& d = doc();
    if (kind == CallKind::Put) memberNotFound(member);
    auto coll = [&](CollectionObj::Kind k) {
      return Value(DispatchPtr(std::make_shared<CollectionObj>(w_, doc_, k)));
    };
    if (m == "modelspace") return blockObject(w_, doc_, d.drawing.blocks[0].handle);
    if (m == "paperspace") return blockObject(w_, doc_, d.drawing.blocks[1].handle);
    if (m == "blocks") return coll(CollectionObj::Kind::Blocks);
    if (m == "layers") return coll(CollectionObj::Kind::Layers);
    if (m == "linetypes") return coll(CollectionObj::Kind::Linetypes);
    if (m == "groups") return coll(CollectionObj::Kind::Groups);
    if (m == "utility") return Value(DispatchPtr(std::make_shared<UtilityObj>(w_, doc_)));
    if (m == "activeselectionset")
      return Value(DispatchPtr(std::make_shared<SelectionSetObj>(w_, doc_)));
    if (m == "application") return Value(makeApplication(w_));
    if (m == "name") return Value(d.name);
    if (m == "hwnd") return Value(static_cast<int>(d.hwnd));
    if (m == "startundomark") {
      a.expect(0, 0);
      if (d.undoDepth++ == 0) d.openGroup = d.drawing;
      return {};
    }
    if (m == "endundomark") {
      a.expect(0, 0);
      if (d.undoDepth == 0) return {};  // the CAD ignores an end without a start
      if (--d.undoDepth == 0) {
        d.undoSteps.push_back(std::move(*d.openGroup));
        d.openGroup.reset();
      }
      return {};
    }
    if (m == "sendcommand") {
      a.expect(1, 1);
      w_->sendCommand(d, a.text(0));
      return {};
    }
    if (m == "getvariable") {
      a.expect(1, 1);
      auto it = d.drawing.variables.find(asciiUpper(a.text(0)));
      if (it == d.drawing.variables.end()) fail("Error getting system variable " + a.text(0));
      return it->second;
    }
    if (m == "setvariable") {
      a.expect(2, 2);
      std::string name = asciiUpper(a.text(0));
      auto it = d.drawing.variables.find(name);
      if (it == d.drawing.variables.end()) fail("Error setting system variable " + name);
      if (name == "SCREENSIZE" || name == "VIEWSIZE")
        fail("Error setting read-only system variable " + name);
      const Value& v = a.at(1);
      Value::Kind want = it->second.kind();
      if (want == Value::Kind::Int && v.kind() != Value::Kind::Int)
        fail("Error setting system variable " + name + ": an integer is needed, got " +
             v.describe());
      if (want == Value::Kind::Double && !v.isNumber())
        fail("Error setting system variable " + name + ": a number is needed, got " + v.describe());
      if (want == Value::Kind::Text && v.kind() != Value::Kind::Text)
        fail("Error setting system variable " + name + ": a text is needed, got " + v.describe());
      if (name == "CLAYER") {
        Layer* l = d.drawing.findLayer(v.toText());
        if (!l) fail("Error setting system variable CLAYER: no layer " + v.toText());
        if (l->frozen)
          fail("Error setting system variable CLAYER: layer " + l->name + " is frozen");
        it->second = Value(l->name);
        return {};
      }
      it->second = want == Value::Kind::Double ? Value(v.toDouble()) : v;
      return {};
    }
    if (m == "handletoobject") {
      a.expect(1, 1);
      std::string h = a.text(0);
      if (Entity* e = d.drawing.findEntity(h)) return entityObject(w_, doc_, e->handle);
      for (const Block& b : d.drawing.blocks)
        if (asciiUpper(b.handle) == asciiUpper(h)) return blockObject(w_, doc_, b.handle);
      for (const Layer& l : d.drawing.layers)
        if (asciiUpper(l.handle) == asciiUpper(h))
          return Value(DispatchPtr(std::make_shared<LayerObj>(w_, doc_, l.handle)));
      fail("Invalid handle " + h);
    }
    if (m == "regen") {
      a.expect(1, 1);
      a.integer(0);
      return {};
    }
    memberNotFound(member);
  }
};

class DocumentsObj : public SimObject {
 public:
  using SimObject::SimObject;

 protected:
  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    if (m == "count") return Value(static_cast<int>(w_->docs.size()));
    if (m == "item") {
      a.expect(1, 1);
      int i = a.integer(0);
      if (i < 0 || i >= static_cast<int>(w_->docs.size()))
        fail("Invalid index " + std::to_string(i));
      return Value(DispatchPtr(std::make_shared<DocumentObj>(w_, i)));
    }
    memberNotFound(member);
  }
};

class ApplicationObj : public SimObject {
 public:
  explicit ApplicationObj(std::shared_ptr<World> w) : SimObject(std::move(w), -1) {}

 protected:
  Value dispatch(const std::string& m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    if (m == "activedocument") {
      if (w_->active < 0) fail("No document is open");
      return Value(DispatchPtr(std::make_shared<DocumentObj>(w_, w_->active)));
    }
    if (m == "documents") return Value(DispatchPtr(std::make_shared<DocumentsObj>(w_, -1)));
    if (m == "hwnd") return Value(static_cast<int>(w_->appWindow));
    if (m == "name") return Value(w_->profile.name);
    if (m == "zoomcenter") {
      a.expect(2, 2);
      a.point(0);
      double mag = a.number(1);
      if (mag <= 0) fail("Invalid magnification");
      if (w_->active >= 0) w_->activeDoc().drawing.variables["VIEWSIZE"] = Value(mag);
      return {};
    }
    if (m == "zoomextents") {
      a.expect(0, 0);
      return {};
    }
    for (const auto& q : w_->profile.stateQueries)
      if (lower(q) == m) {
        a.expect(0, 0);
        return Value(DispatchPtr(std::make_shared<StateObj>(w_, -1)));
      }
    memberNotFound(member);
  }
};

DispatchPtr entityObject(const std::shared_ptr<World>& w, int doc, const std::string& handle) {
  return std::make_shared<EntityObj>(w, doc, handle);
}

DispatchPtr blockObject(const std::shared_ptr<World>& w, int doc, const std::string& handle) {
  return std::make_shared<BlockObj>(w, doc, handle);
}

}  // namespace

DispatchPtr makeApplication(std::shared_ptr<World> world) {
  return std::make_shared<ApplicationObj>(std::move(world));
}

}  // namespace qarn::cad::sim
