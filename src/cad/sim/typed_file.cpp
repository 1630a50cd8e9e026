// Typed commands: drawings and files. The window shows one drawing at a time, so NEW and OPEN put
// their drawing in the place of the one shown (as a CAD in single-drawing mode does), and nothing
// changed goes without the person's answer to "変更を保存しますか?".
#include <filesystem>

#include "cad/sim/dxf_reader.h"
#include "cad/sim/dxf_writer.h"
#include "cad/sim/sim_world.h"
#include "cad/sim/typed_commands.h"
#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::cad::sim {

namespace {

constexpr const char* kOpenPrompt = "開くファイル名を入力:";
constexpr const char* kSaveAsPrompt = "保存するファイル名を入力:";
constexpr const char* kReplacePrompt = "は既に存在します。置き換えますか? [はい(Y)/いいえ(N)] <N>:";

bool endsWith(const std::string& upper, const char* ext) {
  std::string e = ext;
  return upper.size() > e.size() && upper.compare(upper.size() - e.size(), e.size(), e) == 0;
}

// A text answer to a request, shown in the transcript with its prompt; nothing when the person
// cancelled (Escape), gave no text, or nobody is there.
std::optional<std::string> askText(World& w, OperatorRequest r) {
  if (!w.answerable()) return std::nullopt;
  OperatorInput in;
  try {
    in = w.take(r);
  } catch (const AutomationError&) {
    w.transcript.push_back("[" + r.prompt + " *キャンセル*]");
    return std::nullopt;
  }
  if (in.kind == OperatorInput::Kind::Enter) in.text.clear();
  else if (in.kind != OperatorInput::Kind::Text) return std::nullopt;
  w.transcript.push_back("[" + r.prompt + " " + in.text + "]");
  return trim(in.text);
}

std::optional<std::string> askFile(World& w, const char* prompt, OperatorRequest::File kind) {
  OperatorRequest r = OperatorRequest::ask(OperatorRequest::Kind::Value, prompt);
  r.file = kind;
  auto name = askText(w, r);
  if (!name || name->empty()) return std::nullopt;
  return name;
}

}  // namespace

bool World::isModified(DocState& d) {
  // A drawing that no operation has replaced is compared as its file would be written, so that a
  // change the automation objects make anywhere is seen without each of them saying so.
  if (!d.modified && d.saved &&
      writeDxf(d.drawing, d.nextHandle) != writeDxf(*d.saved, d.savedNextHandle))
    d.modified = true;
  return d.modified;
}

void World::markSaved(DocState& d) {
  d.saved = std::make_shared<Drawing>(d.drawing);
  d.savedNextHandle = d.nextHandle;
  d.modified = false;
}

bool World::saveDocument(DocState& d, bool askName, std::optional<std::string> typedName) {
  std::string path = d.path;
  if (askName || path.empty()) {
    auto name = typedName ? typedName : askFile(*this, kSaveAsPrompt, OperatorRequest::File::Save);
    if (!name) return false;
    path = *name;
    std::string u = asciiUpper(path);
    if (endsWith(u, ".DWG")) {
      transcript.push_back("[シミュレーション CAD は DWG ファイルを書けません。" + path +
                           " は保存しませんでした]");
      return false;
    }
    if (!endsWith(u, ".DXF")) path += ".dxf";
    std::error_code ec;
    // With FILEDIA 1 the file dialog has asked this already.
    if (path != d.path && std::filesystem::exists(filePath(path), ec) &&
        d.drawing.variables["FILEDIA"].toInt() == 0) {
      auto yes = askText(*this, OperatorRequest::ask(OperatorRequest::Kind::Value,
                                                     path + " " + kReplacePrompt));
      std::string a = yes ? asciiUpper(*yes) : "";
      if (a != "Y" && a != "YES") return false;
    }
  }
  if (path == d.path && !d.drawing.notKept.empty()) {
    // Over the file it was opened from, what that file holds beyond the drawing is lost for good.
    std::string lost;
    for (const auto& what : d.drawing.notKept)
      lost += (lost.empty() ? "" : "、") + what;
    auto yes = askText(*this, OperatorRequest::ask(
                                  OperatorRequest::Kind::Value,
                                  path + " に上書きすると次のものは残りません: " + lost +
                                      "。上書きしますか? [はい(Y)/いいえ(N)] <N>:"));
    std::string a = yes ? asciiUpper(*yes) : "";
    if (a != "Y" && a != "YES") return false;
  }
  try {
    writeFileAtomically(path, writeDxf(d.drawing, d.nextHandle));
  } catch (const std::exception& e) {
    transcript.push_back("[" + path + " を保存できません: " + e.what() + "]");
    return false;
  }
  // The file holds only what was written now.
  d.drawing.notKept.clear();
  if (path != d.path) {
    d.path = path;
    d.name = utf8Path(filePath(path).filename());
  }
  markSaved(d);
  return true;
}

