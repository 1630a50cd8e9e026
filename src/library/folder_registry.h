#pragma once
// The block library's registered folders: items "title | folder", kept sorted, and the rules of
// the registration dialog.
#include <optional>
#include <string>
#include <vector>

namespace qarn::library {

inline const char* const kNotFound = "が見つかりません.";
inline const char* const kAskRegister = "このフォルダを登録しますか？";
inline const char* const kAskUpdate = "タイトルを更新しますか？";
inline const char* const kAskDuplicate = "すでに同じタイトル、フォルダが存在します．追加しますか？";
inline const char* const kAskDelete = "このフォルダの登録を削除しますか？";
inline const char* const kBarInTitle = "タイトルに \"|\" は使えません．";

// "title | folder"
std::string registryItem(const std::string& title, const std::string& folder);

struct Registration {
  std::string title, folder;
};
// The parts of an item around its first "|", trimmed; nothing for an item without "|".
std::optional<Registration> splitItem(const std::string& item);

class FolderRegistry {
 public:
  const std::vector<std::string>& items() const { return items_; }
  void setItems(std::vector<std::string> items);  // sorted as the list shows them
  bool contains(const std::string& item) const;
  // The item sorted in; the index of the first item equal to it.
  int add(const std::string& item);
  // The item at `index` replaced (and the list sorted again); the index of the first equal item.
  int replace(int index, const std::string& item);
  void remove(int index);
  int indexOf(const std::string& item) const;

 private:
  std::vector<std::string> items_;
};

}  // namespace qarn::library
