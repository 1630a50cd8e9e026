// The simulated CAD's symbol tables and their entries: blocks, layers, linetypes and groups.
#include "cad/sim/sim_object_base.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

class LayerObj : public SimObject {
 public:
  LayerObj(std::shared_ptr<World> w, int doc, std::string handle)
      : SimObject(std::move(w), doc), handle_(std::move(handle)) {}

 protected:
  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
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
  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
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
          if (m == "delete") {
            a.expect(0, 0);
            std::string gone = g.handle;
            std::erase_if(dr.groups, [&](const Group& x) { return x.handle == gone; });
            return {};
          }
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
  using Kind = CollectionKind;
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
        return layerObject(w_, doc_, handle);
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

  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
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
        // A block name may not begin or end with a blank either.
        if (!validName(name) || name.front() == ' ' || name.back() == ' ')
          fail("Invalid block name \"" + name + "\"");
        if (Block* existing = dr.findBlock(name)) {
          if (existing->isLayout) fail("Invalid block name \"" + name + "\"");
          return blockObject(w_, doc_, existing->handle);
        }
        dr.blocks.push_back({name, w_->newHandle(doc()), origin, {}, false});
        return blockObject(w_, doc_, dr.blocks.back().handle);
      }
      a.expect(1, 1);
      std::string name = a.text(0);
      if (kind_ == Kind::Groups && name == "*") {
        // "*" asks for an anonymous group, which the CAD names itself.
        dr.groups.push_back(
            {"*A" + std::to_string(dr.groups.size() + 1), w_->newHandle(doc()), {}, true});
        return object(dr.groups.back().handle);
      }
      if (!validName(name)) fail("Invalid name \"" + name + "\"");
      if (kind_ == Kind::Layers) {
        if (Layer* existing = dr.findLayer(name)) return object(existing->handle);
        Layer l;
        l.name = name;
        l.handle = w_->newHandle(doc());
        dr.layers.push_back(l);
        return object(l.handle);
      }
      for (Group& g : dr.groups)
        if (asciiUpper(g.name) == asciiUpper(name)) fail("Duplicate group name " + name);
      dr.groups.push_back({name, w_->newHandle(doc()), {}, false});
      return object(dr.groups.back().handle);
    }
    memberNotFound(member);
  }

 private:
  Kind kind_;
};

}  // namespace

DispatchPtr layerObject(const std::shared_ptr<World>& w, int doc, const std::string& handle) {
  return std::make_shared<LayerObj>(w, doc, handle);
}

DispatchPtr collectionObject(const std::shared_ptr<World>& w, int doc, CollectionKind kind) {
  return std::make_shared<CollectionObj>(w, doc, kind);
}

}  // namespace qarn::cad::sim
