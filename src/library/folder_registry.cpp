#include "library/folder_registry.h"

#include <algorithm>

#include "cad/text.h"

namespace qarn::library {

std::string registryItem(const std::string& title, const std::string& folder) {
  return title + " | " + folder;
}

std::optional<Registration> splitItem(const std::string& item) {
  std::size_t bar = item.find('|');
  if (bar == std::string::npos) return std::nullopt;
  return Registration{cad::trim(item.substr(0, bar)), cad::trim(item.substr(bar + 1))};
}

void FolderRegistry::setItems(std::vector<std::string> items) {
  items_ = std::move(items);
  std::stable_sort(items_.begin(), items_.end());
}

bool FolderRegistry::contains(const std::string& item) const {
  return indexOf(item) >= 0;
}

int FolderRegistry::indexOf(const std::string& item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int FolderRegistry::add(const std::string& item) {
  items_.insert(std::upper_bound(items_.begin(), items_.end(), item), item);
  return indexOf(item);
}

int FolderRegistry::replace(int index, const std::string& item) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return add(item);
  items_.erase(items_.begin() + index);
  return add(item);
}

void FolderRegistry::remove(int index) {
  if (index >= 0 && index < static_cast<int>(items_.size())) items_.erase(items_.begin() + index);
}

}  // namespace qarn::library
