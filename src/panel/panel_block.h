#pragma once
// The block of a panel-mounted device: its front symbol (and nameplate), its panel cut-outs and
// the six attribute definitions of a device frame, defined once per block name.
#include <optional>
#include <string>

#include "cad/facade.h"

namespace qarn::panel {

// The sizes of a circular device by the whole part of its W: 22, 25 or any other.
struct SizeClass {
  double A;   // plate half-width
  double B;   // plate top above the centre
  double R1;  // outer ring radius
  double R2;  // inner ring radius
  double X1;  // handle half-gap
  double Y1;  // handle half-length
};
SizeClass sizeClassFor(double W);

// Kinds 0 to 3 and 5 are round; 4 is a rectangle, 6 a meter.
bool isCircular(int kind);
// "TOVEKPB1" … "TOVEKAM1" for kinds 0 to 6; "" for any other kind.
const char* nameCode(int kind);

// The block name: the kind's code, then W as typed for a round kind or the model for the others,
// then "NP" for a round kind with its nameplate. Characters a CAD refuses in a name and blanks,
// which would end the name on the command line, become "_".
std::string panelBlockName(int kind, const std::string& widthText, const std::string& model,
                           bool nameplate);

// Which size a rectangle or meter lacks ("W" or "H"), before anything is made; nothing when the
// sizes can be drawn.
std::optional<std::string> missingSize(int kind, double W, double H);

// Defines the block unless the drawing has one of that name, in any case (never changed then).
// An attribute definition the CAD refuses is left out; any other refusal takes the half-built
// block away again and goes on to the caller.
bool DefinePanelDeviceBlock(const cad::Document& doc, const std::string& name, int kind,
                            const std::string& cut, bool nameplate, double H, double W,
                            const std::string& progId);

}  // namespace qarn::panel
