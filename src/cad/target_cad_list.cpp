#include "cad/target_cad_list.h"

#include <algorithm>
#include <stdexcept>

#include "cad/text.h"

namespace qarn::cad {

TargetCadList::TargetCadList(Less less) : less_(std::move(less)) {
  if (!less_)
    less_ = [](const std::string& a, const std::string& b) {
      std::string ua = asciiUpper(a), ub = asciiUpper(b);
      return ua != ub ? ua < ub : a < b;
    };
}

bool TargetCadList::load(const std::string& path) {
  std::optional<TextFile> file;
  try {
    file = readTextFile(path);
  } catch (const std::exception& e) {
    lines_.clear();
    selected_.reset();
    unreadable_ = e.what();
    throw;
  }
  unreadable_.clear();
  if (!file) return false;
  encoding_ = file->encoding;
  badLine_ = file->badLine;
  lines_ = file->lines;
  std::stable_sort(lines_.begin(), lines_.end(), less_);
  selected_.reset();
  return true;
}

std::optional<int> TargetCadList::find(const std::string& progId) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].find("\t" + progId) != std::string::npos) return static_cast<int>(i);
  return std::nullopt;
}

void TargetCadList::select(std::optional<int> index) {
  if (index && (*index < 0 || *index >= static_cast<int>(lines_.size()))) index.reset();
  selected_ = index;
}

TargetCadList::Entry TargetCadList::split(const std::string& line) {
  auto tab = line.find('\t');
  if (tab == std::string::npos) return {"", line};
  return {line.substr(0, tab), line.substr(tab + 1)};
}

void TargetCadList::refuseUnread(const std::string& path) const {
  if (!unreadable_.empty())
    throw std::runtime_error("CAD の一覧「" + path +
                             "」を読めなかったため、書き換えません（一覧にある項目が失われます）。");
}

void TargetCadList::save(const std::string& path, const std::vector<std::string>& lines) const {
  TextFile f;
  f.encoding = encoding_;
  f.badLine = badLine_;
  f.lines = lines;
  writeTextFile(path, f);
}

void TargetCadList::add(const std::string& path, const std::string& name,
                        const std::string& progId) {
  refuseUnread(path);
  std::string entry = fieldValue(name, "CAD 名") + "\t" + fieldValue(progId, "ProgID");
  std::vector<std::string> next = lines_;
  auto at = std::upper_bound(next.begin(), next.end(), entry, less_);
  int index = static_cast<int>(at - next.begin());
  next.insert(at, entry);
  save(path, next);
  lines_ = std::move(next);
  selected_ = index;
}

bool TargetCadList::remove(const std::string& path) {
  refuseUnread(path);
  if (!selected_) return false;
  int i = *selected_;
  std::vector<std::string> next = lines_;
  next.erase(next.begin() + i);
  save(path, next);
  lines_ = std::move(next);
  if (lines_.empty())
    selected_.reset();
  else
    selected_ = std::min(i, static_cast<int>(lines_.size()) - 1);
  return true;
}

bool TargetCadList::change(const std::string& path, const std::string& name,
                           const std::string& progId) {
  refuseUnread(path);
  if (!selected_) return false;
  std::vector<std::string> next = lines_;
  next[*selected_] = fieldValue(name, "CAD 名") + "\t" + fieldValue(progId, "ProgID");
  save(path, next);
  lines_ = std::move(next);
  return true;
}

}  // namespace qarn::cad
