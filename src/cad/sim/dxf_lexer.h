#pragma once
// Reading a DXF file's group-code pairs: the lines paired and checked (every code a whole number,
// every number a number), the versions read, and the small conversions the reader shares.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qarn::cad::sim::dxf {

struct Pair {
  int code;
  std::string_view value;  // trimmed of the line end; numbers also of blanks
  int line;                // of the value
  bool hasReal = false;    // the value of a real's group code, read once while checking it
  double realValue = 0;
};

enum class ValueKind { Text, Real, Integer };
ValueKind kindOf(int code);
std::string_view trimBlanks(std::string_view s);

// The versions read: 2.10 (AC2.10) to 2018 (AC1032), as a number (210, 1009 ...).
std::optional<int> versionNumber(std::string_view v);
[[noreturn]] void unknownVersion(int line, std::string_view v);

// The file as group-code pairs, comments left out; DxfError at the first line that is not one.
std::vector<Pair> tokenize(std::string_view bytes);

double real(const Pair& p);
long integer(const Pair& p);
// Degrees of any size as radians within one turn; what is no finite number as 0.
double radians(double degrees);
// Windows-1252 bytes 0x80 to 0x9F; the others are Latin-1.
extern const unsigned kCp1252[32];
bool hexDigits(std::string_view s, std::size_t at, std::size_t n, unsigned& v);
// A text as a value of an ASCII DXF file: non-ASCII characters and backslashes that would start
// an escape as \U+XXXX, control characters in caret form.
std::string escapeText(const std::string& s);

}  // namespace qarn::cad::sim::dxf
