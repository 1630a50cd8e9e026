#pragma once
// The platform's window service for the commands.
#include <memory>

#include "cad/desktop.h"

namespace qarn::cad {

// Win32 on Windows, where the CAD's window is restored, brought forward and sent Escape;
// elsewhere there are no CAD windows to manage, only real sleeps.
std::unique_ptr<Desktop> makePlatformDesktop();

}  // namespace qarn::cad
