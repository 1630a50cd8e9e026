#pragma once
// The two sides the simulated CAD talks to besides its automation clients: the operator who
// answers its requests (a script for the tests and the command-line tool, a person at the drawing
// window), and observers told when its drawing or view changes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/geometry.h"
#include "cad/sim/drawing.h"

namespace qarn::cad::sim {

struct OperatorInput {
  // Selection: the entities picked one by one, and boxes; Window, Crossing: a box from `point` to
  // `corner`; All: every entity of model space; Text: a value typed on the command line.
  enum class Kind {
    Point,
    Entity,
    Selection,
    Window,
    Crossing,
    All,
    Distance,
    Text,
    Enter,
    Escape
  };
  struct Box {
    bool window = true;  // a window takes what lies wholly inside, a crossing what it touches
    Point3 a, b;
  };
  Kind kind = Kind::Enter;
  Point3 point, corner;
  std::string handle;
  std::vector<std::string> handles;
  std::vector<Box> boxes;  // selection
  double distance = 0;
  std::string text;  // Text
  // A point typed as coordinates rather than picked: taken as it stands, ortho bends only picks.
  bool typed = false;
  static OperatorInput of(Kind k) {
    OperatorInput in;
    in.kind = k;
    return in;
  }
};

// What the CAD asks for, with what its own window would show while it waits.
struct OperatorRequest {
  enum class Kind {
    Point,      // a point; a rubber line from `base` when there is one
    Entity,     // one entity
    Selection,  // entities until Enter
    Distance,   // a typed number, or two points (the first is `base` when given)
    Placement,  // a point where `moving` goes, following the cursor by `base`
    Value,      // a text on the command line (Enter takes the default)
  };
  Kind kind = Kind::Point;
  std::string prompt;
  std::optional<Point3> base;
  std::vector<Entity> moving;  // placement: the entities as they stand, attributes included
  bool ortho = false;          // placement: only along the axes through `base`
  // Value: the answers offered (a window may show them as buttons).
  std::vector<std::string> keywords;
  // Value: a file name, which a CAD asks with its file dialog while FILEDIA is 1.
  enum class File { None, Open, Save };
  File file = File::None;
  static OperatorRequest ask(Kind k, std::string prompt, std::optional<Point3> base = {}) {
    OperatorRequest r;
    r.kind = k;
    r.prompt = std::move(prompt);
    r.base = base;
    return r;
  }
};

// What the CAD says when it asks by itself, worded as a CAD localised for Japan words it; the
// English command names stay as they are typed.
inline constexpr const char* kSelectObjectsPrompt = "オブジェクトを選択:";
inline constexpr const char* kSecondPointPrompt = "2 点目を指定:";
inline constexpr const char* kMoveSecondPointPrompt =
    "目的点を指定 または <1 点目を移動距離として使用>:";
inline constexpr const char* kInsertPointPrompt =
    "挿入位置を指定 または [基点(B)/尺度(S)/X/Y/Z/回転(R)]:";
inline constexpr const char* kPastePointPrompt = "挿入位置を指定:";
// Before a changed drawing goes, with its three answers.
inline constexpr const char* kSaveChangesPrompt = "変更を保存しますか?";
inline constexpr const char* kSaveAnswer = "保存";
inline constexpr const char* kDiscardAnswer = "保存しない";
inline constexpr const char* kCancelAnswer = "キャンセル";
inline constexpr const char* kAttributeValuePrompt = "属性値を入力 ";  // + the tag + ":"
// Coordinates typed at a point prompt: "x,y" or "x,y,z", or "@dx,dy" from `base` (the point the
// request measures from). Nothing when the text is no point or a relative one has no base.
std::optional<Point3> readTypedPoint(std::string_view text, std::optional<Point3> base);

class Operator {
 public:
  virtual ~Operator() = default;
  // The answer; Escape cancels the request as in a real CAD.
  virtual OperatorInput answer(const OperatorRequest& request) = 0;
};

class Observer {
 public:
  virtual ~Observer() = default;
  // After each automation call and each change made through the simulated CAD's own interface.
  virtual void drawingChanged() = 0;
  virtual void zoomExtents() {}
  virtual void zoomCenter(Point3 centre, double height) {}
};

}  // namespace qarn::cad::sim
