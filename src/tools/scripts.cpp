#include "tools/scripts.h"

#include <filesystem>

#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::tools {

std::string scriptPath(const std::string& folder, const std::string& file) {
  return "\"" + cad::replaceAll(folder, "\\", "\\\\") + file + "\"";
}

std::string loadString(const Script& s, const std::string& folder) {
  return std::string("(if (not c:") + s.command + ")(load " + scriptPath(folder, s.file) +
         "))(princ)\r";
}

std::string RunScript(cad::Session& session, const Script& s, const std::string& folder) {
  cad::CadCommand c(session);
  if (!c.running()) return {};
  c.bringCadForward();
  std::string message;
  std::error_code ignored;
  if (std::filesystem::exists(cad::filePath(folder + s.file), ignored)) {
    // A quote would end the quoted path early and hand the rest to the CAD as code.
    if (folder.find('"') != std::string::npos)
      message = kQuoteInPath + folder;
    else
      c.doc().sendCommand(loadString(s, folder));
  }
  c.doc().sendCommand(std::string(s.command) + "\r");
  return message;
}

}  // namespace qarn::tools
