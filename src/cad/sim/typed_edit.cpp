// Typed commands: the answers from the line or the operator, undo and redo, and the view.
#include <algorithm>
#include <cstdlib>

#include "cad/sim/drawing_listing.h"
#include "cad/sim/entity_geometry.h"
#include "cad/sim/typed_input.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

std::string pointText(Point3 p) {
  return listingNumber(p.x) + "," + listingNumber(p.y);
}

// The drawing's limits as a new metric drawing has them (LIMMIN, LIMMAX).
constexpr double kLimitsWidth = 420, kLimitsHeight = 297;

void tellObservers(World& w, const std::function<void(Observer&)>& tell) {
  for (Observer* o : std::vector<Observer*>(w.observers)) {
    try {
      tell(*o);
    } catch (...) {
    }
  }
}

// The view fitted round a box: as high as the box, or higher where the screen is wider than it.
void zoomTo(TypedInput& in, Extents box) {
  double width = std::max(box.max.x - box.min.x, 1e-9);
  double height = std::max(box.max.y - box.min.y, 1e-9);
  const Value& screen = in.d.drawing.variables["SCREENSIZE"];
  if (screen.kind() == Value::Kind::DoubleArray && screen.doubles().size() == 2 &&
      screen.doubles()[0] > 0)
    height = std::max(height, width * screen.doubles()[1] / screen.doubles()[0]);
  Point3 centre{(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2, 0};
  in.d.drawing.variables["VIEWSIZE"] = Value(height);
  tellObservers(in.w, [&](Observer& o) { o.zoomCenter(centre, height); });
}

Extents drawingExtents(const Drawing& d) {
  Extents x;
  ExtentsCache measured(d);
  for (const auto& h : d.modelSpace().entities) {
    const Entity& e = *d.findEntity(h);
    if (d.visible(e)) x.add(measured.of(e));
  }
  return x;
}

void zoom(TypedInput& in) {
  const char* prompt = "窓のコーナーを指定 または [図面全体(A)/オブジェクト範囲(E)/窓(W)]:";
  OperatorInput a = in.take(OperatorRequest::ask(OperatorRequest::Kind::Point, prompt));
  if (a.kind == OperatorInput::Kind::Enter) return;
  std::string key = a.kind == OperatorInput::Kind::Text ? asciiUpper(a.text) : "";
  if (!key.empty() && key[0] == '_') key.erase(0, 1);
  if (key == "E" || key == "EXTENTS" || key == "A" || key == "ALL") {
    Extents x = drawingExtents(in.d.drawing);
    if (key[0] == 'E' && !x.empty()) {
      in.d.drawing.variables["VIEWSIZE"] = Value(std::max(x.max.y - x.min.y, 1e-9));
      tellObservers(in.w, [](Observer& o) { o.zoomExtents(); });
      return;
    }
    // All (or the extents of an empty drawing): the limits, and the extents with them.
    x.add(0, 0);
    x.add(kLimitsWidth, kLimitsHeight);
    zoomTo(in, x);
    return;
  }
  Point3 first;
  if (a.kind == OperatorInput::Kind::Point) {
    first = a.point;
  } else if (key == "W" || key == "WINDOW") {
    OperatorInput p =
        in.take(OperatorRequest::ask(OperatorRequest::Kind::Point, "最初のコーナーを指定:"));
    if (p.kind != OperatorInput::Kind::Point) return in.say(kPointOrKeyword);
    first = p.point;
  } else {
    return in.say(kPointOrKeyword);
  }
  OperatorInput q = in.take(
      OperatorRequest::ask(OperatorRequest::Kind::Point, "もう一方のコーナーを指定:", first));
  if (q.kind != OperatorInput::Kind::Point) return in.say(kPointOrKeyword);
  Extents box;
  box.add(first.x, first.y);
  box.add(q.point.x, q.point.y);
  zoomTo(in, box);
}

void undoTimes(TypedInput& in, int n) {
  for (int i = 0; i < n; ++i) {
    auto name = in.w.undoStep(in.d);
    if (!name) return in.say("元に戻す操作はありません。");
    in.say("元に戻す: " + *name);
  }
}

void undoCommand(TypedInput& in) {
  std::string a = in.text(
      "元に戻す操作の数を入力 または [自動(A)/コントロール(C)/開始(BE)/終了(E)/マーク(M)/戻る(B)] "
      "<1>:");
  if (a.empty()) return undoTimes(in, 1);
  char* end = nullptr;
  long n = std::strtol(a.c_str(), &end, 10);
  if (*end == '\0' && n > 0) return undoTimes(in, static_cast<int>(std::min(n, 100000L)));
  std::string key = asciiUpper(a);
  for (const char* option :
       {"A", "AUTO", "C", "CONTROL", "BE", "BEGIN", "E", "END", "M", "MARK", "B", "BACK"})
    if (key == option)
      return in.say("UNDO の " + key + " オプションはシミュレーション CAD にはありません。");
  in.say("正の整数、またはオプション キーワードが必要です。");
}

}  // namespace

OperatorInput TypedInput::take(const OperatorRequest& r) {
  if (auto word = rest.next()) {
    w.prompts.push_back(r.prompt);
    OperatorInput in = OperatorInput::of(OperatorInput::Kind::Text);
    in.text = *word;
    bool takesPoint = r.kind == OperatorRequest::Kind::Point ||
                      r.kind == OperatorRequest::Kind::Placement ||
                      r.kind == OperatorRequest::Kind::Distance;
    if (takesPoint)
      if (auto p = readTypedPoint(*word, r.base)) {
        in.kind = OperatorInput::Kind::Point;
        in.point = *p;
        in.typed = true;
      }
    say(r.prompt + " " + *word);
    return in;
  }
  OperatorInput in = w.take(r);
  std::string shown = in.kind == OperatorInput::Kind::Point  ? pointText(in.point)
                      : in.kind == OperatorInput::Kind::Text ? in.text
                                                             : "";
  if (r.kind != OperatorRequest::Kind::Selection)
    say(shown.empty() ? r.prompt : r.prompt + " " + shown);
  return in;
}

std::string TypedInput::text(const std::string& prompt) {
  OperatorInput in = take(OperatorRequest::ask(OperatorRequest::Kind::Value, prompt));
  return in.kind == OperatorInput::Kind::Text ? in.text : "";
}

bool runEditCommand(World& w, DocState& d, const std::string& name, TypedLine& rest) {
  TypedInput in{w, d, rest};
  if (name == "U") {
    undoTimes(in, 1);
    return true;
  }
  if (name == "UNDO") {
    undoCommand(in);
    return true;
  }
  if (name == "REDO") {
    auto step = w.redoStep(d);
    in.say(step ? "やり直し: " + *step : "やり直す操作はありません。");
    return true;
  }
  if (name == "ZOOM" || name == "Z") {
    zoom(in);
    return true;
  }
  if (name == "REGEN" || name == "RE") {
    in.say("モデルを再作図中.");
    return true;
  }
  return runModifyCommand(in, name) || runSettingCommand(in, name);
}

}  // namespace qarn::cad::sim
