#include "cad/drawing_routines.h"

#include "cad/automation_error.h"
#include "cad/connection.h"
#include "cad/text.h"

namespace qarn::cad {

void setByBlock(const Entity& e) {
  e.setLayer("0");
  e.setLinetype("BYBLOCK");
  e.setColor(0);
}

bool defineBlockOnce(const Document& doc, const std::string& name,
                     const std::function<void(const Block&)>& draw) {
  Blocks blocks = doc.blocks();
  if (blocks.contains(name)) return false;
  Block block = blocks.add({0, 0, 0}, name);
  try {
    draw(block);
  } catch (const AutomationError&) {
    try {
      block.remove();
    } catch (const AutomationError&) {
    }
    throw;
  }
  return true;
}

std::string linetypeFileFor(const std::string& progId) {
  if (cadKindIs(progId, "GCAD")) return "gcadiso.lin";
  if (cadKindIs(progId, "ZWCAD")) return "zwcadiso.lin";
  if (cadKindIs(progId, "BRICS")) return "iso.lin";
  if (cadKindIs(progId, "PCAD")) return "mm.lin";
  return "acadiso.lin";
}

namespace {
bool hasLinetype(const Collection& linetypes, const std::string& name) {
  int n = linetypes.count();
  for (int i = 0; i < n; ++i)
    if (asciiUpper(linetypes.item(i).get("Name").toText()) == asciiUpper(name)) return true;
  return false;
}
}  // namespace

void LoadLinetype(const Document& doc, const std::string& linetype, const std::string& progId) {
  if (hasLinetype(doc.linetypes(), linetype)) return;
  doc.setVariable("FILEDIA", 0);
  // File dialogs must come back on every way out; a CAD busy for a moment is asked once more.
  auto dialogsBack = [&] { doc.setVariable("FILEDIA", 1); };
  try {
    doc.sendCommand("-LINETYPE\rL\r" + linetype + "\r" + linetypeFileFor(progId) + "\r\r");
  } catch (const AutomationError&) {
    try {
      dialogsBack();
    } catch (const AutomationError&) {
    }
    throw;
  }
  try {
    dialogsBack();
  } catch (const AutomationError&) {
    dialogsBack();
  }
}

void EnsureLayer(const Document& doc, const std::string& name, int color,
                 const std::string& linetype, const std::string& progId) {
  Layers layers = doc.layers();
  // Layer names ignore case in the CAD: "tovek_front" is the layer "TOVEK_FRONT", and Add would
  // hand back that existing layer, which must not be recoloured.
  std::string wanted = asciiUpper(name);
  int n = layers.count();
  for (int i = 0; i < n; ++i)
    if (asciiUpper(layers.layer(i).name()) == wanted) return;

  Layer layer = layers.add(name);
  layer.setColor(color);
  if (linetype.empty()) return;

  Collection linetypes = doc.linetypes();
  int oldCount = linetypes.count();
  if (oldCount <= 0) return;
  bool present = hasLinetype(linetypes, linetype);
  if (!present) {
    LoadLinetype(doc, linetype, progId);
    present = linetypes.count() > oldCount;
  }
  if (present) layer.setLinetype(linetype);
}

}  // namespace qarn::cad
