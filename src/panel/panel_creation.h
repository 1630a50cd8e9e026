#pragma once
// Placing a panel device: its block made once per drawing, inserted by the CAD's own insert
// command at the point the user gives, its attributes filled from the page, and optionally
// repeated in a row or a column at a pitch.
#include <array>
#include <string>

#include "cad/command.h"

namespace qarn::panel {

// The fields of the page the command reads.
struct PanelInput {
  std::string width, height, kind;  // Edit15, Edit16, Edit17
  bool nameplate = true;            // CheckBox5
  std::string number;               // Edit18: device number (NAME)
  std::string model;                // Edit14 (TYPE)
  std::string rating;               // Edit19 (SPEC)
  std::string auxiliary;            // Edit24 (AUX1)
  std::string dimensions;           // Edit25 (AUX2)
  std::string cut;                  // Edit30: cut-out text (CUT)
  bool arrayMode = false;           // CheckBox6
  std::string count, pitch;         // Edit21, Edit22
  bool downwards = false;           // CheckBox7
};

// The fields a click on a row of the panel-device catalogue fills (the rest keep their defaults).
PanelInput chooseCatalogueRow(const std::array<std::string, 14>& fields);

struct PanelResult {
  bool running = false;
  std::string block;    // the block name
  int placed = 0;       // devices in the drawing afterwards
  std::string number;   // Edit18 afterwards
  std::string message;  // why nothing was made, for a message box
};

// The "作成" button. One undo group; ATTDIA and ATTREQ come back on every way out.
PanelResult Button6Click(cad::Session& session, const PanelInput& in);

}  // namespace qarn::panel
