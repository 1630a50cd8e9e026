#include "cad/sim/sim_world.h"

#include <cstdio>

#include "cad/sim/dxf_reader.h"
#include "cad/sim/entity_geometry.h"
#include "cad/text.h"

namespace qarn::cad::sim {

void fail(const std::string& message) {
  throw AutomationError(status::kException, message);
}

void memberNotFound(std::string_view member) {
  throw AutomationError(status::kMemberNotFound, "Unknown name: " + std::string(member));
}

std::string World::newHandle(DocState& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lX", d.nextHandle++);
  return buf;
}

DocState& World::doc(int index) {
  if (index < 0 || index >= static_cast<int>(docs.size())) fail("The document was closed");
  return *docs[index];
}

DocState& World::activeDoc() {
  return doc(active);
}

void World::addDocument() {
  auto d = std::make_unique<DocState>();
  d->name = "Drawing" + std::to_string(docs.size() + 1) + ".dwg";
  DocState& ds = *d;
  d->drawing = newDrawing([&ds] { return newHandle(ds); });
  d->hwnd = appWindow + 0x10 * static_cast<WindowHandle>(docs.size() + 1);
  docs.push_back(std::move(d));
  active = static_cast<int>(docs.size()) - 1;
}

void World::openDocument(const std::string& name, DxfDrawing&& read) {
  auto d = std::make_unique<DocState>();
  d->name = name;
  d->drawing = std::move(read.drawing);
  d->nextHandle = read.nextHandle;
  d->hwnd = appWindow + 0x10 * static_cast<WindowHandle>(docs.size() + 1);
  desktop.addWindow(d->hwnd, 1600, 860);
  docs.push_back(std::move(d));
  active = static_cast<int>(docs.size()) - 1;
}

void World::enter(std::string_view member) {
  std::string m(member);
  for (char& c : m)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  ++calls;
  ++callsByMember[m];
  if (failAtCall != 0 && calls == failAtCall) {
    failAtCall = 0;
    fail("Injected failure of call " + std::to_string(calls) + " (" + std::string(member) + ")");
  }
  if (failingMembers.count(m)) fail("Injected failure of " + std::string(member));
}

OperatorInput World::take(const std::string& prompt) {
  prompts.push_back(prompt);
  if (script.empty() && standingPoint) {
    OperatorInput in;
    in.kind = OperatorInput::Kind::Point;
    in.point = *standingPoint;
    return in;
  }
  if (script.empty()) fail("The operator gave no answer to \"" + prompt + "\"");
  OperatorInput in = script.front();
  script.pop_front();
  if (in.kind == OperatorInput::Kind::Escape) fail("User cancelled (Escape)");
  return in;
}

Entity& World::add(DocState& d, Block& owner, Entity e) {
  e.handle = newHandle(d);
  e.owner = owner.name;
  e.layer = d.drawing.variables["CLAYER"].toText();
  e.color = 256;
  e.linetype = "BYLAYER";
  owner.entities.push_back(e.handle);
  return d.drawing.entities[e.handle] = std::move(e);
}

Entity& World::insertReference(DocState& d, Block& owner, const std::string& defName, Entity e) {
  const Block* def = d.drawing.findBlock(defName);
  e.blockName = def->name;
  Point3 origin = def->origin;
  std::vector<std::string> defs = def->entities;
  std::string refHandle = add(d, owner, e).handle;
  Entity& ref = *d.drawing.findEntity(refHandle);
  Affine t = referenceTransform(ref, origin);
  for (const auto& h : defs) {
    const Entity* ad = d.drawing.findEntity(h);
    if (!ad || ad->type != EntityType::AttributeDef || ad->constant) continue;
    Entity att = *ad;
    att.type = EntityType::Attribute;
    att.prompt.clear();  // a reference's attribute has no prompt of its own
    att.handle = newHandle(d);
    att.owner = refHandle;
    transformEntity(att, t);
    ref.attributes.push_back(att.handle);
    d.drawing.entities[att.handle] = att;
  }
  return ref;
}

std::string World::copy(DocState& d, const Entity& src) {
  Entity e = src;
  e.handle = newHandle(d);
  e.attributes.clear();
  for (const auto& h : src.attributes) {
    if (const Entity* att = d.drawing.findEntity(h)) {
      Entity a = *att;
      a.handle = newHandle(d);
      a.owner = e.handle;
      e.attributes.push_back(a.handle);
      d.drawing.entities[a.handle] = a;
    }
  }
  if (src.type == EntityType::Attribute) {
    // A copy of an attribute belongs to the same block reference, after the original's siblings.
    if (Entity* ref = d.drawing.findEntity(src.owner)) ref->attributes.push_back(e.handle);
  } else if (Block* owner = d.drawing.findBlock(src.owner)) {
    owner->entities.push_back(e.handle);
  }
  std::string h = e.handle;
  d.drawing.entities[h] = std::move(e);
  return h;
}

void World::erase(DocState& d, const std::string& handle) {
  Entity* e = d.drawing.findEntity(handle);
  if (!e) return;
  ++d.erasures;
  std::string h = e->handle;
  for (const auto& a : e->attributes)
    d.drawing.entities.erase(a);
  if (e->type == EntityType::Attribute) {
    if (Entity* ref = d.drawing.findEntity(e->owner)) std::erase(ref->attributes, h);
  } else if (Block* owner = d.drawing.findBlock(e->owner)) {
    std::erase(owner->entities, h);
  }
  d.drawing.entities.erase(h);
}

void World::transform(DocState& d, Entity& e, const Affine& t) {
  transformEntity(e, t);
  for (const auto& a : e.attributes)
    if (Entity* att = d.drawing.findEntity(a)) transformEntity(*att, t);
}

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

std::string commandName(const std::string& token) {
  std::string u = asciiUpper(token);
  while (!u.empty() && (u[0] == '_' || u[0] == '-' || u[0] == '.'))
    u.erase(0, 1);
  return u;
}

}  // namespace

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
  // ("1 was on a locked layer").
  auto unlocked = [&](const std::string& h) -> std::string {
    if (h.empty()) return h;
    if (d.drawing.onLockedLayer(*d.drawing.findEntity(h))) {
      transcript.push_back("[1 was on a locked layer]");
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
          transcript.push_back("[file dialog opened: nothing loaded]");
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
      PendingCommand pc{PendingCommand::Kind::Insert, {}, *name, 1, 1, 0};
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
      const Block* def = d.drawing.findBlock(*name);
      // A drawing file or an exploded insert (a leading "*") is outside the simulation.
      if (!def || def->isLayout || name->front() == '*') return;
      d.pending = pc;
      return;  // waits for the insertion point
    }
    if (cmd == "OPEN") {
      if (d.drawing.variables["FILEDIA"].toInt() != 0) {
        transcript.push_back("[file dialog opened: nothing opened]");
        return;
      }
      auto path = next();
      if (!path || path->empty()) return;
      try {
        DxfDrawing read = readDxfFile(*path);
        std::string name = *path;
        std::size_t slash = name.find_last_of("/\\");
        if (slash != std::string::npos) name.erase(0, slash + 1);
        openDocument(name, std::move(read));
      } catch (const std::exception& e) {
        transcript.push_back("[" + *path + " not opened: " + e.what() + "]");
      }
      return;
    }
    // Any other command (script loads, WBLOCK, ...) is kept in the transcript only.
    return;
  }
}

