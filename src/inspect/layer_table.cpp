#include "inspect/layer_table.h"

#include <stdexcept>

#include "cad/automation_error.h"
#include "cad/text.h"
#include "frames/device_layers.h"

namespace qarn::inspect {

LayerTable::LayerTable() {
  for (const frames::DeviceLayer& l : frames::deviceLayers())
    rows.push_back({l.name, l.label, {}, {}});
}

std::string LayerTable::text(int col, int row) const {
  if (row < 1 || row > static_cast<int>(rows.size()) || col < kLayerOn || col > kLayerPrint)
    return {};
  const LayerRow& r = rows[row - 1];
  if (r.handle.empty()) return {};
  return r.states[col - kLayerOn] ? "ON" : "OFF";
}

void FillLayerTable(cad::Session& session, LayerTable& table) {
  cad::CadCommand c(session);
  if (!c.running()) return;
  // Handles and states are those of the drawing read now: another drawing's handles would switch
  // the wrong layers.
  for (LayerRow& r : table.rows) {
    r.handle.clear();
    r.states = {};
  }
  try {
    cad::Layers layers = c.doc().layers();
    int count = layers.count();
    int found = 0;
    for (int i = 0; i < count && found < static_cast<int>(table.rows.size()); ++i) {
      cad::Layer l = layers.layer(i);
      std::string name = l.name();
      for (LayerRow& r : table.rows) {
        if (r.name != name) continue;
        r.states = {l.layerOn(), l.freeze(), l.lock(), l.plottable()};
        r.handle = l.handle();
        ++found;
      }
    }
  } catch (const cad::AutomationError&) {
  }
}

void LayerCtrl(cad::Session& session, LayerTable& table, int row) {
  cad::CadCommand c(session);
  if (!c.running()) return;
  if (row >= 1 && row <= static_cast<int>(table.rows.size()) &&
      !table.rows[row - 1].handle.empty()) {
    LayerRow& r = table.rows[row - 1];
    cad::Layer l(c.doc().handleToObject(r.handle).object());
    if (l.name() != r.name) {
      r.handle.clear();
      throw std::runtime_error(cad::replaceAll(kLayerChanged, "%s", r.name));
    }
    l.setLayerOn(r.states[0]);
    l.setFreeze(r.states[1]);
    l.setLock(r.states[2]);
    l.setPlottable(r.states[3]);
    c.doc().regen(0);
  }
  c.doc().regen(0);
}

void ClickLayerCell(cad::Session& session, LayerTable& table, int col, int row) {
  if (row < 1 || row > static_cast<int>(table.rows.size()) || col < kLayerOn || col > kLayerPrint)
    return;
  bool& s = table.rows[row - 1].states[col - kLayerOn];
  s = !s;
  LayerCtrl(session, table, row);
}

void SpaceOverLayers(cad::Session& session, LayerTable& table, int leftCol, int top, int bottom) {
  if (leftCol < kLayerOn || leftCol > kLayerPrint) return;
  int last = std::min(bottom, static_cast<int>(table.rows.size()));
  for (int row = std::max(top, 1); row <= last; ++row) {
    bool& s = table.rows[row - 1].states[leftCol - kLayerOn];
    s = !s;
  }
  // Every toggled row is written, not only the current one: what the grid shows is the drawing.
  for (int row = std::max(top, 1); row <= last; ++row)
    LayerCtrl(session, table, row);
}

}  // namespace qarn::inspect
