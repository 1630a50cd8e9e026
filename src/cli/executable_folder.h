#pragma once
#include <string>

namespace qarn::cli {

// The folder of the running executable, where the program's data files lie.
std::string executableFolder(const char* argv0);

}  // namespace qarn::cli
