#pragma once
// The user's list of target CADs, "TargetCAD_APIVersion.txt" beside the executable: one CAD a
// line, display name, tab, ProgID. The list keeps its lines sorted; a change stays where it is
// until the next load.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cad/text_file.h"

namespace qarn::cad {

inline const char* const kTargetCadListFile = "TargetCAD_APIVersion.txt";

class TargetCadList {
 public:
  // Orders two lines; the window passes the user's collation. The default ignores ASCII case.
  using Less = std::function<bool(const std::string&, const std::string&)>;
  explicit TargetCadList(Less less = {});

  // False when the file does not exist (the list keeps what it held). A file that exists but
  // cannot be read empties the list and throws std::runtime_error; until a later load reads it,
  // every change is refused, so that the user's entries are never replaced by an empty list.
  bool load(const std::string& path);
  // Why the file could not be read at the last load; empty when it could.
  const std::string& unreadable() const { return unreadable_; }
  // The first line that holds a tab followed by the ProgID.
  std::optional<int> find(const std::string& progId) const;

  const std::vector<std::string>& lines() const { return lines_; }
  std::optional<int> selected() const { return selected_; }
  void select(std::optional<int> index);

  struct Entry {
    std::string name, progId;
  };
  // The text before the first tab and after it; without a tab the whole line is the ProgID.
  static Entry split(const std::string& line);

  // Each change writes the file; when writing fails (std::runtime_error) the list stays as it
  // was. Delete and change without a selection do nothing and return false. After a failed read
  // each change is refused with std::runtime_error naming the file.
  void add(const std::string& path, const std::string& name, const std::string& progId);
  bool remove(const std::string& path);
  bool change(const std::string& path, const std::string& name, const std::string& progId);

 private:
  void save(const std::string& path, const std::vector<std::string>& lines) const;
  void refuseUnread(const std::string& path) const;
  Less less_;
  std::vector<std::string> lines_;
  std::optional<int> selected_;
  TextEncoding encoding_ = TextEncoding::ShiftJis;
  int badLine_ = 0;  // a line read with undefined bytes: the file is not rewritten
  std::string unreadable_;
};

}  // namespace qarn::cad
