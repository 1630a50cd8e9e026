#include "cad/sim/sim_world.h"

// The simulated CAD's shared state: documents, handles, the operator's answers, counted calls and
// the entity operations the automation objects and the command line share.
#include <cstdio>

#include "cad/sim/dxf_reader.h"
#include "cad/sim/entity_geometry.h"

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

DocState& World::doc(int id) {
  for (auto& d : docs)
    if (d->id == id) return *d;
  fail("The document was closed");
}

DocState& World::activeDoc() {
  if (active < 0 || active >= static_cast<int>(docs.size())) fail("No document is open");
  return *docs[active];
}

void World::closeDocument(int id) {
  for (std::size_t i = 0; i < docs.size(); ++i)
    if (docs[i]->id == id) {
      docs.erase(docs.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  active = static_cast<int>(docs.size()) - 1;
}

void World::addDocument() {
  auto d = std::make_unique<DocState>();
  d->id = nextDocId++;
  d->name = "Drawing" + std::to_string(d->id) + ".dwg";
  DocState& ds = *d;
  d->drawing = newDrawing([&ds] { return newHandle(ds); });
  d->hwnd = appWindow + 0x10 * static_cast<WindowHandle>(d->id);
  if (newDrawingDimscale) d->drawing.variables["DIMSCALE"] = Value(*newDrawingDimscale);
  if (newDrawingOsmode) d->drawing.variables["OSMODE"] = Value::int16(*newDrawingOsmode);
  markSaved(*d);
  d->history.reset(d->saved);
  d->settledAt = edits;
  docs.push_back(std::move(d));
  active = static_cast<int>(docs.size()) - 1;
}

void World::openDocument(const std::string& path, DxfDrawing&& read) {
  auto d = std::make_unique<DocState>();
  d->id = nextDocId++;
  std::size_t slash = path.find_last_of("/\\");
  d->name = slash == std::string::npos ? path : path.substr(slash + 1);
  d->path = path;
  d->drawing = std::move(read.drawing);
  d->nextHandle = read.nextHandle;
  d->hwnd = appWindow + 0x10 * static_cast<WindowHandle>(d->id);
  desktop.addWindow(d->hwnd, 1600, 860);
  // The person's snaps stay theirs whatever drawing they open, as a CAD keeps them in its profile.
  if (newDrawingOsmode) d->drawing.variables["OSMODE"] = Value::int16(*newDrawingOsmode);
  markSaved(*d);
  d->history.reset(d->saved);
  d->settledAt = edits;
  docs.push_back(std::move(d));
  active = static_cast<int>(docs.size()) - 1;
}

void World::enter(std::string_view member, const std::string& m) {
  ++calls;
  ++edits;
  ++callsByMember[m];
  // While the person answers a request the CAD is busy with it, as a real one is.
  if (answering > 0) throw AutomationError(status::kCallRejected, "Call was rejected by callee.");
  if (failAtCall != 0 && calls == failAtCall) {
    failAtCall = 0;
    fail("Injected failure of call " + std::to_string(calls) + " (" + std::string(member) + ")");
  }
  if (failingMembers.count(m)) fail("Injected failure of " + std::string(member));
}

OperatorInput World::take(const OperatorRequest& request) {
  prompts.push_back(request.prompt);
  OperatorInput in;
  if (!script.empty()) {
    in = script.front();
    script.pop_front();
  } else if (standingPoint) {
    in.kind = OperatorInput::Kind::Point;
    in.point = *standingPoint;
  } else if (person) {
    struct Busy {
      int& n;
      explicit Busy(int& n) : n(++n) {}
      ~Busy() { --n; }
    } busy(answering);
    in = person->answer(request);
  } else {
    fail("The operator gave no answer to \"" + request.prompt + "\"");
  }
  if (in.kind == OperatorInput::Kind::Escape) fail("User cancelled (Escape)");
  return in;
}

void World::changed() {
  for (Observer* o : std::vector<Observer*>(observers)) {
    try {
      o->drawingChanged();
    } catch (...) {
    }
  }
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

void World::settle(DocState& d) {
  if (d.settledAt != edits) d.history.absorb(d.drawing, "GROUP");
  d.settledAt = edits;
}

void World::startUndoGroup(DocState& d, const std::string& name) {
  endUndoGroup(d);
  settle(d);
  d.undoDepth = 1;
  d.groupName = name;
}

void World::endUndoGroup(DocState& d) {
  if (d.undoDepth == 0) return;
  d.undoDepth = 0;
  d.history.commit(d.drawing, d.groupName);
  d.settledAt = edits;
}

std::optional<std::string> World::undoStep(DocState& d) {
  endUndoGroup(d);
  settle(d);
  auto name = d.history.undo(d.drawing);
  if (!name) return name;
  ++d.erasures;  // entities may have left
  changed();
  return name;
}

std::optional<std::string> World::redoStep(DocState& d) {
  endUndoGroup(d);
  settle(d);
  auto name = d.history.redo(d.drawing);
  if (!name) return name;
  ++d.erasures;
  changed();
  return name;
}

}  // namespace qarn::cad::sim
