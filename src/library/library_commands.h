#pragma once
// The block library's commands: a drawing file inserted whole or exploded, and a picked block
// written out as a drawing file into the current folder.
#include <functional>
#include <string>
#include <vector>

#include "cad/command.h"

namespace qarn::library {

inline const char* const kWblockPrompt = "WBLOCK するブロックを選択 : ";
inline const char* const kAskOverwrite = "すでに同じ名前のファイルがあります．上書きしますか？";
inline const char* const kAnonymousBlock = "名前のないブロック（%s）はファイルに書き出せません．";

// The file list's mask for a filter text: "*" + filter + "*.dwg".
std::string fileMask(const std::string& filter);
// The file list's masks: fileMask's, and on the simulated CAD, which opens and inserts DXF
// drawings, the same for ".dxf" beside it.
std::vector<std::string> fileMasks(const std::string& filter, bool simulatedCad);

// A path as the command line takes it: in double quotes when it holds a blank, which would end
// the input.
std::string commandLinePath(const std::string& path);

// The command line of "挿入" (exploded false) or "分解挿入": the GstarCAD form of the exploded
// insert is an AutoLISP expression with every backslash doubled. `redefine` answers the CAD's
// question when the drawing already has a block of the file's name ("N": keep its own).
std::string insertCommand(const std::string& path, bool exploded, const std::string& progId,
                          bool blockExists);

// "挿入" / "分解挿入": nothing when the file is missing or the CAD is not running.
void Button18Click(cad::Session& session, const std::string& path, bool exploded);

struct ExportResult {
  enum class Status { NotRunning, NothingPicked, Refused, Declined, Written };
  Status status = Status::NotRunning;
  std::string message;  // a refusal for the user
  std::string file;     // the file written
};

// "WBLOCK": the picked block reference's definition written to folder/NAME.dwg, opened, zoomed to
// its extents and saved again so that its preview shows it whole. `askOverwrite` is asked when the
// file exists; false writes nothing. An anonymous block ("*U12") is refused.
ExportResult Button17Click(cad::Session& session, const std::string& folder,
                           const std::function<bool()>& askOverwrite);

}  // namespace qarn::library
