// The simulated CAD's application and documents: where a client enters its object model.
#include "cad/sim/sim_objects.h"
#include "cad/sim/drawing_listing.h"

#include "cad/sim/sim_object_base.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

class StateObj : public SimObject {
 public:
  using SimObject::SimObject;

 protected:
  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args&) override {
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
  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
    DocState& d = doc();
    if (kind == CallKind::Put) memberNotFound(member);
    auto coll = [&](CollectionKind k) { return Value(collectionObject(w_, doc_, k)); };
    if (m == "modelspace") return blockObject(w_, doc_, d.drawing.blocks[0].handle);
    if (m == "paperspace") return blockObject(w_, doc_, d.drawing.blocks[1].handle);
    if (m == "blocks") return coll(CollectionKind::Blocks);
    if (m == "layers") return coll(CollectionKind::Layers);
    if (m == "linetypes") return coll(CollectionKind::Linetypes);
    if (m == "groups") return coll(CollectionKind::Groups);
    if (m == "utility") return Value(utilityObject(w_, doc_));
    if (m == "activeselectionset") return Value(selectionSetObject(w_, doc_));
    if (m == "application") return Value(makeApplication(w_));
    if (m == "name") return Value(d.name);
    if (m == "hwnd") return Value(static_cast<int>(d.hwnd));
    if (m == "startundomark") {
      a.expect(0, 0);
      w_->startUndoGroup(d);
      return {};
    }
    if (m == "endundomark") {
      a.expect(0, 0);
      w_->endUndoGroup(d);
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
      // A short system variable takes a 16-bit integer only, as in the CAD.
      if (want == Value::Kind::Int16 && v.kind() != Value::Kind::Int16)
        fail("Error setting system variable " + name + ": a 16-bit integer is needed, got " +
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
        w_->variableWrites.push_back(name + " = " + l->name);
        return {};
      }
      it->second = want == Value::Kind::Double ? Value(v.toDouble()) : v;
      w_->variableWrites.push_back(name + " = " + (want == Value::Kind::Text ? v.toText()
                                                   : want == Value::Kind::Double
                                                       ? listingNumber(v.toDouble())
                                                       : std::to_string(v.toInt())));
      return {};
    }
    if (m == "handletoobject") {
      a.expect(1, 1);
      std::string h = a.text(0);
      if (Entity* e = d.drawing.findEntity(h)) return entityObject(w_, doc_, e->handle);
      for (const Block& b : d.drawing.blocks)
        if (asciiUpper(b.handle) == asciiUpper(h)) return blockObject(w_, doc_, b.handle);
      for (const Layer& l : d.drawing.layers)
        if (asciiUpper(l.handle) == asciiUpper(h)) return Value(layerObject(w_, doc_, l.handle));
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
  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    if (m == "count") return Value(static_cast<int>(w_->docs.size()));
    if (m == "item") {
      a.expect(1, 1);
      int i = a.integer(0);
      if (i < 0 || i >= static_cast<int>(w_->docs.size()))
        fail("Invalid index " + std::to_string(i));
      return Value(DispatchPtr(std::make_shared<DocumentObj>(w_, w_->docs[i]->id)));
    }
    memberNotFound(member);
  }
};

class ApplicationObj : public SimObject {
 public:
  explicit ApplicationObj(std::shared_ptr<World> w) : SimObject(std::move(w), -1) {}

 protected:
  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    if (m == "activedocument") {
      if (w_->active < 0) fail("No document is open");
      return Value(DispatchPtr(std::make_shared<DocumentObj>(w_, w_->activeDoc().id)));
    }
    if (m == "documents") return Value(DispatchPtr(std::make_shared<DocumentsObj>(w_, -1)));
    if (m == "hwnd") return Value(static_cast<int>(w_->appWindow));
    if (m == "name") return Value(w_->profile.name);
    if (m == "zoomcenter") {
      a.expect(2, 2);
      Point3 centre = a.point(0);
      double mag = a.number(1);
      if (mag <= 0) fail("Invalid magnification");
      if (w_->active >= 0) w_->activeDoc().drawing.variables["VIEWSIZE"] = Value(mag);
      for (Observer* o : std::vector<Observer*>(w_->observers))
        o->zoomCenter(centre, mag);
      return {};
    }
    if (m == "zoomextents") {
      a.expect(0, 0);
      for (Observer* o : std::vector<Observer*>(w_->observers))
        o->zoomExtents();
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

}  // namespace

DispatchPtr makeApplication(std::shared_ptr<World> world) {
  return std::make_shared<ApplicationObj>(std::move(world));
}

}  // namespace qarn::cad::sim
