#pragma once
// What choosing a row of the device catalogue puts into the device-frame fields, and the small
// rules of those fields: the model text in terminal-block mode and when the offset applies.
#include <string>

#include "catalogue/device_catalogue.h"

namespace qarn::frames {

struct FrameRow {
  std::string model, rating, auxiliary;                         // Edit2, Edit7, Edit12
  std::string width, height, depth, height2, depth2, endWidth;  // Edit3 to Edit27
  std::string cut, dimensions;                                  // Edit31, Edit23 (hidden)
  bool terminalBlock = false;  // the name begins with "端子台": terminal-block mode goes on
};

FrameRow chooseFrameRow(const catalogue::Fields& f);

// The TYPE text: the model, and in terminal-block mode " x ", the pole count and "P".
std::string modelText(const std::string& model, bool terminalMode, const std::string& poles);

// The offset applies only to a base point in the left column (0 to 2) or the right one (6 to 8).
bool offsetApplies(bool offsetChecked, int baseSw);

}  // namespace qarn::frames
