#pragma once
// The settings file beside the executable (INI): the window position and the target CAD.
#include <optional>
#include <string>
#include <vector>

#include "cad/text_file.h"

namespace qarn::app {

// An INI file kept line by line, so that whatever else it holds survives a rewrite.
class IniFile {
 public:
  // A missing or unreadable file reads as empty.
  static IniFile load(const std::string& path);
  std::optional<std::string> read(const std::string& section, const std::string& key) const;
  // The number, or the default when the key is missing or not a whole number.
  int readInteger(const std::string& section, const std::string& key, int fallback) const;
  std::string readText(const std::string& section, const std::string& key,
                       const std::string& fallback) const;
  void write(const std::string& section, const std::string& key, const std::string& value);
  // Back in the encoding it was read in (Shift-JIS for a new file); a value that Shift-JIS
  // cannot hold moves the file to UTF-16, which the system's INI functions also read.
  void save(const std::string& path) const;
  const std::vector<std::string>& lines() const { return file_.lines; }
  // False when the file exists but could not be read: saving it is then refused with
  // std::runtime_error, so that the user's settings are not replaced by defaults.
  bool readable() const { return unreadable_.empty(); }

 private:
  cad::TextFile file_;
  std::string unreadable_;  // why the file could not be read
};

struct Settings {
  std::optional<int> left, top;  // nothing: centre the window
  std::string progId, name;
};

// Reads "Form"/"Left", "Form"/"Top", "TargetCad"/"ProgID" and "TargetCad"/"Name"; the given
// ProgID and name are the defaults.
Settings readSettings(const std::string& path, const std::string& defaultProgId,
                      const std::string& defaultName);
// Refused (std::runtime_error, cad::EncodingError) when the file could not be read as it is.
void writeSettings(const std::string& path, int left, int top, const std::string& progId,
                   const std::string& name);
// What the user is told at close when the settings could not be written.
inline const char* const kSettingsNotSaved =
    "設定ファイルに書き込めないため、ウィンドウの位置と CAD の選択は保存されませんでした。";

// The block library's registered folders ("title | folder"), in section "Library": "Count" and
// "Folder1" ... "FolderN".
std::vector<std::string> readLibraryFolders(const std::string& path);
void writeLibraryFolders(const std::string& path, const std::vector<std::string>& items);

// The simulated CAD's settings, section "SimCad": "DIMSCALE", the dimension scale of a new drawing
// (the box page lays its dimensions out for 10), and "Recent1" ... "Recent5", the drawings opened
// or saved last, newest first.
inline constexpr double kDefaultDimscale = 10;
inline constexpr int kRecentFileCount = 5;
struct SimCadSettings {
  double dimscale = kDefaultDimscale;  // also when the key holds no positive number
  std::vector<std::string> recentFiles;
};
SimCadSettings readSimCadSettings(const std::string& path);
void writeSimCadDimscale(const std::string& path, double dimscale);
void writeRecentFiles(const std::string& path, const std::vector<std::string>& files);

// "QARN Ver.1.50 [ name ]"
inline const char* const kAppTitle = "QARN Ver.1.50";
std::string captionFor(const std::string& cadName);
// The display name of the first line of the CAD list that holds a tab followed by the ProgID.
std::optional<std::string> cadNameFromList(const std::vector<std::string>& lines,
                                           const std::string& progId);

}  // namespace qarn::app
