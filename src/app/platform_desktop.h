#pragma once
// The platform's window service for the commands.
#include <memory>

#include "cad/desktop.h"

namespace qarn::app {

// Win32 on Windows; elsewhere there are no CAD windows to manage, only real sleeps.
std::unique_ptr<cad::Desktop> makePlatformDesktop();

}  // namespace qarn::app
