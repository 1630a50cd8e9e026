#pragma once
// What the commands that work on a placed device frame share: picking it, reading its
// attributes back, the text height scale, and whether a layer can take a new reference.
#include <optional>
#include <string>
#include <vector>

#include "cad/command.h"

namespace qarn::frames {

struct PickedFrame {
  cad::BlockReference ref;
  cad::Point3 at;  // its insertion point: the frame's centre
  // The texts of the wanted tags, in the order asked; empty for a tag the frame lacks.
  std::vector<std::string> texts;
};

// The pick with the prompt; a frame only when a block reference whose name begins with "TOVEK"
// and that has attributes was picked. Its attributes are read in order, keeping the texts of
// `tags` and stopping once each was found.
std::optional<PickedFrame> pickFrame(cad::CadCommand& cmd, const std::string& prompt,
                                     const std::vector<std::string>& tags);

// DIMSCALE as attribute heights use it: a drawing may hold 0 (or less), which would give text no
// height at all, and counts as 1 then.
double textScale(const cad::Document& doc);

// "SINGLE LAST" takes the newest visible entity: a new reference on a layer that is off or
// frozen would leave the command line to act on one of the user's own entities, and one on a
// locked layer could not be changed or erased. The message for the user when the layer cannot
// take the reference; nothing when it can.
std::optional<std::string> layerRefusal(const cad::Document& doc, const std::string& layer,
                                        const std::string& what);

}  // namespace qarn::frames
