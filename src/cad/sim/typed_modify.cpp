// Typed commands that change what the person selects: ERASE, MOVE, COPY.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "cad/sim/entity_geometry.h"
#include "cad/sim/typed_input.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

std::string keyword(const std::string& word) {
  std::string k = asciiUpper(word);
  while (!k.empty() && k[0] == '_')
    k.erase(0, 1);
  return k;
}

// What follows the cursor: the entities selected with their attributes.
OperatorRequest placement(TypedInput& in, const std::vector<std::string>& sel, Point3 base,
                          const char* prompt) {
  OperatorRequest r = OperatorRequest::ask(OperatorRequest::Kind::Placement, prompt, base);
  const Drawing& dr = in.d.drawing;
  r.ortho = dr.variables.count("ORTHOMODE") && dr.variables.at("ORTHOMODE").toInt() != 0;
  for (const auto& h : sel) {
    const Entity& e = *dr.findEntity(h);
    r.moving.push_back(e);
    for (const auto& a : e.attributes)
      if (const Entity* att = dr.findEntity(a)) r.moving.push_back(*att);
  }
  return r;
}

// The base point, or with Enter (or D) a displacement asked for as such: the base is then the
// origin and the displacement comes back in `to`.
std::optional<Point3> basePoint(TypedInput& in, const char* prompt, std::optional<Point3>& to) {
  OperatorInput b = in.take(OperatorRequest::ask(OperatorRequest::Kind::Point, prompt));
  if (b.kind == OperatorInput::Kind::Point) return b.point;
  if (b.kind == OperatorInput::Kind::Text && keyword(b.text) == "O") {
    in.say("モード(O) はシミュレーション CAD にはありません。");
    return std::nullopt;
  }
  if (b.kind == OperatorInput::Kind::Enter ||
      (b.kind == OperatorInput::Kind::Text && (keyword(b.text) == "D" || b.text.empty()))) {
    OperatorInput v = in.take(
        OperatorRequest::ask(OperatorRequest::Kind::Point, "移動距離を指定 <0,0,0>:", Point3{}));
    if (v.kind == OperatorInput::Kind::Enter ||
        (v.kind == OperatorInput::Kind::Text && v.text.empty()))
      v.point = {};
    else if (v.kind != OperatorInput::Kind::Point)
      return in.say(kPointOrKeyword), std::nullopt;
    to = v.point;
    return Point3{};
  }
  in.say(kPointOrKeyword);
  return std::nullopt;
}

// The offset from `base` to the point given, bent onto an axis by ortho when it was picked.
Point3 offsetTo(const DocState& d, Point3 base, const OperatorInput& at) {
  double dx = at.point.x - base.x, dy = at.point.y - base.y;
  auto it = d.drawing.variables.find("ORTHOMODE");
  if (!at.typed && it != d.drawing.variables.end() && it->second.toInt() != 0) {
    if (std::abs(dx) >= std::abs(dy))
      dy = 0;
    else
      dx = 0;
  }
  return {dx, dy, 0};
}

void moveAll(TypedInput& in, const std::vector<std::string>& sel, Point3 by) {
  for (const auto& h : sel)
    if (Entity* e = in.d.drawing.findEntity(h))
      in.w.transform(in.d, *e, Affine::translation(by.x, by.y));
}

void move(TypedInput& in) {
  auto sel = in.select(true);
  if (sel.empty()) return;
  std::optional<Point3> by;
  auto base = basePoint(in, "基点を指定 または [移動距離(D)] <移動距離>:", by);
  if (!base) return;
  if (!by) {
    OperatorInput t = in.take(placement(in, sel, *base, kMoveSecondPointPrompt));
    if (t.kind == OperatorInput::Kind::Point)
      by = offsetTo(in.d, *base, t);
    else if (t.kind == OperatorInput::Kind::Enter || t.text.empty())
      by = *base;  // the first point taken as the displacement
    else
      return in.say(kPointOrKeyword);
  }
  moveAll(in, sel, *by);
}

