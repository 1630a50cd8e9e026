#pragma once
// The CAD's own scripts QARN starts: each from a script file beside the executable, loaded only
// when its command is not yet defined, then run by its command name.
#include <string>

#include "cad/command.h"

namespace qarn::tools {

struct Script {
  const char* file;     // "wiresize.lsp"
  const char* command;  // "wiresize"
};

inline constexpr Script kGridScript{"pbal.lsp", "pbal"};
inline constexpr Script kWireSizeScript{"wiresize.lsp", "wiresize"};
inline constexpr Script kDuctSizeScript{"wiresize.lsp", "cdsize"};
inline constexpr Script kMinimumBendScript{"swire.lsp", "swire"};
inline constexpr Script kBendInfoScript{"swire.lsp", "swinfo"};

inline const char* const kQuoteInPath =
    "スクリプトのフォルダー名に \" が含まれているため、スクリプトを読み込めません: ";

// The script's path as the CAD's script language reads it: every "\" doubled, in double quotes.
std::string scriptPath(const std::string& folder, const std::string& file);
// The load string: "(if (not c:CMD)(load PATH))(princ)" and a carriage return.
std::string loadString(const Script& s, const std::string& folder);

// Brings the CAD forward, loads the script when its file is in `folder` and sends its command.
// A folder holding a double quote cannot be written in the load string: the message says so and
// only the command is sent.
std::string RunScript(cad::Session& session, const Script& s, const std::string& folder);

}  // namespace qarn::tools
