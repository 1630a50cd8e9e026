#pragma once
// Joining a device number spread over NAME, NAME1 ... NAME9 back into the one NAME attribute of
// each picked block, placed where the lines were.
#include "cad/command.h"

namespace qarn::tools {

struct JoinResult {
  bool ran = false;  // the CAD was running and the user picked
  int joined = 0;    // blocks whose lines were joined
};

// "器具番号を１行に": every picked block (blankOnly: only those whose NAME1 is blank) gets the
// texts of its NAME, NAME1, ... up to the first missing one joined in NAME, the other lines erased.
// One undo group; an automation error ends the command quietly, the group closed.
JoinResult Button9Click(cad::Session& session, bool blankOnly);

}  // namespace qarn::tools
