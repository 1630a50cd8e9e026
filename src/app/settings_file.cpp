#include "app/settings_file.h"

#include <stdexcept>

#include "cad/numbers.h"
#include "cad/text.h"

namespace qarn::app {

namespace {

// The name of a section header "[name]". What follows the bracket (a comment, "[Form] ; note")
// is passed over, as the system's INI functions do.
std::string sectionOf(const std::string& line) {
  std::string t = cad::trim(line);
  auto close = t.find(']');
  if (t.empty() || t.front() != '[' || close == std::string::npos) return {};
  return cad::trim(t.substr(1, close - 1));
}

bool sameName(const std::string& a, const std::string& b) {
  return cad::asciiUpper(a) == cad::asciiUpper(b);
}

}  // namespace

IniFile IniFile::load(const std::string& path) {
  IniFile ini;
  try {
    if (auto f = cad::readTextFile(path)) ini.file_ = *f;
  } catch (const std::exception& e) {
    // An unreadable settings file counts as none: the defaults apply, and it is not overwritten.
    ini.unreadable_ = e.what();
  }
  return ini;
}

std::optional<std::string> IniFile::read(const std::string& section, const std::string& key) const {
  bool inSection = false;
  for (const std::string& line : file_.lines) {
    std::string s = sectionOf(line);
    if (!s.empty()) {
      inSection = sameName(s, section);
      continue;
    }
    if (!inSection) continue;
    auto eq = line.find('=');
    if (eq != std::string::npos && sameName(cad::trim(line.substr(0, eq)), key))
      return cad::trim(line.substr(eq + 1));
  }
  return std::nullopt;
}

int IniFile::readInteger(const std::string& section, const std::string& key, int fallback) const {
  auto v = read(section, key);
  return v ? cad::readInteger(*v, fallback) : fallback;
}

std::string IniFile::readText(const std::string& section, const std::string& key,
                              const std::string& fallback) const {
  return read(section, key).value_or(fallback);
}

void IniFile::write(const std::string& section, const std::string& key,
                    const std::string& rawValue) {
  const std::string value = cad::fieldValue(rawValue, key);  // one line per key
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  auto& lines = file_.lines;
  std::size_t insertAt = kNone;  // after the section's last non-empty line
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string s = sectionOf(lines[i]);
    if (!s.empty()) {
      if (insertAt != kNone) break;  // the section ended
      if (sameName(s, section)) insertAt = i + 1;
      continue;
    }
    if (insertAt == kNone) continue;
    auto eq = lines[i].find('=');
    if (eq != std::string::npos && sameName(cad::trim(lines[i].substr(0, eq)), key)) {
      lines[i] = key + "=" + value;
      return;
    }
    if (!cad::trim(lines[i]).empty()) insertAt = i + 1;
  }
  if (insertAt == kNone) {
    lines.push_back("[" + section + "]");
    lines.push_back(key + "=" + value);
    return;
  }
  lines.insert(lines.begin() + static_cast<long>(insertAt), key + "=" + value);
}

void IniFile::save(const std::string& path) const {
  if (!unreadable_.empty())
    throw std::runtime_error(unreadable_ + "読めなかった設定を書き換えると失われるため、保存しません。");
  try {
    cad::writeTextFile(path, file_);
  } catch (const cad::EncodingError&) {
    cad::TextFile wide = file_;
    wide.encoding = cad::TextEncoding::Utf16LeBom;
    cad::writeTextFile(path, wide);
  }
}

Settings readSettings(const std::string& path, const std::string& defaultProgId,
                      const std::string& defaultName) {
  IniFile ini = IniFile::load(path);
  Settings s;
  auto number = [&](const char* key) -> std::optional<int> {
    auto v = ini.read("Form", key);
    if (!v) return std::nullopt;
    return cad::tryReadWholeNumber(*v);
  };
  s.left = number("Left");
  s.top = number("Top");
  s.progId = ini.readText("TargetCad", "ProgID", defaultProgId);
  s.name = ini.readText("TargetCad", "Name", defaultName);
  return s;
}

void writeSettings(const std::string& path, int left, int top, const std::string& progId,
                   const std::string& name) {
  IniFile ini = IniFile::load(path);
  ini.write("Form", "Left", std::to_string(left));
  ini.write("Form", "Top", std::to_string(top));
  ini.write("TargetCad", "ProgID", progId);
  ini.write("TargetCad", "Name", name);
  ini.save(path);
}

std::vector<std::string> readLibraryFolders(const std::string& path) {
  IniFile ini = IniFile::load(path);
  std::vector<std::string> items;
  int n = ini.readInteger("Library", "Count", 0);
  for (int i = 1; i <= n && i <= 10000; ++i) {
    std::string item = ini.readText("Library", "Folder" + std::to_string(i), "");
    if (item.find('|') != std::string::npos) items.push_back(item);
  }
  return items;
}

void writeLibraryFolders(const std::string& path, const std::vector<std::string>& items) {
  IniFile ini = IniFile::load(path);
  ini.write("Library", "Count", std::to_string(items.size()));
  for (std::size_t i = 0; i < items.size(); ++i)
    ini.write("Library", "Folder" + std::to_string(i + 1), items[i]);
  ini.save(path);
}

SimCadSettings readSimCadSettings(const std::string& path) {
  IniFile ini = IniFile::load(path);
  SimCadSettings s;
  auto v = cad::tryReadNumber(ini.readText("SimCad", "DIMSCALE", ""));
  if (v && *v > 0) s.dimscale = *v;
  for (int i = 1; i <= kRecentFileCount; ++i) {
    std::string f = ini.readText("SimCad", "Recent" + std::to_string(i), "");
    if (!f.empty()) s.recentFiles.push_back(f);
  }
  return s;
}

void writeSimCadDimscale(const std::string& path, double dimscale) {
  IniFile ini = IniFile::load(path);
  ini.write("SimCad", "DIMSCALE", cad::writeNumber(dimscale));
  ini.save(path);
}

void writeRecentFiles(const std::string& path, const std::vector<std::string>& files) {
  IniFile ini = IniFile::load(path);
  for (int i = 1; i <= kRecentFileCount; ++i) {
    auto at = static_cast<std::size_t>(i - 1);
    ini.write("SimCad", "Recent" + std::to_string(i), at < files.size() ? files[at] : "");
  }
  ini.save(path);
}

std::string captionFor(const std::string& cadName) {
  return std::string(kAppTitle) + " [ " + cadName + " ]";
}

std::optional<std::string> cadNameFromList(const std::vector<std::string>& lines,
                                           const std::string& progId) {
  for (const std::string& line : lines) {
    auto at = line.find("\t" + progId);
    if (at != std::string::npos) return line.substr(0, at);
  }
  return std::nullopt;
}

}  // namespace qarn::app
