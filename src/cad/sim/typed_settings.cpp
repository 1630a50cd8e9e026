// Typed commands that set the drawing up: system variables (SETVAR, or a variable's name typed as
// a command) and -LAYER.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "cad/numbers.h"
#include "cad/sim/drawing_listing.h"
#include "cad/sim/typed_input.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

// A variable's value as the CAD shows it in its prompt: reals with four decimals, texts quoted.
std::string shown(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Double: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.4f", v.toDouble());
      return buf;
    }
    case Value::Kind::Text: {
      std::string s = "\"";
      s.append(v.toText()).push_back('"');
      return s;
    }
    case Value::Kind::DoubleArray: {
      std::string s;
      for (double x : v.doubles()) {
        if (!s.empty()) s.push_back(',');
        s.append(listingNumber(x));
      }
      return s;
    }
    default:
      return std::to_string(v.toInt());
  }
}

// The variables that are switches, and the real ones with a lower bound (inclusive or not).
bool isSwitch(const std::string& name) {
  for (const char* n : {"ATTDIA", "ATTREQ", "FILEDIA", "ORTHOMODE", "CMDECHO"})
    if (name == n) return true;
  return false;
}

// Why `text` cannot become the value of `name`; empty when it can (then `out` holds it).
std::string refusal(DocState& d, const std::string& name, const std::string& text, Value& out) {
  const Value& now = d.drawing.variables.at(name);
  if (name == "SCREENSIZE" || name == "VIEWSIZE") return name + " は読み込み専用です。";
  switch (now.kind()) {
    case Value::Kind::Int16:
    case Value::Kind::Int: {
      char* end = nullptr;
      long v = std::strtol(text.c_str(), &end, 10);
      bool integer = !text.empty() && *end == '\0';
      if (isSwitch(name) && (!integer || v < 0 || v > 1))
        return "0 から 1 の整数を入力してください。";
      if (name == "OSMODE" && (!integer || v < 0 || v > 32767))
        return "0 から 32767 の整数を入力してください。";
      if (now.kind() == Value::Kind::Int16 && (!integer || v < -32768 || v > 32767))
        return "-32768 から 32767 の整数を入力してください。";
      if (!integer || v < -2147483647L - 1 || v > 2147483647L) return "整数を入力してください。";
      out = now.kind() == Value::Kind::Int16 ? Value::int16(static_cast<std::int16_t>(v))
                                             : Value(static_cast<int>(v));
      return {};
    }
    case Value::Kind::Double: {
      auto v = tryReadNumber(text);
      if (!v || !std::isfinite(*v)) return "数値を入力してください。";
      if (name == "DIMTXT" && *v <= 0) return "値は 0 より大きくなければなりません。";
      if ((name == "DIMSCALE" || name == "DIMASZ") && *v < 0)
        return "値は 0 以上でなければなりません。";
      out = Value(*v);
      return {};
    }
    case Value::Kind::Text: {
      if (name != "CLAYER") {
        out = Value(text);
        return {};
      }
      Layer* l = d.drawing.findLayer(text);
      if (!l) return "画層 \"" + text + "\" が見つかりません。";
      if (l->frozen) return "フリーズされた画層は現在画層にできません。";
      out = Value(l->name);
      return {};
    }
    default:
      return name + " は読み込み専用です。";
  }
}

void setVariable(TypedInput& in, const std::string& name) {
  Value& now = in.d.drawing.variables.at(name);
  std::string text = in.text(name + " の新しい値を入力 <" + shown(now) + ">:");
  if (text.empty()) return;  // Enter keeps the value
  Value v;
  std::string why = refusal(in.d, name, text, v);
  if (!why.empty()) return in.say(why);
  now = v;
  in.w.variableWrites.push_back(name + " = " +
                                (v.kind() == Value::Kind::Text     ? v.toText()
                                 : v.kind() == Value::Kind::Double ? listingNumber(v.toDouble())
                                                                   : std::to_string(v.toInt())));
  if (name == "DIMSCALE" && in.w.onDimscaleTyped) in.w.onDimscaleTyped(v.toDouble());
}

