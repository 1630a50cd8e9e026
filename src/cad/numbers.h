#pragma once
// Reading numbers from fields and writing them into command lines.
#include <optional>
#include <string>
#include <string_view>

namespace qarn::cad {

// The number a field holds: blanks trimmed, "." as separator; `fallback` when it is not a number.
double readNumber(std::string_view text, double fallback = 0.0);
// As readNumber, but says when the text is not a number at all.
std::optional<double> tryReadNumber(std::string_view text);
// A number (as tryReadNumber reads it) that is whole and fits an int; nothing otherwise.
std::optional<int> tryReadWholeNumber(std::string_view text);
// A whole number (no fraction, no exponent); `fallback` otherwise.
int readInteger(std::string_view text, int fallback = 0);

// The shortest decimal text that reads back to the same double, "." as separator, never an
// exponent; "-0" is written "0".
std::string writeNumber(double v);

}  // namespace qarn::cad
