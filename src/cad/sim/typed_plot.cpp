// Typed commands: printing. PLOT asks, as the CAD's command-line plot does, for the paper, the
// orientation, the area, the scale, colour or not and the file, each with a default taken by
// Enter, and prints the drawing to a PDF or a PNG file.
#include <cmath>
#include <filesystem>

#include "cad/automation_error.h"
#include "cad/numbers.h"
#include "cad/sim/sim_world.h"
#include "cad/sim/typed_commands.h"
#include "cad/text.h"
#ifdef QARN_WITH_PLOT  // built where libpng and its zlib are (not in the cross build for Wine)
#include "cad/sim/plot.h"
#endif

namespace qarn::cad::sim {

#ifdef QARN_WITH_PLOT
namespace {

using Kind = OperatorRequest::Kind;

// The prompts, worded as the CAD localised for Japan words its own.
constexpr const char* kPaperPrompt = "用紙サイズを入力 [A4/A3] <A4>:";
constexpr const char* kOrientationPrompt = "用紙の向きを入力 [縦(P)/横(L)] <縦>:";
constexpr const char* kAreaPrompt =
    "印刷領域を入力 [オブジェクト範囲(E)/窓(W)] <オブジェクト範囲>:";
constexpr const char* kFirstCornerPrompt = "印刷する窓の 1 点目を指定:";
constexpr const char* kOtherCornerPrompt = "もう一方のコーナーを指定:";
constexpr const char* kScalePrompt = "印刷尺度を入力 (1:N) または [フィット(F)] <フィット>:";
constexpr const char* kColourPrompt = "カラーで印刷しますか? [はい(Y)/いいえ(N)] <いいえ>:";
constexpr const char* kFilePrompt = "印刷ファイル名を入力 (.pdf/.png) <";  // + default + ">:"

struct Refused {
  std::string why;
};

// The next input: from the typed line while it has some, else asked. Empty for Enter.
std::string value(World& w, TypedLine& rest, const std::string& prompt) {
  if (auto word = rest.next()) {
    w.prompts.push_back(prompt);
    return *word;
  }
  OperatorInput in = w.take(OperatorRequest::ask(Kind::Value, prompt));
  if (in.kind == OperatorInput::Kind::Text) return std::string(trimView(in.text));
  if (in.kind == OperatorInput::Kind::Enter) return {};
  throw Refused{"\"" + prompt + "\" には文字を入力してください"};
}

Point3 corner(World& w, TypedLine& rest, const std::string& prompt, std::optional<Point3> base) {
  if (auto word = rest.next()) {
    w.prompts.push_back(prompt);
    if (auto p = readTypedPoint(*word, base)) return *p;
    throw Refused{"\"" + *word + "\" は点ではありません"};
  }
  OperatorInput in = w.take(OperatorRequest::ask(Kind::Point, prompt, base));
  if (in.kind == OperatorInput::Kind::Point) return in.point;
  if (in.kind == OperatorInput::Kind::Text)
    if (auto p = readTypedPoint(in.text, base)) return *p;
  throw Refused{"\"" + prompt + "\" には点を指定してください"};
}

// One of the keywords (upper case) the answer stands for, or refused.
std::string keyword(const std::string& answer,
                    std::initializer_list<std::pair<const char*, const char*>> words) {
  std::string u = asciiUpper(answer);
  for (const auto& [typed, meant] : words)
    if (u == typed) return meant;
  throw Refused{"\"" + answer + "\" はこの問いの答えにありません"};
}

std::string defaultFile(const DocState& d) {
  std::filesystem::path p =
      d.path.empty() ? std::filesystem::path(d.name) : std::filesystem::path(d.path);
  if (p.stem().empty()) p = "Drawing1";
  return p.replace_extension(".pdf").string();
}

}  // namespace
#endif

bool runPlotCommand(World& w, DocState& d, const std::string& name, TypedLine& rest) {
  if (name != "PLOT") return false;
#ifndef QARN_WITH_PLOT
  w.transcript.push_back("[この環境では印刷できません (PNG と圧縮のライブラリがありません)]");
  return true;
#else
  try {
    PlotOptions o;
    std::string paper =
        keyword(value(w, rest, kPaperPrompt), {{"", "A4"}, {"A4", "A4"}, {"A3", "A3"}});
    o.paper = paper == "A3" ? Paper::A3 : Paper::A4;
    o.landscape = keyword(value(w, rest, kOrientationPrompt),
                          {{"", "P"}, {"P", "P"}, {"縦", "P"}, {"L", "L"}, {"横", "L"}}) == "L";
    std::string area = keyword(value(w, rest, kAreaPrompt), {{"", "E"}, {"E", "E"}, {"W", "W"}});
    if (area == "W") {
      Point3 a = corner(w, rest, kFirstCornerPrompt, std::nullopt);
      Point3 b = corner(w, rest, kOtherCornerPrompt, a);
      o.window = std::make_pair(a, b);
    }
    std::string scale = value(w, rest, kScalePrompt);
    if (!scale.empty() && asciiUpper(scale) != "F") {
      auto sep = scale.find_first_of(":=");
      auto one = sep == std::string::npos ? std::nullopt : tryReadNumber(scale.substr(0, sep));
      auto n = sep == std::string::npos ? std::nullopt : tryReadNumber(scale.substr(sep + 1));
      if (!one || !n || *one <= 0 || *n <= 0 || !std::isfinite(*n / *one))
        throw Refused{"印刷尺度 \"" + scale + "\" は 1:N の形ではありません"};
      o.scale = *n / *one;
    }
    o.colour = keyword(value(w, rest, kColourPrompt), {{"", "N"},
                                                       {"N", "N"},
                                                       {"NO", "N"},
                                                       {"いいえ", "N"},
                                                       {"Y", "Y"},
                                                       {"YES", "Y"},
                                                       {"はい", "Y"}}) == "Y";
    std::string fallback = defaultFile(d);
    std::string file = value(w, rest, kFilePrompt + fallback + ">:");
    if (file.empty()) file = fallback;
    auto format = plotFormatOf(file);
    if (!format) throw Refused{"\"" + file + "\" は .pdf でも .png でもありません"};
    PlotReport r = plotDrawing(d.drawing, o, *format, file);
    for (const auto& note : r.notes)
      w.transcript.push_back("[" + note + "]");
    w.transcript.push_back("[" + file + " に印刷しました]");
  } catch (const Refused& r) {
    w.transcript.push_back("[" + r.why + "。印刷を中止しました]");
  } catch (const PlotError& e) {
    w.transcript.push_back("[" + std::string(e.what()) + "。印刷を中止しました]");
  } catch (const AutomationError&) {
    w.transcript.push_back("*キャンセル*");
  }
  return true;
#endif
}

}  // namespace qarn::cad::sim
