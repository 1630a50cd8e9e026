#pragma once
// The simulated CAD's transcript as its command window shows it: a command line after the
// "コマンド: " prompt with each Enter marked, a message of the CAD's own as it is, and numbers as a
// CAD shows them, never with the last binary digits of a double (279.8875, not
// 279.88750000000005).
#include <string>

namespace qarn::cad::sim {

// A decimal number in `text` with more than 15 significant digits rounded to 15, trailing zeros
// dropped; digits that belong to a name (TOVEK_RA100, a handle) are left alone.
std::string cadNumbers(const std::string& text);

// One line of the transcript: the CAD's own messages are kept in brackets there.
std::string transcriptLineShown(const std::string& line);

}  // namespace qarn::cad::sim
