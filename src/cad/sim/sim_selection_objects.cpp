// The simulated CAD's picks: the utility object and the active selection set.
#include <cmath>
#include <unordered_set>

#include "cad/sim/box_selection.h"
#include "cad/sim/entity_geometry.h"
#include "cad/sim/sim_object_base.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

class UtilityObj : public SimObject {
 public:
  using SimObject::SimObject;

 protected:
  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    if (m == "getentity") {
      a.expect(2, 3);
      std::string prompt = a.given(2) ? a.text(2) : "";
      OperatorInput in = w_->take(OperatorRequest::ask(OperatorRequest::Kind::Entity, prompt));
      if (in.kind != OperatorInput::Kind::Entity) fail("The user picked nothing");
      Entity* e = doc().drawing.findEntity(in.handle);
      if (!e) fail("The user picked nothing (no entity " + in.handle + ")");
      a.out(0) = entityObject(w_, doc_, e->handle);
      a.out(1) = point(in.point);
      return {};
    }
    // Enter (or a keyword) where a value is asked raises its own error, which a command can tell
    // from a cancel; Escape raises as a failed call.
    auto noValue = [] {
      throw AutomationError(status::kUserInputKeyword, "User input is a keyword");
    };
    if (m == "getpoint") {
      a.expect(0, 2);
      std::optional<Point3> base;
      if (a.given(0) && !a.at(0).isEmpty()) base = a.point(0);
      std::string prompt = a.given(1) ? a.text(1) : "";
      OperatorInput in = w_->take(OperatorRequest::ask(OperatorRequest::Kind::Point, prompt, base));
      if (in.kind == OperatorInput::Kind::Enter) noValue();
      if (in.kind != OperatorInput::Kind::Point) fail("Invalid point input");
      return point(in.point);
    }
    if (m == "getdistance") {
      a.expect(0, 2);
      std::optional<Point3> base;
      if (a.given(0) && !a.at(0).isEmpty()) base = a.point(0);
      std::string prompt = a.given(1) ? a.text(1) : "";
      OperatorInput in =
          w_->take(OperatorRequest::ask(OperatorRequest::Kind::Distance, prompt, base));
      if (in.kind == OperatorInput::Kind::Distance) return Value(in.distance);
      if (in.kind == OperatorInput::Kind::Enter) noValue();
      if (in.kind != OperatorInput::Kind::Point) fail("Invalid distance input");
      // Without a base point the first point picked is the base, and a second one is asked.
      if (!base) {
        base = in.point;
        in = w_->take(
            OperatorRequest::ask(OperatorRequest::Kind::Distance, kSecondPointPrompt, base));
        if (in.kind == OperatorInput::Kind::Enter) noValue();
        if (in.kind != OperatorInput::Kind::Point) fail("Invalid distance input");
      }
      return Value(std::hypot(in.point.x - base->x, in.point.y - base->y));
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

}  // namespace

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

namespace {

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
      if (code == 0 && !wildcardMatch(pattern, dxfName(e))) return false;
      if (code == 8 && !wildcardMatch(pattern, e.layer)) return false;
      if (code == 2 && (e.type != EntityType::BlockRef || !wildcardMatch(pattern, e.blockName)))
        return false;
    }
    return true;
  }

  // Adds what is not selected yet, in order (a set of the selection for each call, so that a pick
  // of thousands of entities stays linear).
  void addSelected(const std::vector<std::string>& handles) {
    auto& sel = doc().selection;
    std::unordered_set<std::string> have(sel.begin(), sel.end());
    for (const auto& h : handles)
      if (have.insert(h).second) sel.push_back(h);
  }
  void addSelected(const std::string& handle) { addSelected(std::vector<std::string>{handle}); }

  void selectAll(const DocState& d, const std::vector<std::pair<int, std::string>>& f) {
    std::vector<std::string> hs;
    for (const auto& h : d.drawing.modelSpace().entities)
      if (passes(*d.drawing.findEntity(h), f)) hs.push_back(h);
    addSelected(hs);
  }

  // A window takes what lies wholly inside the box, a crossing what the box touches; an entity
  // without known extents is never taken.
  void selectInBox(const DocState& d, bool window, Point3 p, Point3 q,
                   const std::vector<std::pair<int, std::string>>& f) {
    std::vector<std::string> hs = entitiesInBox(d.drawing, window, p, q);
    std::erase_if(hs, [&](const std::string& h) { return !passes(*d.drawing.findEntity(h), f); });
    addSelected(hs);
  }

  Value dispatch(std::string_view m, std::string_view member, CallKind kind, Args& a) override {
    if (kind == CallKind::Put) memberNotFound(member);
    DocState& d = doc();
    // Entities erased since they were selected drop out, as in the CAD.
    if (d.erasures != d.selectionCheckedAt.first ||
        d.drawing.entities.size() != d.selectionCheckedAt.second) {
      std::erase_if(d.selection, [&](const std::string& h) { return !d.drawing.findEntity(h); });
      d.selectionCheckedAt = {d.erasures, d.drawing.entities.size()};
    }
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
    if (m == "erase") {
      // Every entity of the set erased, the set emptied; one on a locked layer is refused.
      a.expect(0, 0);
      for (const auto& h : d.selection)
        if (const Entity* e = d.drawing.findEntity(h); e && d.drawing.onLockedLayer(*e))
          fail("On locked layer");
      for (const auto& h : std::vector<std::string>(d.selection))
        w_->erase(d, h);
      d.selection.clear();
      return {};
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
      OperatorInput in =
          w_->take(OperatorRequest::ask(OperatorRequest::Kind::Selection, kSelectObjectsPrompt));
      using K = OperatorInput::Kind;
      switch (in.kind) {
        case K::Enter:
          return {};
        case K::Selection: {
          std::vector<std::string> hs;
          for (const auto& h : in.handles) {
            const Entity* e = d.drawing.findEntity(h);
            if (e && e->owner == d.drawing.modelSpace().name && passes(*e, f))
              hs.push_back(e->handle);
          }
          addSelected(hs);
          for (const auto& box : in.boxes)
            selectInBox(d, box.window, box.a, box.b, f);
          return {};
        }
        case K::Window:
        case K::Crossing:
          selectInBox(d, in.kind == K::Window, in.point, in.corner, f);
          return {};
        case K::All:
          selectAll(d, f);
          return {};
        default:
          fail("Invalid selection");
      }
    }
    if (m == "select") {
      a.expect(1, 5);
      int mode = a.integer(0);
      auto f = filter(a, 3);
      if (mode == 4) {  // the last entity
        std::string last = d.drawing.lastVisibleEntity();
        if (!last.empty() && passes(*d.drawing.findEntity(last), f)) addSelected(last);
        return {};
      }
      if (mode == 5) {  // all
        selectAll(d, f);
        return {};
      }
      if (mode == 0 || mode == 1) {  // window, crossing
        Point3 p = a.point(1), q = a.point(2);
        selectInBox(d, mode == 0, p, q, f);
        return {};
      }
      fail("The simulated CAD does not select in mode " + std::to_string(mode));
    }
    memberNotFound(member);
  }
};

}  // namespace

DispatchPtr utilityObject(const std::shared_ptr<World>& w, int doc) {
  return std::make_shared<UtilityObj>(w, doc);
}

DispatchPtr selectionSetObject(const std::shared_ptr<World>& w, int doc) {
  return std::make_shared<SelectionSetObj>(w, doc);
}

}  // namespace qarn::cad::sim
