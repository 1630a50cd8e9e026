// The user's collation, one for the window and the command-line tool, so that a line number of a
// catalogue means the same line everywhere: the platform's collation of the user's language,
// case ignored, one sort key a line.
#include "catalogue/user_collation.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <locale.h>
#include <clocale>
#include <cwchar>
#include <cwctype>
#endif

namespace qarn::catalogue {

namespace {

// The lines in the order of their keys; equal keys keep their order.
template <class Key>
void sortByKeys(std::vector<std::string>& lines, const std::vector<Key>& keys) {
  std::vector<std::size_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (std::size_t i : order)
    sorted.push_back(std::move(lines[i]));
  lines = std::move(sorted);
}

#ifdef _WIN32
std::string sortKey(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  DWORD flags = LCMAP_SORTKEY | LINGUISTIC_IGNORECASE;
  int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, w.c_str(), static_cast<int>(w.size()),
                           nullptr, 0, nullptr, nullptr, 0);
  std::string key(size > 0 ? size : 0, '\0');
  if (size > 0)
    LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, w.c_str(), static_cast<int>(w.size()),
                  reinterpret_cast<LPWSTR>(key.data()), size, nullptr, nullptr, 0);
  return key;
}
#else
// The user's collation locale, or nothing when it is the plain "C" one (or cannot be made).
locale_t userLocale() {
  const char* names[] = {"LC_ALL", "LC_COLLATE", "LANG"};
  std::string chosen;
  for (const char* n : names)
    if (const char* v = std::getenv(n); v && *v) {
      chosen = v;
      break;
    }
  if (chosen.empty() || chosen == "C" || chosen == "POSIX") return static_cast<locale_t>(0);
  return newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, chosen.c_str(), static_cast<locale_t>(0));
}

std::wstring wide(const std::string& s) {
  std::wstring out;
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    wchar_t cp = len == 1 ? c : c & (0xFF >> (len + 1));
    for (int k = 1; k < len && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out += cp;
    i += len;
  }
  return out;
}

std::wstring sortKey(const std::string& utf8, locale_t loc) {
  std::wstring w = wide(utf8);
  for (wchar_t& c : w)
    c = towlower_l(c, loc);
  std::size_t n = wcsxfrm_l(nullptr, w.c_str(), 0, loc);
  std::wstring key(n + 1, L'\0');
  wcsxfrm_l(key.data(), w.c_str(), n + 1, loc);
  key.resize(n);
  return key;
}
#endif

}  // namespace

LineSorter userCollationSorter() {
  return [](std::vector<std::string>& lines) {
#ifdef _WIN32
    std::vector<std::string> keys;
    keys.reserve(lines.size());
    for (const std::string& l : lines)
      keys.push_back(sortKey(l));
    sortByKeys(lines, keys);
#else
    locale_t loc = userLocale();
    if (!loc) {
      sortIgnoringCase(lines);  // the plain "C" collation: code points, ASCII case ignored
      return;
    }
    std::vector<std::wstring> keys;
    keys.reserve(lines.size());
    for (const std::string& l : lines)
      keys.push_back(sortKey(l, loc));
    freelocale(loc);
    sortByKeys(lines, keys);
#endif
  };
}

}  // namespace qarn::catalogue
