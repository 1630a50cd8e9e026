#pragma once
// Drawing a stock enclosure in three views (front, side, inside) with its dimensions, at a base
// point the user picks in the CAD.
#include <string>

#include "cad/command.h"
#include "enclosure/enclosure_catalogue.h"

namespace qarn::enclosure {

// What the create button reads: the family of the list and the fields a row click filled.
struct EnclosureInput {
  std::string family;
  ChosenEnclosure fields;
};

struct EnclosureResult {
  enum class Status {
    NotRunning,    // the CAD does not run: nothing happens
    MissingValue,  // a needed size is zero or not a number: nothing happens
    Cancelled,     // the base point was not given: nothing drawn
    Drawn,
  };
  Status status = Status::NotRunning;
  std::string missing;  // which value, for MissingValue: "W", "H", "D", "PW", "PH" or "ED"
  int dimensionsSkipped = 0;
};

inline const char* const kBasePointPrompt = "作成基点（左下）を指示 : ";

// The create button's command. An automation error other than a refused dimension ends it and
// reaches the caller; what was drawn until then stays in the drawing.
EnclosureResult drawEnclosure(cad::Session& session, const EnclosureInput& input);

}  // namespace qarn::enclosure