bool World::mayDiscard(DocState& d) {
  if (!isModified(d)) return true;
  if (!answerable()) {
    transcript.push_back("[" + d.name + " は変更されています。変更を保存するか尋ねる相手がいないため、" +
                         "中止しました]");
    return false;
  }
  OperatorRequest r = OperatorRequest::ask(OperatorRequest::Kind::Value, kSaveChangesPrompt);
  r.keywords = {kSaveAnswer, kDiscardAnswer, kCancelAnswer};
  for (;;) {
    bool someoneThere = !script.empty() || person;
    auto a = askText(*this, r);
    if (!a || *a == kCancelAnswer) return false;
    if (*a == kSaveAnswer) return saveDocument(d, false);
    if (*a == kDiscardAnswer) return true;
    transcript.push_back(std::string("[") + kSaveAnswer + "、" + kDiscardAnswer + "、" +
                         kCancelAnswer + " のいずれかを入力してください]");
    if (!someoneThere) return false;
  }
}

void World::replaceWithNew(DocState& d) {
  int old = d.id;
  addDocument();
  desktop.addWindow(activeDoc().hwnd, 1600, 860);
  closeDocument(old);
}

void World::replaceWithRead(DocState& d, const std::string& path, DxfDrawing&& read) {
  int old = d.id;
  openDocument(path, std::move(read));
  closeDocument(old);
}

bool runFileCommand(World& w, DocState& d, const std::string& name, TypedLine& rest) {
  // A file name typed on the line itself is taken as the answer to the command's prompt.
  auto given = [&](const char* prompt, OperatorRequest::File kind) -> std::optional<std::string> {
    if (auto word = rest.next()) {
      w.transcript.push_back(std::string("[") + prompt + " " + *word + "]");
      return word;
    }
    return askFile(w, prompt, kind);
  };
  if (name == "NEW") {
    if (w.mayDiscard(d)) w.replaceWithNew(d);
    return true;
  }
  if (name == "OPEN") {
    if (!w.mayDiscard(d)) return true;
    auto path = given(kOpenPrompt, OperatorRequest::File::Open);
    if (!path) return true;
    try {
      w.replaceWithRead(d, *path, readDxfFile(*path));
    } catch (const std::exception& e) {
      w.transcript.push_back("[" + *path + " を開けません: " + e.what() + "]");
    }
    return true;
  }
  if (name == "CLOSE") {
    if (!w.mayDiscard(d)) return true;
    // The window always shows a drawing: the last one closed leaves a new one in its place.
    if (w.docs.size() == 1)
      w.replaceWithNew(d);
    else
      w.closeDocument(d.id);
    return true;
  }
  if (name == "QSAVE") {
    w.saveDocument(d, false);
    return true;
  }
  if (name == "SAVEAS") {
    auto word = rest.next();
    if (word) w.transcript.push_back(std::string("[") + kSaveAsPrompt + " " + *word + "]");
    w.saveDocument(d, true, word);
    return true;
  }
  return false;
}

}  // namespace qarn::cad::sim
