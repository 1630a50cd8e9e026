#pragma once
// Text routines shared by several pages: fields, tabs, device numbers, CAD symbols.
#include <string>
#include <string_view>
#include <vector>

namespace qarn::cad {

// Blanks are the characters up to and including the space (tabs, line ends, control codes).
std::string_view trimView(std::string_view s);
std::string trim(std::string_view s);
// Upper case for ASCII letters only; every other byte (and so every non-ASCII character) stays.
std::string asciiUpper(std::string_view s);
// A code point appended as UTF-8.
void appendUtf8(std::string& out, char32_t cp);
bool containsText(std::string_view haystack, std::string_view needle);
// Every occurrence of `from` replaced by `to`, left to right.
std::string replaceAll(std::string s, std::string_view from, std::string_view to);

// The fields of a line split at every tab, empty fields kept: k tabs give k + 1 fields.
void SplitTabs(std::string_view line, std::vector<std::string>& fields);
std::vector<std::string> SplitTabs(std::string_view line);

struct DeviceNumber {
  std::string prefix, number, suffix;
  bool operator==(const DeviceNumber&) const = default;
};
// Splits around the last digit run (fromEnd) or the first one; no digit gives the whole text as
// prefix. The text is trimmed first.
DeviceNumber SplitDeviceNumber(std::string_view text, bool fromEnd);

// A block name the CAD takes: each character it refuses in a name (< > / \ " : ; ? * | , = `)
// and each blank at the start or the end replaced by "_". A name that changed gets "_" and six
// hex digits of a hash of the name as given, so that "A/B" and "A:B" stay two blocks; a name that
// needed nothing stays exactly as it is. `noBlanks` for a name sent on a command line, where a
// blank ends the input: every blank is replaced then.
std::string cleanBlockName(std::string_view name, bool noBlanks = false);

// "Φ" and "φ" to "%%C", "±" to "%%P", "°" to "%%D", as the CAD writes these symbols.
std::string ToCadSymbols(std::string_view text);

// Comma text: commas and blanks separate items, a double-quoted part is one item ("" inside it
// is a quote), two commas in a row give an empty item.
std::vector<std::string> splitCommaText(std::string_view text);

}  // namespace qarn::cad
