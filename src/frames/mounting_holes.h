#pragma once
// The mounting holes of a device drawn over its front view: the frame's CUT code turned into a
// block of circles, rectangles and centre crosses, named after the model, inserted at the frame's
// centre.
#include <string>
#include <vector>

#include "cad/command.h"

namespace qarn::frames {

inline const char* const kHolesPrompt = "取付孔を描く正面図形を選択 : ";
inline const char* const kNoHoleData = "取付孔データがありません．";
// Every hole block's name begins so: "TOVEKHAL" and the model.
inline const char* const kHoleBlockPrefix = "TOVEKHAL";

struct Hole {
  bool circle = true;
  double width = 0, height = 0;  // a circle's diameter is its width
  cad::Point3 centre;            // from the frame's centre
  bool drawable() const { return width > 0 && (circle || height > 0); }
};

// The hole items of a CUT code: "C:d" and "R:wXh" (any case), each optionally followed by its
// centre x y; a single coordinate, or one followed by another hole, leaves the hole centred.
std::vector<Hole> parseCutCode(const std::string& cut);

// Each drawable hole with its centre cross into the block, on layer "TOVEK_CUT" (the panel
// devices' cut-outs are drawn the same way). A frame's rectangular holes have always been sent
// the linetype as "BYLayer"; a panel device's cut-outs send "BYLAYER" throughout.
void drawHoles(const cad::Block& block, const cad::Utility& u, const std::vector<Hole>& holes,
               const char* rectangleLinetype = "BYLayer");

struct HolesResult {
  enum class Status { NotRunning, NoData, Drawn };
  Status status = Status::NotRunning;
  std::string message;
  std::string block;  // the hole block inserted
};

// The "取付孔" button. No undo group.
HolesResult Button10Click(cad::Session& session);

}  // namespace qarn::frames