void setvar(TypedInput& in) {
  std::string name = asciiUpper(in.text("変数名を入力 または [?]:"));
  if (name.empty()) return;
  auto& vars = in.d.drawing.variables;
  if (name == "?") {
    for (const auto& [n, v] : vars)
      in.say(n + " = " + shown(v));
    return;
  }
  if (!vars.count(name))
    return in.say("変数名が不明です。SETVAR ? と入力すると変数の一覧が表示されます。");
  setVariable(in, name);
}

// -LAYER: one option after another until Enter.
void layer(TypedInput& in) {
  Drawing& dr = in.d.drawing;
  in.say("現在の画層: \"" + dr.variables["CLAYER"].toText() + "\"");
  for (;;) {
    std::string k = asciiUpper(in.text(
        "オプションを入力 [設定(S)/オン(ON)/オフ(OFF)/フリーズ(F)/フリーズ解除(T)/ロック(LO)/"
        "ロック解除(U)]:"));
    while (!k.empty() && k[0] == '_')
      k.erase(0, 1);
    if (k.empty()) return;
    if (k == "S" || k == "SET") {
      std::string name = in.text("現在にする画層の名前を入力 または <変更しない>:");
      if (name.empty()) continue;
      Value v;
      std::string why = refusal(in.d, "CLAYER", name, v);
      if (!why.empty()) {
        in.say(why);
        continue;
      }
      dr.variables["CLAYER"] = v;
      in.w.variableWrites.push_back("CLAYER = " + v.toText());
      continue;
    }
    const char* prompt = k == "ON"    ? "オンにする画層の名前のリストを入力:"
                         : k == "OFF" ? "オフにする画層の名前のリストを入力:"
                         : k == "F" || k == "FREEZE" ? "フリーズする画層の名前のリストを入力:"
                         : k == "T" || k == "THAW" ? "フリーズ解除する画層の名前のリストを入力:"
                         : k == "LO" || k == "LOCK" ? "ロックする画層の名前のリストを入力:"
                         : k == "U" || k == "UNLOCK" ? "ロック解除する画層の名前のリストを入力:"
                                                     : nullptr;
    if (!prompt) {
      in.say(kInvalidKeyword);
      continue;
    }
    std::string names = in.text(prompt);
    if (names.empty()) continue;
    const std::string current = dr.variables["CLAYER"].toText();
    bool matched = false;
    for (Layer& l : dr.layers) {
      if (!wildcardMatch(names, l.name)) continue;
      matched = true;
      bool isCurrent = asciiUpper(l.name) == asciiUpper(current);
      if (k == "ON") {
        l.on = true;
      } else if (k == "OFF") {
        if (isCurrent) {
          std::string a = asciiUpper(in.text("本当に現在画層 \"" + l.name +
                                             "\" をオフにしますか? [はい(Y)/いいえ(N)] <N>:"));
          if (a != "Y" && a != "YES") continue;
        }
        l.on = false;
      } else if (k[0] == 'F') {
        if (isCurrent) {
          in.say("画層 \"" + l.name + "\" : 現在画層は凍結できません");
          continue;
        }
        l.frozen = true;
      } else if (k[0] == 'T') {
        l.frozen = false;
      } else if (k == "LO" || k == "LOCK") {
        l.locked = true;
      } else {
        l.locked = false;
      }
    }
    if (!matched) in.say("該当する画層が見つかりません。");
  }
}

}  // namespace

bool runSettingCommand(TypedInput& in, const std::string& name) {
  if (name == "SETVAR" || name == "SET") {
    setvar(in);
    return true;
  }
  if (name == "LAYER" || name == "LA") {
    layer(in);
    return true;
  }
  // A system variable's name typed as a command asks for its new value.
  if (in.d.drawing.variables.count(name)) {
    setVariable(in, name);
    return true;
  }
  return false;
}

}  // namespace qarn::cad::sim
