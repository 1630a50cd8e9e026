#include "cad/sim/dxf_lexer.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <numbers>

#include "cad/sim/dxf_reader.h"

namespace qarn::cad::sim::dxf {

ValueKind kindOf(int c) {
  if ((c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
      (c >= 460 && c <= 469) || (c >= 1010 && c <= 1059))
    return ValueKind::Real;
  if ((c >= 60 && c <= 99) || (c >= 160 && c <= 179) || (c >= 270 && c <= 299) ||
      (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || (c >= 420 && c <= 429) ||
      (c >= 440 && c <= 459) || (c >= 1060 && c <= 1071))
    return ValueKind::Integer;
  return ValueKind::Text;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

bool isInteger(std::string_view s) {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool isReal(std::string_view s, double& v) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// The kinds of the group codes a file uses, looked up rather than worked out for each pair.
constexpr int kTabledCodes = 1072;
const std::array<ValueKind, kTabledCodes>& kindTable() {
  static const std::array<ValueKind, kTabledCodes> table = [] {
    std::array<ValueKind, kTabledCodes> t{};
    for (int c = 0; c < kTabledCodes; ++c)
      t[c] = kindOf(c);
    return t;
  }();
  return table;
}

// A group code line (trimmed): a whole number, read as the checked path reads it.
bool readCode(std::string_view c, int& code) {
  if (!c.empty() && c.size() <= 4 && c.front() >= '0' && c.front() <= '9') {
    int v = 0;
    for (char ch : c) {
      if (ch < '0' || ch > '9') return false;
      v = v * 10 + (ch - '0');
    }
    code = v;
    return true;
  }
  if (!isInteger(c)) return false;
  code = 0;  // out of range reads as 0
  std::from_chars(c.data() + (c.front() == '+'), c.data() + c.size(), code);
  return true;
}

// The versions read: 2.10 to 2018 (AC1032). Those before R12 have the same group codes, with
// fewer sections and tables and no handles.
std::optional<int> versionNumber(std::string_view v) {
  static const std::map<std::string, int, std::less<>> known = {
      {"AC2.10", 210},  {"AC1002", 1002}, {"AC1003", 1003}, {"AC1004", 1004}, {"AC1006", 1006},
      {"AC1009", 1009}, {"AC1012", 1012}, {"AC1014", 1014}, {"AC1015", 1015}, {"AC1018", 1018},
      {"AC1021", 1021}, {"AC1024", 1024}, {"AC1027", 1027}, {"AC1032", 1032}};
  auto it = known.find(trimBlanks(v));
  if (it == known.end()) return std::nullopt;
  return it->second;
}

[[noreturn]] void unknownVersion(int line, std::string_view v) {
  throw DxfError(line, "drawing version " + std::string(trimBlanks(v)) +
                           " is not read; drawings from 2.10 (AC2.10) to 2018 (AC1032) are");
}

// The file as group-code pairs; every code an integer, every number a number.
std::vector<Pair> tokenize(std::string_view bytes) {
  if (bytes.substr(0, 18) == "AutoCAD Binary DXF")
    throw DxfError(1, "a binary DXF file; only ASCII DXF is read");
  // One pass over the bytes: a code line, then its value line.
  std::size_t start = 0;
  int lineNo = 0;
  auto nextLine = [&](std::string_view& line) {
    if (start >= bytes.size()) return false;
    const char* from = bytes.data() + start;
    const void* nl = std::memchr(from, '\n', bytes.size() - start);
    std::size_t stop = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - bytes.data())
                          : bytes.size();
    line = bytes.substr(start, stop - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = nl ? stop + 1 : bytes.size();
    ++lineNo;
    return true;
  };
  std::vector<Pair> pairs;
  pairs.reserve(bytes.size() / 8);  // a pair takes 8 bytes or more in most files
  std::string_view c;
  if (!nextLine(c)) throw DxfError(1, "the file is empty");
  for (;;) {
    int codeLine = lineNo;
    c = trimBlanks(c);
    std::string_view v;
    bool more = nextLine(v);
    if (c.empty() && !more) break;  // a blank last line
    int code = 0;
    if (!readCode(c, code)) throw DxfError(codeLine, "a group code must be a whole number");
    if (!more) throw DxfError(codeLine + 1, "the file ends after a group code");
    if (code == 0) v = trimBlanks(v);
    ValueKind k = code >= 0 && code < kTabledCodes ? kindTable()[code] : kindOf(code);
    double number = 0;
    if (k != ValueKind::Text) {
      v = trimBlanks(v);
      if (k == ValueKind::Integer ? !isInteger(v) : !isReal(v, number))
        throw DxfError(codeLine + 1, "group code " + std::to_string(code) + " needs a number");
    }
    if (code != 999) {  // a comment
      pairs.push_back({code, v, codeLine + 1, k == ValueKind::Real, number});
      if (code == 0 && v == "EOF") break;  // what follows (a DOS end-of-file mark) is no drawing
      // A drawing of a version not read is refused as such, not for what follows in it.
      if (code == 1 && pairs.size() >= 2 && pairs[pairs.size() - 2].code == 9 &&
          pairs[pairs.size() - 2].value == "$ACADVER" && !versionNumber(v))
        unknownVersion(codeLine + 1, v);
    }
    if (!nextLine(c)) break;
  }
  return pairs;
}

double real(const Pair& p) {
  if (p.hasReal) return p.realValue;
  std::string_view s = p.value;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

long integer(const Pair& p) {
  std::string_view s = p.value;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  long long v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc()) throw DxfError(p.line, "a number out of range");
  return static_cast<long>(v);
}

double radians(double degrees) {
  // Whole turns dropped in degrees, where they are exact: 1e30° is an angle like any other.
  if (!std::isfinite(degrees)) return 0;
  degrees = std::fmod(degrees, 360.0);
  if (degrees < 0) degrees += 360.0;
  return degrees * std::numbers::pi / 180.0;
}

extern const unsigned kCp1252[32];
const unsigned kCp1252[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                              0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

bool hexDigits(std::string_view s, std::size_t at, std::size_t n, unsigned& v) {
  if (at + n > s.size()) return false;
  v = 0;
  for (std::size_t k = 0; k < n; ++k) {
    char c = s[at + k];
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                   : -1;
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  return true;
}

static bool startsEscape(const std::string& s, std::size_t at) {
  auto hex = [&](std::size_t from, std::size_t n) {
    if (from + n > s.size()) return false;
    for (std::size_t k = from; k < from + n; ++k)
      if (!std::isxdigit(static_cast<unsigned char>(s[k]))) return false;
    return true;
  };
  return (s.compare(at, 3, "\\U+") == 0 && hex(at + 3, 4)) ||
         (s.compare(at, 4, "\\M+1") == 0 && hex(at + 4, 4));
}

// Non-ASCII characters are written as \U+XXXX, which every DXF reader decodes whatever its code
// page; a backslash that would read as such an escape as \U+005C. A control character would end
// the line the value is on: it goes in caret form ("^J" a line feed, "^ " a caret).
std::string escapeText(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    if (c < 0x80) {
      if (c < 0x20) {
        out += '^';
        out += static_cast<char>(c + 0x40);
      } else if (c == '^') {
        out += "^ ";
      } else if (c == '\\' && startsEscape(s, i)) {
        out += "\\U+005C";
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    unsigned cp = 0;
    int len = (c >= 0xF0) ? 4 : (c >= 0xE0) ? 3 : (c >= 0xC0) ? 2 : 1;
    cp = len == 1 ? c : c & (0xFF >> (len + 1));
    for (int k = 1; k < len && i + k < s.size(); ++k)
      cp = (cp << 6) | (s[i + k] & 0x3F);
    i += len;
    auto put = [&](unsigned u) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "\\U+%04X", u);
      out += buf;
    };
    if (cp > 0xFFFF) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

}  // namespace qarn::cad::sim::dxf
