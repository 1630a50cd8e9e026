#pragma once
// The layer table: the nine device layers with their display, freeze, lock and plot states in
// the current drawing; each switch is written to the drawing at once.
#include <array>
#include <string>
#include <vector>

#include "cad/command.h"

namespace qarn::inspect {

// The state columns of the table, in order: 2 display, 3 freeze, 4 lock, 5 print.
enum LayerColumn {
  kLayerName = 0,
  kLayerLabel = 1,
  kLayerOn = 2,
  kLayerPrint = 5,
  kLayerHandle = 6
};
inline const char* const kLayerHeaders[6] = {"画層", "説明", "表示", "フリーズ", "ロック", "印刷"};

struct LayerRow {
  std::string name, label;
  std::string handle;               // empty until the drawing was found to have the layer
  std::array<bool, 4> states = {};  // on, frozen, locked, plottable
};

// Rows 1..9 of the grid; row r is rows[r - 1].
struct LayerTable {
  LayerTable();  // the nine device layers, nothing known of them yet
  std::vector<LayerRow> rows;
  // The text of a state cell (columns 2..5): "ON" or "OFF", empty while the layer is not found.
  std::string text(int col, int row) const;
};

// The states and handles of the layers the drawing has; a layer it no longer has shows nothing
// (what an earlier drawing said of it is not kept). An automation error ends the fill quietly.
void FillLayerTable(cad::Session& session, LayerTable& table);

// Writes the four states of one row to its layer, then regenerates; a row without a layer changes
// only the grid. A handle that no longer names that layer is refused, and the row forgets it.
void LayerCtrl(cad::Session& session, LayerTable& table, int row);

// A left click on a state cell: its state inverted and the row written. Other cells do nothing.
void ClickLayerCell(cad::Session& session, LayerTable& table, int col, int row);
// The space bar over a selection whose left column is a state column: that state inverted in
// every selected row, and every such row written.
void SpaceOverLayers(cad::Session& session, LayerTable& table, int leftCol, int top, int bottom);

inline const char* const kLayerChanged =
    "画層「%"
    "s」は図面で見つかりません（取得の後で削除されたか、名前が変わりました）。「再取得」してくださ"
    "い。";

}  // namespace qarn::inspect