void copy(TypedInput& in) {
  auto sel = in.select(false);
  if (sel.empty()) return;
  std::optional<Point3> by;
  auto base = basePoint(in, "基点を指定 または [移動距離(D)/モード(O)] <移動距離>:", by);
  if (!base) return;
  std::vector<std::vector<std::string>> copies;  // each placement's copies, for U
  auto copyBy = [&](Point3 offset) {
    std::vector<std::string> made;
    for (const auto& h : sel)
      if (const Entity* e = in.d.drawing.findEntity(h)) made.push_back(in.w.copy(in.d, *e));
    moveAll(in, made, offset);
    copies.push_back(std::move(made));
  };
  if (by) return copyBy(*by);
  // Copies are made until Enter; an Escape keeps those made, as the CAD does.
  for (;;) {
    const bool first = copies.empty();
    OperatorInput t;
    try {
      t = in.take(placement(in, sel, *base,
                            first
                                ? "2 点目を指定 または [配列複写(A)] <1 点目を移動距離として使用>:"
                                : "2 点目を指定 または [配列複写(A)/終了(E)/元に戻す(U)] <終了>:"));
    } catch (const AutomationError&) {
      if (first) throw;
      return in.say(kCancelled);
    }
    if (t.kind == OperatorInput::Kind::Point) {
      copyBy(offsetTo(in.d, *base, t));
      continue;
    }
    bool enter = t.kind == OperatorInput::Kind::Enter || t.text.empty();
    std::string k = keyword(t.text);
    if (enter && first) return copyBy(*base);
    if (enter || k == "E") return;
    if (k == "U" && !first) {
      for (const auto& h : copies.back())
        in.w.erase(in.d, h);
      copies.pop_back();
    } else if (k == "A") {
      in.say("配列複写(A) はシミュレーション CAD にはありません。");
    } else {
      in.say(kPointOrKeyword);
    }
  }
}

}  // namespace

std::vector<std::string> TypedInput::select(bool editable) {
  Drawing& dr = d.drawing;
  std::vector<std::string> found;
  std::unordered_set<std::string> have;
  auto addOne = [&](const std::string& h) {
    const Entity* e = dr.findEntity(h);
    if (!e || e->owner != dr.modelSpace().name || !dr.visible(*e)) return;
    if (have.insert(e->handle).second) found.push_back(e->handle);
  };
  auto addAll = [&] {
    for (const auto& h : dr.modelSpace().entities)
      addOne(h);
  };
  // A window takes what lies wholly inside, a crossing what the box touches.
  auto addBox = [&](bool window, Point3 p, Point3 q) {
    double x0 = std::min(p.x, q.x), x1 = std::max(p.x, q.x), y0 = std::min(p.y, q.y),
           y1 = std::max(p.y, q.y);
    ExtentsCache measured(dr);
    for (const auto& h : dr.modelSpace().entities) {
      Extents x = measured.of(*dr.findEntity(h));
      if (x.empty()) continue;
      bool inside = x.min.x >= x0 && x.max.x <= x1 && x.min.y >= y0 && x.max.y <= y1;
      bool touches = x.max.x >= x0 && x.min.x <= x1 && x.max.y >= y0 && x.min.y <= y1;
      if (window ? inside : touches) addOne(h);
    }
  };
  // Selection keywords on the line: SINGLE, LAST, ALL (the first other input ends them); without
  // them the operator selects.
  bool fromLine = false;
  while (!rest.words.empty()) {
    std::string k = keyword(rest.words.front());
    if (k == "SI" || k == "SINGLE") {
      fromLine = true;
    } else if (k == "L" || k == "LAST") {
      addOne(dr.lastVisibleEntity());
      fromLine = true;
    } else if (k == "ALL") {
      addAll();
      fromLine = true;
    } else {
      break;
    }
    rest.next();
  }
  if (fromLine) {
    // An Enter after them (a sent command line's empty input) ends the selection.
    if (!rest.words.empty() && rest.words.front().empty()) rest.next();
    w.prompts.push_back(kSelectObjectsPrompt);
  } else {
    using K = OperatorInput::Kind;
    // The rest of the line is for the prompts after the selection: the operator picks.
    OperatorInput a =
        w.take(OperatorRequest::ask(OperatorRequest::Kind::Selection, kSelectObjectsPrompt));
    switch (a.kind) {
      case K::Selection:
        for (const auto& h : a.handles)
          addOne(h);
        for (const auto& box : a.boxes)
          addBox(box.window, box.a, box.b);
        break;
      case K::Entity:
        addOne(a.handle);
        break;
      case K::Window:
      case K::Crossing:
        addBox(a.kind == K::Window, a.point, a.corner);
        break;
      case K::All:
        addAll();
        break;
      case K::Enter:
        break;
      default:
        say("*無効な選択*");
        return {};
    }
  }
  say(std::string(kSelectObjectsPrompt) + " " + std::to_string(found.size()) + " 個を検出");
  if (editable) {
    auto locked = std::erase_if(
        found, [&](const std::string& h) { return dr.onLockedLayer(*dr.findEntity(h)); });
    if (locked > 0) say(std::to_string(locked) + " 個はロックされた画層上にあります");
  }
  return found;
}

bool runModifyCommand(TypedInput& in, const std::string& name) {
  if (name == "ERASE" || name == "E") {
    for (const auto& h : in.select(true))
      in.w.erase(in.d, h);
    return true;
  }
  if (name == "MOVE" || name == "M") {
    move(in);
    return true;
  }
  if (name == "COPY" || name == "CO" || name == "CP") {
    copy(in);
    return true;
  }
  return false;
}

}  // namespace qarn::cad::sim
