// The simulated CAD's command line: the command strings QARN sends, run as the CAD runs them,
// and the commands that wait for the operator to give a point.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cad/sim/dxf_reader.h"
#include "cad/sim/dxf_writer.h"
#include "cad/sim/entity_geometry.h"
#include "cad/sim/sim_world.h"
#include "cad/sim/typed_commands.h"
#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::cad::sim {

namespace {

// The CAD's command line takes a carriage return or a space as the end of one input; a space
// inside double quotes (a file name) belongs to the input, and the quotes are not part of it.
std::vector<std::string> inputs(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (c == '\r' || c == '\n' || (c == ' ' && !quoted)) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

std::optional<Point3> parsePoint(const std::string& s) {
  auto parts = std::vector<std::string>();
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = s.find(',', start);
    parts.push_back(s.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  Point3 p;
  double* slots[3] = {&p.x, &p.y, &p.z};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    char* end = nullptr;
    *slots[i] = std::strtod(parts[i].c_str(), &end);
    if (parts[i].empty() || *end) return std::nullopt;
  }
  return p;
}

bool isObjectSnapOverride(const std::string& s) {
  std::string u = asciiUpper(s);
  return u == "NONE" || u == "_NONE" || u == "NON" || u == "_NON";
}

bool isFilePath(const std::string& s) {
  std::string u = asciiUpper(s);
  auto endsWith = [&](const char* ext) {
    std::size_t n = std::strlen(ext);
    return u.size() > n && u.compare(u.size() - n, n, ext) == 0;
  };
  return s.find_first_of("/\\") != std::string::npos || endsWith(".DWG") || endsWith(".DXF");
}

// "C:\lib\motor.dwg" -> "motor"
std::string baseName(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string commandName(const std::string& token) {
  std::string u = asciiUpper(token);
  while (!u.empty() && (u[0] == '_' || u[0] == '-' || u[0] == '.'))
    u.erase(0, 1);
  return u;
}

}  // namespace

// The file named on an -INSERT line made a block: its name, and whether it was made for this
// insertion only (an exploded one). A block of that name already in the drawing makes the CAD ask
// whether to redefine it: "N" (or Enter) keeps the drawing's own, "Y" reads the file; any other
// answer cancels the insertion, as the CAD does. A file the simulated CAD cannot read (a real
// .dwg: it reads no DWG geometry) inserts nothing, unless the drawing holds a block of that name,
// which is then inserted as it stands.
std::optional<std::pair<std::string, bool>> World::blockFromFile(
    DocState& d, const std::string& path, bool exploded,
    const std::function<std::optional<std::string>()>& next) {
  std::string name = baseName(path);
  std::error_code ec;
  if (!std::filesystem::exists(filePath(path), ec)) {
    transcript.push_back("[" + path + " が見つかりません。挿入を中止しました]");
    return std::nullopt;
  }
  const std::string fileBlock = name;
  bool exists = d.drawing.findBlock(name) != nullptr;
  const bool held = exists;
  if (exploded) {
    // The parts are placed loose; a block only for this insertion holds them meanwhile.
    name = "*QARN_EXPLODED";
    exists = false;
  } else if (exists) {
    auto answer = next();
    std::string a = answer ? asciiUpper(*answer) : "";
    if (a == "N" || a == "NO" || a.empty()) return std::make_pair(name, false);
    if (a != "Y" && a != "YES") {
      transcript.push_back("[ブロック \"" + name + "\" は既に存在します。再定義しますか? " +
                           "[はい(Y)/いいえ(N)] <N>: \"" + (answer ? *answer : "") +
                           "\" は無効な応答です。挿入を中止しました]");
      return std::nullopt;
    }
  }
  try {
    DxfDrawing read = readDxfFile(path);
    importAsBlock(d, read.drawing, name, exists);
  } catch (const DxfError& e) {
    std::string u = asciiUpper(path);
    bool dwg = u.size() >= 4 && u.compare(u.size() - 4, 4, ".DWG") == 0;
    std::string why = dwg ? "シミュレーション CAD は DWG ファイルの図形を読み込めません"
                          : std::string("読み込める DXF 図面ではありません (") + e.what() + ")";
    if (!held) {
      transcript.push_back("[" + path + ": " + why + "．何も挿入しません]");
      return std::nullopt;
    }
    transcript.push_back("[" + path + ": " + why + "．図面にあるブロック " + fileBlock +
                         " を挿入します]");
    return std::make_pair(fileBlock, false);
  } catch (const std::exception& e) {
    transcript.push_back("[" + path + ": " + e.what() + "。挿入を中止しました]");
    return std::nullopt;
  }
  return std::make_pair(name, exploded);
}

void World::sendCommand(DocState& d, const std::string& text) {
  transcript.push_back(text);
  // Whatever waited for a point has had its answer by the time new input arrives.
  if (d.pending) resolvePending(d);
  if (!text.empty() && text.front() == '(') return;  // AutoLISP: outside the simulation

  auto in = inputs(text);
  std::size_t i = 0;
  auto next = [&]() -> std::optional<std::string> {
    if (i >= in.size()) return std::nullopt;
    return in[i++];
  };
  auto selectLast = [&]() -> std::string {
    // "SINGLE" then "LAST": the newest visible entity of model space, selection ended.
    auto a = next(), b = next();
    if (!a || !b || asciiUpper(*a) != "SINGLE" || asciiUpper(*b) != "LAST") return {};
    return d.drawing.lastVisibleEntity();
  };
  // A command that changes what it selected skips an entity on a locked layer, as the CAD does
  // ("1 個はロックされた画層上にあります").
  auto unlocked = [&](const std::string& h) -> std::string {
    if (h.empty()) return h;
    if (d.drawing.onLockedLayer(*d.drawing.findEntity(h))) {
      transcript.push_back("[1 個はロックされた画層上にあります]");
      return {};
    }
    return h;
  };

  while (auto tok = next()) {
    if (tok->empty()) continue;  // a bare Enter at the command prompt
    std::string cmd = commandName(*tok);
    if (cmd == "LINETYPE") {
      while (auto opt = next()) {
        if (opt->empty()) break;
        if (asciiUpper(*opt) != "L" && asciiUpper(*opt) != "_L") continue;
        auto name = next();
        auto file = next();
        if (!name || !file) break;
        if (d.drawing.variables["FILEDIA"].toInt() != 0) {
          // A file dialog would open and wait for the user; the command line sees nothing load.
          transcript.push_back("[ファイル ダイアログが開きました。何も読み込まれません]");
          break;
        }
        bool shipped = false;
        for (const auto& f : profile.linetypeFiles)
          if (asciiUpper(f) == asciiUpper(*file)) shipped = true;
        if (!shipped) continue;
        for (const auto& def : linetypeFileContents()) {
          if (asciiUpper(def.name) != asciiUpper(*name) && *name != "*") continue;
          if (d.drawing.findLinetype(def.name)) continue;  // reloading changes nothing here
          d.drawing.linetypes.push_back({def.name, newHandle(d), def.description, def.pattern});
        }
      }
      continue;
    }
    if (cmd == "COPYBASE") {
      auto p = next();
      if (p && isObjectSnapOverride(*p)) p = next();
      auto base = p ? parsePoint(*p) : std::nullopt;
      std::string last = selectLast();
      if (!base || last.empty()) continue;
      Clipboard clip;
      clip.base = *base;
      const Entity& e = *d.drawing.findEntity(last);
      clip.entities.push_back(e);
      for (const auto& h : e.attributes)
        clip.owned[e.handle].push_back(*d.drawing.findEntity(h));
      d.clipboard = clip;
      continue;
    }
    if (cmd == "ERASE") {
      std::string last = unlocked(selectLast());
      if (!last.empty()) erase(d, last);
      continue;
    }
    if (cmd == "PASTECLIP") {
      if (d.clipboard) d.pending = PendingCommand{PendingCommand::Kind::Paste, {}, "", 1, 1, 0};
      return;  // waits for the insertion point
    }
    if (cmd == "MOVE") {
      std::string last = unlocked(selectLast());
      auto p = next();
      if (p && isObjectSnapOverride(*p)) p = next();
      auto base = p ? parsePoint(*p) : std::nullopt;
      if (last.empty() || !base) continue;
      d.pending = PendingCommand{PendingCommand::Kind::Move, *base, last, 1, 1, 0};
      return;  // waits for the destination
    }
    if (cmd == "INSERT") {
      auto name = next();
      if (!name) return;
      bool exploded = !name->empty() && name->front() == '*';
      std::string target = exploded ? name->substr(1) : *name;
      bool temporary = false;
      if (isFilePath(target)) {
        // A drawing file becomes a block of its base name first.
        auto made = blockFromFile(d, target, exploded, next);
        if (!made) return;  // refused or cancelled: the transcript says why
        target = made->first;
        temporary = made->second;
      }
      PendingCommand pc{PendingCommand::Kind::Insert, {}, target, 1, 1, 0, exploded, temporary};
      // Options before the point: X, Y or S with a scale, R with an angle in degrees.
      while (i + 1 < in.size()) {
        std::string opt = asciiUpper(in[i]);
        if (opt != "X" && opt != "Y" && opt != "S" && opt != "R") break;
        double v = std::strtod(in[i + 1].c_str(), nullptr);
        if (opt == "X") pc.xScale = v;
        if (opt == "Y") pc.yScale = v;
        if (opt == "S") pc.xScale = pc.yScale = v;
        if (opt == "R") pc.rotation = v * 3.14159265358979323846 / 180.0;
        i += 2;
      }
      const Block* def = d.drawing.findBlock(target);
      if (!def || def->isLayout) {
        transcript.push_back("[ブロック " + target + " が見つかりません。挿入を中止しました]");
        return;
      }
      d.pending = pc;
      return;  // waits for the insertion point
    }
    if (cmd == "WBLOCK") {
      if (d.drawing.variables["FILEDIA"].toInt() != 0) {
        transcript.push_back("[ファイル ダイアログが開きました。何も書き出されません]");
        return;
      }
      auto path = next();
      if (!path || path->empty()) return;
      std::error_code ec;
      if (std::filesystem::exists(filePath(*path), ec)) {
        // "この名前の図面は既に存在します。置き換えますか? <N>"
        auto answer = next();
        std::string a = answer ? asciiUpper(*answer) : "";
        if (a != "Y" && a != "YES") {
          transcript.push_back("[" + *path + " は既に存在します。置き換えませんでした]");
          return;
        }
      }
      auto what = next();
      std::string blockName = what ? *what : "";
      if (blockName == "=") blockName = baseName(*path);
      const Block* b = d.drawing.findBlock(blockName);
      if (blockName.empty() || !b || b->isLayout) {
        transcript.push_back("[ブロック \"" + blockName + "\" はありません。何も書き出されません]");
        return;
      }
      try {
        writeBlockFile(d, *b, *path);
      } catch (const std::exception& e) {
        transcript.push_back("[" + *path + " を書き出せません: " + e.what() + "]");
      }
      return;
    }
    if (cmd == "QSAVE") {
      if (d.path.empty()) {
        transcript.push_back("[保存ダイアログが開きました。何も保存されません]");
        return;
      }
      try {
        writeFileAtomically(d.path, writeDxf(d.drawing, d.nextHandle));
        markSaved(d);
      } catch (const std::exception& e) {
        transcript.push_back("[" + d.path + " を保存できません: " + e.what() + "]");
      }
      continue;
    }
    if (cmd == "CLOSE") {
      closeDocument(d.id);
      return;  // the document is gone: nothing more runs in it
    }
    if (cmd == "OPEN") {
      if (d.drawing.variables["FILEDIA"].toInt() != 0) {
        transcript.push_back("[ファイル ダイアログが開きました。何も開かれません]");
        return;
      }
      auto path = next();
      if (!path || path->empty()) return;
      try {
        openDocument(*path, readDxfFile(*path));
      } catch (const std::exception& e) {
        transcript.push_back("[" + *path + " を開けません: " + e.what() + "]");
      }
      return;
    }
    TypedLine rest;
    rest.words.assign(in.begin() + static_cast<std::ptrdiff_t>(i), in.end());
    if (runSentAsTyped(d, cmd, rest)) {
      i = in.size() - rest.words.size();  // what it left are the next commands
      continue;
    }
    // Any other command (script loads, WBLOCK, ...) is kept in the transcript only.
    return;
  }
}

namespace {

// What follows the cursor while a command waits for its point: the clipboard, the entity moved
// (with its attributes), or the block inserted at the origin.
OperatorRequest placementRequest(const DocState& d, const PendingCommand& pc) {
  OperatorRequest r;
  r.kind = OperatorRequest::Kind::Placement;
  r.prompt = pc.kind == PendingCommand::Kind::Move     ? kMoveSecondPointPrompt
             : pc.kind == PendingCommand::Kind::Insert ? kInsertPointPrompt
                                                       : kPastePointPrompt;
  r.base = Point3{};
  switch (pc.kind) {
    case PendingCommand::Kind::Paste:
      r.base = d.clipboard->base;
      for (const Entity& e : d.clipboard->entities) {
        r.moving.push_back(e);
        if (auto it = d.clipboard->owned.find(e.handle); it != d.clipboard->owned.end())
          r.moving.insert(r.moving.end(), it->second.begin(), it->second.end());
      }
      break;
    case PendingCommand::Kind::Move:
      r.base = pc.base;
      r.ortho = d.drawing.variables.count("ORTHOMODE") &&
                d.drawing.variables.at("ORTHOMODE").toInt() != 0;
      if (const Entity* e = d.drawing.findEntity(pc.target)) {
        r.moving.push_back(*e);
        for (const auto& h : e->attributes)
          if (const Entity* a = d.drawing.findEntity(h)) r.moving.push_back(*a);
      }
      break;
    case PendingCommand::Kind::Insert: {
      Entity ref;
      ref.type = EntityType::BlockRef;
      ref.blockName = pc.target;
      ref.xScale = pc.xScale;
      ref.yScale = pc.yScale;
      ref.rotation = pc.rotation;
      r.moving.push_back(ref);
      break;
    }
  }
  return r;
}

}  // namespace

void World::resolvePending(DocState& d) {
  PendingCommand pc = *d.pending;
  d.pending.reset();
  // A block made only to be inserted exploded goes again, whether or not the insertion is made.
  struct DropTemporary {
    DocState& d;
    const PendingCommand& pc;
    ~DropTemporary() {
      const Block* b = pc.temporary ? d.drawing.findBlock(pc.target) : nullptr;
      if (!b) return;
      for (const auto& h : std::vector<std::string>(b->entities))
        d.drawing.entities.erase(h);
      std::erase_if(d.drawing.blocks, [&](const Block& x) { return x.name == pc.target; });
    }
  } drop{d, pc};
  if (!answerable()) return;  // nobody answers: the command is cancelled
  OperatorInput in;
  try {
    in = take(placementRequest(d, pc));
  } catch (const AutomationError&) {
    return;  // Escape cancels
  }
  if (in.kind != OperatorInput::Kind::Point) return;  // Escape or Enter cancels
  Point3 at = in.point;
  switch (pc.kind) {
    case PendingCommand::Kind::Paste: {
      const Clipboard& clip = *d.clipboard;
      for (const Entity& src : clip.entities) {
        Entity e = src;
        e.handle = newHandle(d);
        e.owner = d.drawing.modelSpace().name;
        e.attributes.clear();
        auto it = clip.owned.find(src.handle);
        if (it != clip.owned.end())
          for (Entity a : it->second) {
            a.handle = newHandle(d);
            a.owner = e.handle;
            e.attributes.push_back(a.handle);
            d.drawing.entities[a.handle] = a;
          }
        d.drawing.modelSpace().entities.push_back(e.handle);
        std::string h = e.handle;
        d.drawing.entities[h] = e;
        transform(d, d.drawing.entities[h],
                  Affine::translation(at.x - clip.base.x, at.y - clip.base.y));
      }
      break;
    }
    case PendingCommand::Kind::Move: {
      Entity* e = d.drawing.findEntity(pc.target);
      if (!e) break;
      double dx = at.x - pc.base.x, dy = at.y - pc.base.y;
      if (!in.typed && d.drawing.variables["ORTHOMODE"].toInt() != 0) {
        if (std::abs(dx) >= std::abs(dy))
          dy = 0;
        else
          dx = 0;
      }
      transform(d, *e, Affine::translation(dx, dy));
      break;
    }
    case PendingCommand::Kind::Insert: {
      Block* def = d.drawing.findBlock(pc.target);
      if (!def) break;
      Entity e;
      e.type = EntityType::BlockRef;
      e.p1 = at;
      e.xScale = pc.xScale;
      e.yScale = pc.yScale;
      e.rotation = pc.rotation;
      std::string ref = insertReference(d, d.drawing.modelSpace(), def->name, e).handle;
      if (pc.exploded) {
        // "*name": the parts placed loose where the reference would have been.
        std::vector<Entity> parts = explodeEntity(d.drawing, *d.drawing.findEntity(ref));
        erase(d, ref);
        for (Entity& p : parts) {
          std::string layer = p.layer;
          add(d, d.drawing.modelSpace(), p).layer = layer;
        }
        break;
      }
      // With ATTDIA on the CAD opens its attribute dialog; with ATTREQ on it asks for every
      // value on the command line, and the insertion is lost if nobody answers.
      if (d.drawing.variables["ATTDIA"].toInt() != 0) {
        transcript.push_back("[属性ダイアログが開きました]");
        break;
      }
      if (d.drawing.variables["ATTREQ"].toInt() == 0) break;
      std::vector<std::string> atts = d.drawing.findEntity(ref)->attributes;
      for (const auto& h : atts) {
        std::string tag = d.drawing.findEntity(h)->tag;
        // Enter keeps the definition's default; a typed value becomes the attribute's text.
        OperatorInput given = OperatorInput::of(OperatorInput::Kind::Escape);
        try {
          if (!script.empty() || person)
            given = take(OperatorRequest::ask(OperatorRequest::Kind::Value,
                                              kAttributeValuePrompt + tag + ":"));
        } catch (const AutomationError&) {
        }
        if (given.kind == OperatorInput::Kind::Text) d.drawing.findEntity(h)->text = given.text;
        bool answered =
            given.kind == OperatorInput::Kind::Enter || given.kind == OperatorInput::Kind::Text;
        if (!answered) {
          transcript.push_back("[属性 " + tag + " の値が入力されません。挿入を中止しました]");
          erase(d, ref);
          break;
        }
      }
      break;
    }
  }
}

}  // namespace qarn::cad::sim
