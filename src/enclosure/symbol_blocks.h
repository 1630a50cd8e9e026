#pragma once
// The handle, key-cylinder and window-fitting blocks of the enclosure drawing. Each is defined
// the first time a drawing needs it and never changed afterwards.
#include <string>

#include "cad/facade.h"

namespace qarn::enclosure {

// Handle kinds "RA", "S", "E", "CL", "CH", "ORM" and the window fitting "HT".
void ensureHandleBlock(const cad::Document& doc, const std::string& name, const std::string& kind);
// Key kinds "F16" (front) and "S16" (side).
void ensureKeyBlock(const cad::Document& doc, const std::string& name, const std::string& kind);

}  // namespace qarn::enclosure
