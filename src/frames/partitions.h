#pragma once
// The pole partitions of a terminal block: at every pole boundary of the picked frame a short
// hidden line in from the top edge and one in from the bottom edge, following the frame's
// rotation, kept together as one anonymous group.
#include <string>

#include "cad/command.h"

namespace qarn::frames {

inline const char* const kPartitionsPrompt = "端子仕切り線を作成する端子図形を選択 : ";

struct PartitionsResult {
  int boundaries = 0;  // 0: nothing suitable picked, nothing drawn
  int lines = 0;
  std::string group;  // the anonymous group that holds the lines
};

// The "TB仕切り作成" button. One undo group.
PartitionsResult Button22Click(cad::Session& session);

}  // namespace qarn::frames
