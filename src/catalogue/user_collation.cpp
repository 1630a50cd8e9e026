// The user's collation, one for the window and the command-line tool, so that a line number of a
// catalogue means the same line everywhere: the platform's collation of the user's language,
// case ignored. Each line gets one sort key, made once and kept compactly in one buffer.
#include "catalogue/user_collation.h"

#include "cad/huge_pages.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#include <clocale>
#include <cwchar>
#include <cwctype>
#endif

namespace qarn::catalogue {

namespace {

// A collation weight as bytes whose order is the weights' order, short for small weights.
void appendWeight(std::string& key, std::uint32_t w) {
  if (w < 0x80) {
    key += static_cast<char>(w);
  } else if (w < 0x4000) {
    key += static_cast<char>(0x80 | (w >> 8));
    key += static_cast<char>(w & 0xFF);
  } else if (w < 0x200000) {
    key += static_cast<char>(0xC0 | (w >> 16));
    key += static_cast<char>((w >> 8) & 0xFF);
    key += static_cast<char>(w & 0xFF);
  } else {
    key += '\xE0';
    for (int s = 24; s >= 0; s -= 8)
      key += static_cast<char>((w >> s) & 0xFF);
  }
}


#ifdef _WIN32
void appendSortKey(std::string& keys, std::string_view utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  DWORD flags = LCMAP_SORTKEY | LINGUISTIC_IGNORECASE;
  int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, w.c_str(), static_cast<int>(w.size()),
                           nullptr, 0, nullptr, nullptr, 0);
  if (size <= 0) return;
  std::size_t at = keys.size();
  keys.resize(at + size);
  LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, w.c_str(), static_cast<int>(w.size()),
                reinterpret_cast<LPWSTR>(keys.data() + at), size, nullptr, nullptr, 0);
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

// The sort key of a line: the collation's transform of the line lower-cased, its weights written
// with appendWeight. In a collation of one level without contractions (Japanese, C.UTF-8) the
// transform of a line is the transforms of its characters one after another: those are made once
// a character and looked up; any other collation transforms each line whole.
class KeyMaker {
 public:
  explicit KeyMaker(locale_t loc) : loc_(loc), perCharacter_(oneLevel()) {}

  // Appends the line's key at `used`; `keys` is only a buffer, grown ahead (zero-filling it
  // once rather than per line), its first `used` bytes the keys made so far.
  void append(std::string& keys, std::size_t& used, std::string_view line) {
    if (!perCharacter_) {
      keys.resize(used);
      appendWhole(keys, line);
      used = keys.size();
      return;
    }
    // At most three bytes a character of one byte or more (and room to store four); a longer
    // weight makes room again.
    char* out = room(keys, used, 3 * line.size() + 4);
    for (std::size_t i = 0; i < line.size();) {
      char32_t cp = nextCodePoint(line, i);
      std::uint32_t packed = cp < kDirect ? direct_[cp] : 0;
      if (packed == 0) packed = learn(cp);
      if (packed & kLong) {
        used = static_cast<std::size_t>(out - keys.data());
        const auto& [from, length] = spans_[packed >> 8];
        out = room(keys, used, length + 3 * (line.size() - i) + 4);
        std::memcpy(out, pool_.data() + from, length);
        out += length;
        continue;
      }
      // All three weight bytes stored, then only the used ones counted: the number of bytes
      // changes from character to character, a branch on it is mispredicted often.
      if constexpr (std::endian::native == std::endian::little) {
        const std::uint32_t weights = packed >> 8;
        std::memcpy(out, &weights, 4);
        out += (packed >> 1) & 3;
      } else {
        for (std::uint32_t n = (packed >> 1) & 3, b = 0; b < n; ++b)
          *out++ = static_cast<char>(packed >> (8 * (b + 1)));
      }
    }
    used = static_cast<std::size_t>(out - keys.data());
  }
  void append(std::string& keys, std::string_view line) {
    std::size_t used = keys.size();
    append(keys, used, line);
    keys.resize(used);
  }
  // Whether the lines' keys made character by character equal those made whole; otherwise
  // the maker goes over to whole lines.
  bool confirm(const std::vector<std::string_view>& sample) {
    if (!perCharacter_) return true;
    for (std::string_view line : sample) {
      std::string a, b;
      append(a, line);
      appendWhole(b, line);
      if (a != b) {
        perCharacter_ = false;
        return false;
      }
    }
    return true;
  }

