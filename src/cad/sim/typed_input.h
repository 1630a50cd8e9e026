#pragma once
// What the typed commands share: their answers taken from the rest of the typed line first and
// then from the operator, each prompt and answer written to the transcript as a CAD's command
// window shows them, and the selection of objects.
#include <string>
#include <string_view>
#include <vector>

#include "cad/sim/sim_world.h"
#include "cad/sim/typed_commands.h"

namespace qarn::cad::sim {

// '*' any run, '?' one character, ',' alternatives; ASCII case ignored.
bool wildcardMatch(std::string_view pattern, std::string_view text);

// Messages of the command window, worded as a CAD localised for Japan words them.
inline constexpr const char* kPointOrKeyword = "点、またはオプション キーワードが必要です。";
inline constexpr const char* kInvalidKeyword = "無効なオプション キーワードです。";
inline constexpr const char* kCancelled = "*キャンセル*";

struct TypedInput {
  World& w;
  DocState& d;
  TypedLine& rest;

  // The next input of the line (a point where the request takes one), or else the operator's
  // answer; Escape raises as `World::take` does.
  OperatorInput take(const OperatorRequest& r);
  // A request answered by a text (Enter gives an empty one).
  std::string text(const std::string& prompt);
  void say(const std::string& message) { w.transcript.push_back("[" + message + "]"); }
  // The objects chosen at "オブジェクトを選択:": model space entities on layers on and thawed.
  // Those on locked layers are left out with a message when `editable`.
  std::vector<std::string> select(bool editable);
};

// Typed commands by kind; each returns false when `name` is not its own.
bool runModifyCommand(TypedInput& in, const std::string& name);   // ERASE, MOVE, COPY
bool runSettingCommand(TypedInput& in, const std::string& name);  // SETVAR, variables, -LAYER

}  // namespace qarn::cad::sim