void World::resolvePending(DocState& d) {
  PendingCommand pc = *d.pending;
  d.pending.reset();
  if (script.empty() && !standingPoint) return;  // nobody answers: the command is cancelled
  OperatorInput in;
  try {
    in = take(pc.kind == PendingCommand::Kind::Move ? "Specify second point:"
                                                    : "Specify insertion point:");
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
      if (d.drawing.variables["ORTHOMODE"].toInt() != 0) {
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
      // With ATTDIA on the CAD opens its attribute dialog; with ATTREQ on it asks for every
      // value on the command line, and the insertion is lost if nobody answers.
      if (d.drawing.variables["ATTDIA"].toInt() != 0) {
        transcript.push_back("[attribute dialog opened]");
        break;
      }
      if (d.drawing.variables["ATTREQ"].toInt() == 0) break;
      std::vector<std::string> atts = d.drawing.findEntity(ref)->attributes;
      for (const auto& h : atts) {
        std::string tag = d.drawing.findEntity(h)->tag;
        bool answered = false;
        try {
          answered = !script.empty() && take("Enter attribute value " + tag + ":").kind ==
                                            OperatorInput::Kind::Enter;
        } catch (const AutomationError&) {
        }
        if (!answered) {
          transcript.push_back("[attribute value for " + tag + " not given: insertion cancelled]");
          erase(d, ref);
          break;
        }
      }
      break;
    }
  }
}

}  // namespace qarn::cad::sim
