// The simulated CAD's model space and block definitions: the objects that take new entities.
#include "cad/sim/entity_geometry.h"
#include "cad/sim/sim_object_base.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

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

  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
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
    if (m == "delete") {
      // A layout, or a block that some reference still shows, stays.
      a.expect(0, 0);
      if (b.isLayout) fail("Cannot delete a layout block");
      for (const auto& [h, e] : d.drawing.entities)
        if (e.type == EntityType::BlockRef && asciiUpper(e.blockName) == asciiUpper(b.name))
          fail("Object is referenced: block " + b.name);
      for (const auto& h : b.entities)
        d.drawing.entities.erase(h);
      std::string gone = b.handle;
      std::erase_if(d.drawing.blocks, [&](const Block& x) { return x.handle == gone; });
      return {};
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

}  // namespace

DispatchPtr blockObject(const std::shared_ptr<World>& w, int doc, const std::string& handle) {
  return std::make_shared<BlockObj>(w, doc, handle);
}

}  // namespace qarn::cad::sim
