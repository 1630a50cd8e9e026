#pragma once
// The side view of a device whose front view is in the drawing: picked, its depth and heights
// read back from the frame's dimension string, inserted at the front view and dragged by the user
// (orthogonally) to its place.
#include <string>

#include "cad/command.h"

namespace qarn::frames {

inline const char* const kSidePrompt = "側面図を作成する正面図形を選択 : ";
inline const char* const kNoSideData = "側面データがありません．";

struct SideResult {
  enum class Status {
    NotRunning,  // the CAD does not run: nothing happens
    NoData,      // nothing suitable picked, or no dimension string: `message` says so
    NoSize,      // too few dimensions, or a needed size not greater than 0: nothing drawn
    Refused,     // the side layer cannot take the view: `message` says why
    Cancelled,   // the user cancelled the move: the new view was erased
    Drawn,
  };
  Status status = Status::NotRunning;
  std::string message;
  std::string handle;  // the new side view
};

// The "側面" buttons of both device pages. One undo group.
SideResult Button8Click(cad::Session& session);

// The plain view: the frame block scaled to D by H, moved by the middle of its right edge.
SideResult InsertTovekSide(cad::CadCommand& cmd, cad::Point3 at, double w, double h,
                           const std::string& kname, const std::string& ktype);
// The two-part view: the block blkName (front part D by H left of the panel line, body D2 by H2
// right of it in hidden lines), defined once per drawing, moved by its panel line.
SideResult InsertTovekSide2(cad::CadCommand& cmd, cad::Point3 at, double w, double h, double w2,
                            double h2, const std::string& blkName, const std::string& kname,
                            const std::string& ktype);

}  // namespace qarn::frames
