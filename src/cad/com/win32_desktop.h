#pragma once
// The desktop on Windows: the CAD's window restored and brought forward, the Escape key, the
// view marker drawn on the CAD's window, the monitor scale.
#include <memory>

#include "cad/desktop.h"

namespace qarn::cad::com {

std::unique_ptr<Desktop> makeWin32Desktop();

}  // namespace qarn::cad::com
