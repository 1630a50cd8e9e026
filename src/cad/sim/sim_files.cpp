// The simulated CAD's drawing files on its command line: a drawing inserted as a block, a block
// written out as a drawing of its own.
#include <fstream>
#include <functional>
#include <stdexcept>

#include "cad/sim/dxf_writer.h"
#include "cad/sim/entity_geometry.h"
#include "cad/sim/sim_world.h"
#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::cad::sim {

namespace {

// Copies of entities from one drawing into a block of another, with handles of the target.
class Copier {
 public:
  Copier(std::function<std::string()> newHandle, Drawing& to)
      : newHandle_(std::move(newHandle)), to_(to) {}

  void entity(const Drawing& from, const Entity& src, Block& into, const Affine* move = nullptr) {
    // An entity kept as read has geometry the simulated CAD cannot move.
    if (move && src.type == EntityType::Opaque &&
        (move->a != 1 || move->b != 0 || move->c != 0 || move->d != 1 || move->e != 0 ||
         move->f != 0))
      throw std::runtime_error("an entity of kind " + src.dxfType + " cannot be moved");
    Entity e = src;
    e.handle = newHandle_();
    e.owner = into.name;
    e.attributes.clear();
    if (move) transformEntity(e, *move);
    for (const auto& h : src.attributes) {
      const Entity* a = from.findEntity(h);
      if (!a) continue;
      Entity att = *a;
      att.handle = newHandle_();
      att.owner = e.handle;
      if (move) transformEntity(att, *move);
      e.attributes.push_back(att.handle);
      to_.entities[att.handle] = att;
    }
    into.entities.push_back(e.handle);
    to_.entities[e.handle] = std::move(e);
  }

  // The tables a copied entity names: layers, linetypes and (nested) block definitions.
  void tables(const Drawing& from) {
    for (const Layer& l : from.layers)
      if (!to_.findLayer(l.name)) {
        Layer copy = l;
        copy.handle = newHandle_();
        to_.layers.push_back(copy);
      }
    for (const Linetype& lt : from.linetypes)
      if (!to_.findLinetype(lt.name)) {
        Linetype copy = lt;
        copy.handle = newHandle_();
        to_.linetypes.push_back(copy);
      }
    for (const Block& b : from.blocks) {
      if (b.isLayout || to_.findBlock(b.name)) continue;
      to_.blocks.push_back({b.name, newHandle_(), b.origin, {}, false});
      std::size_t at = to_.blocks.size() - 1;
      for (const auto& h : b.entities)
        if (const Entity* e = from.findEntity(h)) entity(from, *e, to_.blocks[at]);
    }
  }

 private:
  std::function<std::string()> newHandle_;
  Drawing& to_;
};

}  // namespace

void World::importAsBlock(DocState& d, const Drawing& from, const std::string& name,
                          bool redefine) {
  Copier copier([&d] { return newHandle(d); }, d.drawing);
  copier.tables(from);
  Block* def = d.drawing.findBlock(name);
  if (def && redefine) {
    // The new definition replaces the old one's entities; references follow by name.
    for (const auto& h : std::vector<std::string>(def->entities))
      d.drawing.entities.erase(h);
    def->entities.clear();
  }
  if (!def) {
    d.drawing.blocks.push_back({name, newHandle(d), {}, {}, false});
    def = &d.drawing.blocks.back();
  }
  std::string defName = def->name;
  for (const auto& h : from.modelSpace().entities)
    if (const Entity* e = from.findEntity(h))
      copier.entity(from, *e, *d.drawing.findBlock(defName));
}

void World::writeBlockFile(const DocState& d, const Block& block, const std::string& path) {
  unsigned long next = 0x20;
  auto handle = [&next] {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lX", next++);
    return std::string(buf);
  };
  Drawing out = newDrawing(handle);
  out.variables["DIMSCALE"] = d.drawing.variables.at("DIMSCALE");
  Copier copier(handle, out);
  copier.tables(d.drawing);
  // The block's entities in model space, its base point at the origin.
  Affine toOrigin = Affine::translation(-block.origin.x, -block.origin.y);
  for (const auto& h : block.entities)
    if (const Entity* e = d.drawing.findEntity(h))
      copier.entity(d.drawing, *e, out.modelSpace(), &toOrigin);
  writeFileAtomically(path, writeDxf(out, next));
}

}  // namespace qarn::cad::sim
