#include "frames/frame_row.h"

namespace qarn::frames {

FrameRow chooseFrameRow(const catalogue::Fields& f) {
  FrameRow r;
  r.model = f[1];
  r.rating = f[2];
  r.width = f[5];
  r.height = f[6];
  r.depth = f[7];
  r.height2 = f[8];
  r.depth2 = f[9];
  r.endWidth = f[10];
  r.auxiliary = f[11];
  r.cut = f[13];
  r.dimensions = catalogue::dimensionString(f);
  r.terminalBlock = f[0].rfind("端子台", 0) == 0;
  return r;
}

std::string modelText(const std::string& model, bool terminalMode, const std::string& poles) {
  return terminalMode ? model + " x " + poles + "P" : model;
}

bool offsetApplies(bool offsetChecked, int baseSw) {
  return offsetChecked && ((baseSw >= 0 && baseSw <= 2) || (baseSw >= 6 && baseSw <= 8));
}

}  // namespace qarn::frames
