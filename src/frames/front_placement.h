#pragma once
// Placing a device's front view: one frame (a reference of the frame block scaled to W by H with
// its attributes filled) hung on the CAD's cursor by the chosen base point, then optionally
// repeated in a row with counted-up device numbers.
#include <string>

#include "cad/command.h"

namespace qarn::frames {

// The fields of the device-frame page that the placement reads, and the device number it counts.
struct FrameFields {
  std::string number;      // Edit6: device number (NAME)
  std::string rating;      // Edit7 (SPEC)
  std::string auxiliary;   // Edit12 (AUX1)
  std::string dimensions;  // Edit23: the dimension string (AUX2)
  std::string cut;         // Edit31: the CUT code
  bool arrayMode = false;  // CheckBox2
  std::string arrayCount;  // Edit10
  std::string arrayGap;    // Edit11
};

struct InsertResult {
  // The frame reference had attributes: the normal case, also when the user cancelled the paste.
  bool result = false;
  int placed = 0;       // frames in the drawing afterwards: the pasted one and its copies
  std::string refusal;  // why no frame could be placed, for a message box; empty otherwise
};

// One frame of outer size w by h on layer layName. baseSw 0 to 8 chooses the base point (left,
// centre, right column; top, middle, bottom row); offx moves a left or right base point further
// out. In array mode `fields.number` ends at the last copy's number. One undo group holds it all.
// The six attributes of a frame reference of outer size w by h filled from the fields: texts,
// heights from DIMSCALE, width factors, and a NAME too wide for a tall frame turned upwards.
void fillFrameAttributes(const cad::BlockReference& ref, double w, double h,
                         const std::string& ktype, const FrameFields& f, double dimscale);

InsertResult InsertTovek(cad::Session& session, double w, double h, int baseSw,
                         const std::string& ktype, const std::string& layName, double offx,
                         FrameFields& fields);

// The "正面" button: what it reads besides the frame fields.
struct FrontInput {
  std::string gridModel;  // the model cell (column 2) of the catalogue grid's current row
  std::string width, height, endWidth;  // Edit3, Edit4, Edit27
  bool terminalMode = false;            // CheckBox1
  std::string poles;                    // Edit8
  int baseSw = 1;                       // RadioGroup1
  bool offsetEnabled = false;           // Edit49 is enabled
  std::string offset;                   // Edit49
  FrameFields fields;
};

struct FrontResult {
  std::string model;   // Edit2 afterwards
  std::string number;  // Edit6 afterwards
  bool sized = false;  // W and H were greater than 0, so the frame was tried
  double width = 0;    // the frame's outer width
  InsertResult insert;
};

FrontResult placeFront(cad::Session& session, const FrontInput& input);

}  // namespace qarn::frames