 private:
  bool oneLevel() const {
#ifdef __GLIBC__
    auto rules = static_cast<std::uint32_t>(
        reinterpret_cast<std::uintptr_t>(nl_langinfo_l(_NL_COLLATE_NRULES, loc_)));
    return rules <= 1;
#else
    return false;
#endif
  }
  // Where the next `n` bytes go after the first `used` of `keys`. Within the room reserved the
  // buffer is made usable (and so written and paged in) 64 KB at a time, so that what the keys
  // leave unused is never touched.
  static char* room(std::string& keys, std::size_t used, std::size_t n) {
    const std::size_t want = used + n;
    if (keys.size() < want)
      keys.resize(want <= keys.capacity() ? std::min(keys.capacity(), want + (1 << 16))
                                          : std::max(want, keys.size() + keys.size() / 2));
    return keys.data() + used;
  }
  void appendWhole(std::string& keys, std::string_view line) {
    std::wstring w;
    for (std::size_t i = 0; i < line.size();)
      w += static_cast<wchar_t>(towlower_l(static_cast<wint_t>(nextCodePoint(line, i)), loc_));
    std::size_t n = wcsxfrm_l(nullptr, w.c_str(), 0, loc_);
    std::wstring x(n + 1, L'\0');
    wcsxfrm_l(x.data(), w.c_str(), n + 1, loc_);
    x.resize(n);
    for (wchar_t c : x)
      appendWeight(keys, static_cast<std::uint32_t>(c));
  }
  // A character's weights, packed: bit 0 set once made, bits 1 and 2 the number of bytes, up to
  // three bytes above them; longer weights lie in `pool_`, kLong set and their span's place
  // above bit 8.
  static constexpr std::uint32_t kLong = 0x80;
  std::uint32_t learn(char32_t cp) {
    std::string w;
    transform(w, cp);
    std::uint32_t packed = 1;
    if (w.size() <= 3) {
      packed |= static_cast<std::uint32_t>(w.size()) << 1;
      for (std::size_t b = 0; b < w.size(); ++b)
        packed |= static_cast<std::uint32_t>(static_cast<unsigned char>(w[b])) << (8 * (b + 1));
    } else {
      packed |= kLong | static_cast<std::uint32_t>(spans_.size()) << 8;
      spans_.push_back({static_cast<std::uint32_t>(pool_.size()),
                        static_cast<std::uint32_t>(w.size())});
      pool_ += w;
    }
    if (cp < kDirect) direct_[cp] = packed;
    return packed;
  }
  void transform(std::string& out, char32_t cp) {
    wchar_t w[2] = {static_cast<wchar_t>(towlower_l(static_cast<wint_t>(cp), loc_)), 0};
    if (w[0] == 0) return;
    std::size_t n = wcsxfrm_l(nullptr, w, 0, loc_);
    std::wstring x(n + 1, L'\0');
    wcsxfrm_l(x.data(), w, n + 1, loc_);
    x.resize(n);
    for (wchar_t c : x)
      appendWeight(out, static_cast<std::uint32_t>(c));
  }
  static constexpr char32_t kDirect = 0x10000;
  locale_t loc_;
  bool perCharacter_;
  // The packed weights of the characters of the basic plane, 0 until made; the others are made
  // again each time (they are rare in a catalogue).
  std::vector<std::uint32_t> direct_ = std::vector<std::uint32_t>(kDirect, 0);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans_;  // start and length in `pool_`
  std::string pool_;
};
#endif

}  // namespace

char32_t nextCodePoint(std::string_view s, std::size_t& i) {
  auto c = static_cast<unsigned char>(s[i]);
  int len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  char32_t cp = len == 1 ? c : c & (0xFF >> (len + 1));
  for (int k = 1; k < len && i + k < s.size(); ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += len;
  return cp;
}

LineSorter userCollationSorter() {
  return [](const std::vector<std::string_view>& lines) -> LineOrder {
#ifndef _WIN32
    locale_t loc = userLocale();
    if (!loc) return sortIgnoringCase(lines);  // the plain "C" collation: ASCII case ignored
#endif
    std::size_t total = 0;
    for (std::string_view l : lines)
      total += l.size();
    std::string keys;
    std::vector<std::size_t> keyEnd;
    cad::reserveLarge(keyEnd, lines.size());
#ifdef _WIN32
    if (inKeyOrder(lines, appendSortKey, false)) return unchangedOrder(lines.size());
    cad::reserveLarge(keys, total * 2);
    for (std::string_view l : lines) {
      appendSortKey(keys, l);
      keyEnd.push_back(keys.size());
    }
#else
    KeyMaker maker(loc);
    maker.confirm(std::vector<std::string_view>(
        lines.begin(), lines.begin() + std::min<std::size_t>(lines.size(), 64)));
    auto make = [&maker](std::string& key, std::string_view l) { maker.append(key, l); };
    if (inKeyOrder(lines, make, false)) {
      freelocale(loc);
      return unchangedOrder(lines.size());
    }
    // Keys take about a byte for a byte of text here (Japanese, C.UTF-8); a buffer with room for
    // that is filled once, and grows beyond it only for longer weights.
    std::size_t used = 0;
    cad::reserveLarge(keys, total + total / 16 + 256);
    for (std::string_view l : lines) {
      maker.append(keys, used, l);
      keyEnd.push_back(used);
    }
    keys.resize(used);
    freelocale(loc);
#endif
    LineOrder order = orderByKeys(keys, keyEnd);
    order.spare = std::move(keys);
    return order;
  };
}

}  // namespace qarn::catalogue
