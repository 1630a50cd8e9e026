#include "library/library_commands.h"

#include <filesystem>

#include "cad/automation_error.h"
#include "cad/connection.h"
#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::library {

std::string fileMask(const std::string& filter) {
  return "*" + filter + "*.dwg";
}

std::vector<std::string> fileMasks(const std::string& filter, bool simulatedCad) {
  std::vector<std::string> masks{fileMask(filter)};
  if (simulatedCad) masks.push_back("*" + filter + "*.dxf");
  return masks;
}

std::string commandLinePath(const std::string& path) {
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

namespace {

bool fileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(cad::filePath(path), ec);
}

// "C:\\lib\\motor.dwg" -> "motor", the block the CAD makes of the file.
std::string blockNameOf(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

std::string insertCommand(const std::string& path, bool exploded, const std::string& progId,
                          bool blockExists) {
  if (!exploded)
    return "-INSERT\r" + commandLinePath(path) + "\r" + (blockExists ? "N\r" : "") + "S 1 R 0" +
           "\r";
  if (!cad::cadKindIs(progId, "GCAD"))
    return "-INSERT\r" + commandLinePath("*" + path) + "\r" + "S 1 R 0" + "\r";
  return "(command \"-INSERT\" \"*" + cad::replaceAll(path, "\\", "\\\\") + "\" pause 1 0)(princ)" +
         "\r";
}

void Button18Click(cad::Session& session, const std::string& path, bool exploded) {
  if (!fileExists(path)) return;
  cad::CadCommand c(session);
  if (!c.running()) return;
  try {
    c.minimizeMainWindow();
    c.bringCadForward();
    if (session.desktop) session.desktop->sleep(10);
    bool exists = !exploded && c.doc().blocks().contains(blockNameOf(path));
    c.doc().sendCommand(insertCommand(path, exploded, session.CadProgId, exists));
    c.waitIdle();
  } catch (const cad::AutomationError&) {
    // Ends without a message; the main window comes back on the way out.
  }
  c.restoreMainWindow();
}

ExportResult Button17Click(cad::Session& session, const std::string& folder,
                           const std::function<bool()>& askOverwrite) {
  ExportResult r;
  cad::CadCommand c(session);
  if (!c.running()) return r;
  try {
    c.minimizeMainWindow();
    c.bringCadForward();
    std::optional<cad::PickedEntity> picked = c.pickEntity(kWblockPrompt);
    c.restoreMainWindow();
    if (!picked || picked->entity.entityName() != "AcDbBlockReference") {
      r.status = ExportResult::Status::NothingPicked;
      return r;
    }
    std::string name = cad::BlockReference(picked->entity).name();
    // An anonymous block has no name a file could take ("*U12.dwg").
    if (name.empty() || name.front() == '*') {
      r.status = ExportResult::Status::Refused;
      r.message = cad::replaceAll(kAnonymousBlock, "%s", name);
      return r;
    }
    c.setVariable("FILEDIA", 0);
    char sep = folder.find('\\') != std::string::npos ? '\\' : '/';
    std::string target = folder;
    if (!target.empty() && target.back() != sep) target += sep;
    target += name + ".dwg";
    bool exists = fileExists(target);
    if (exists && !(askOverwrite && askOverwrite())) {
      r.status = ExportResult::Status::Declined;
      return r;
    }
    c.doc().sendCommand("-WBLOCK " + commandLinePath(target) + "\r" + (exists ? "Y\r" : "") + "=" +
                        "\r");
    r.status = ExportResult::Status::Written;
    r.file = target;
    // Opened, zoomed to its extents and saved again, the file's preview shows the whole block.
    int count = c.app().documentCount();
    c.doc().sendCommand("OPEN\r" + commandLinePath(target) + "\r");
    c.waitIdle();
    if (c.app().documentCount() > count) {
      cad::Document opened = c.app().activeDocument();
      opened.setVariable("FILEDIA", 1);
      c.app().zoomExtents();
      c.app().zoomExtents();
      opened.sendCommand("QSAVE\r");
      opened.sendCommand("CLOSE\r");
    }
  } catch (const cad::AutomationError&) {
    // Ends without a message; FILEDIA and the main window come back on the way out.
  }
  return r;
}

}  // namespace qarn::library
