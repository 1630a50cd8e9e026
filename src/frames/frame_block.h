#pragma once
// The frame block: a 100 by 100 square centred on its base point with the six attribute
// definitions every device frame carries, defined once per drawing.
#include <string>

#include "cad/facade.h"

namespace qarn::frames {

// True at once when the drawing has a block of that name (in any case); otherwise defines it (the
// square, then each attribute definition with its layer) and returns true. A definition the CAD
// refuses is left out and the others still made. Should making a layer fail, the block is taken
// out again before the error goes on, so that no later frame reuses a block without attributes.
bool EnsureFrameBlock(const cad::Document& doc, const std::string& name, const std::string& progId);

}  // namespace qarn::frames
