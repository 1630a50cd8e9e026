#include "cad/text.h"

#include <cstdint>
#include <cstdio>

namespace qarn::cad {

namespace {
bool isBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ' && c != '\0';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
}  // namespace

std::string_view trimView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
    s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
    s.remove_suffix(1);
  return s;
}

std::string trim(std::string_view s) {
  return std::string(trimView(s));
}

std::string asciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool containsText(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

std::string replaceAll(std::string s, std::string_view from, std::string_view to) {
  if (from.empty()) return s;
  std::string out;
  out.reserve(s.size());
  std::size_t pos = 0;
  for (std::size_t hit; (hit = s.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
    out.append(s, pos, hit - pos);
    out.append(to);
  }
  out.append(s, pos, std::string::npos);
  return out;
}

void SplitTabs(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  std::size_t start = 0;
  for (;;) {
    std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.emplace_back(line.substr(start));
      return;
    }
    fields.emplace_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> fields;
  SplitTabs(line, fields);
  return fields;
}

DeviceNumber SplitDeviceNumber(std::string_view text, bool fromEnd) {
  std::string_view t = trimView(text);
  std::size_t begin = std::string_view::npos, end = 0;
  if (fromEnd) {
    std::size_t i = t.size();
    while (i > 0 && !isDigit(t[i - 1]))
      --i;
    if (i > 0) {
      end = i;
      while (i > 0 && isDigit(t[i - 1]))
        --i;
      begin = i;
    }
  } else {
    std::size_t i = 0;
    while (i < t.size() && !isDigit(t[i]))
      ++i;
    if (i < t.size()) {
      begin = i;
      while (i < t.size() && isDigit(t[i]))
        ++i;
      end = i;
    }
  }
  if (begin == std::string_view::npos) return {std::string(t), "", ""};
  return {std::string(t.substr(0, begin)), std::string(t.substr(begin, end - begin)),
          std::string(t.substr(end))};
}

std::string ToCadSymbols(std::string_view text) {
  std::string s(text);
  s = replaceAll(std::move(s), "\xCE\xA6", "%%C");  // Φ
  s = replaceAll(std::move(s), "\xCF\x86", "%%C");  // φ
  s = replaceAll(std::move(s), "\xC2\xB1", "%%P");  // ±
  s = replaceAll(std::move(s), "\xC2\xB0", "%%D");  // °
  return s;
}

std::vector<std::string> splitCommaText(std::string_view text) {
  std::vector<std::string> items;
  std::size_t p = 0, n = text.size();
  auto skipBlanks = [&] {
    while (p < n && isBlank(text[p]))
      ++p;
  };
  skipBlanks();
  while (p < n) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < n) {
        if (text[p] == '"') {
          if (p + 1 < n && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
      // Whatever follows the closing quote up to the next separator belongs to the item.
      while (p < n && !isBlank(text[p]) && text[p] != ',')
        item += text[p++];
    } else {
      while (p < n && !isBlank(text[p]) && text[p] != ',')
        item += text[p++];
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < n && text[p] == ',') {
      if (p + 1 == n) items.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return items;
}

std::string cleanBlockName(std::string_view name, bool noBlanks) {
  std::string out(name);
  const std::string_view refused = noBlanks ? "<>/\\\":;?*|,=` " : "<>/\\\":;?*|,=`";
  for (char& c : out)
    if (refused.find(c) != std::string_view::npos) c = '_';
  for (std::size_t i = 0; i < out.size() && out[i] == ' '; ++i)
    out[i] = '_';
  for (std::size_t i = out.size(); i > 0 && out[i - 1] == ' '; --i)
    out[i - 1] = '_';
  if (out == name) return out;
  // "A/B" and "A:B" both read "A_B" now: a hash of the name as typed keeps them apart. The CAD
  // matches block names without regard to ASCII case, so the hash does the same.
  std::uint32_t h = 2166136261u;
  for (char c : asciiUpper(name)) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "_%06X", static_cast<unsigned>(h & 0xFFFFFF));
  return out + suffix;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace qarn::cad
