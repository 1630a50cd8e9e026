#include "cad/sim/transcript_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qarn::cad::sim {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool partOfName(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// "279.88750000000005" -> "279.8875"; a number of 15 significant digits or fewer is kept.
std::string rounded(const std::string& number) {
  int significant = 0;
  bool leading = true;
  for (char c : number) {
    if (!isDigit(c)) continue;
    if (leading && c == '0') continue;
    leading = false;
    ++significant;
  }
  if (significant <= 15) return number;
  double v = std::strtod(number.c_str(), nullptr);
  if (v == 0 || !std::isfinite(v)) return number;
  int decimals = 14 - static_cast<int>(std::floor(std::log10(std::fabs(v))));
  decimals = decimals < 0 ? 0 : decimals > 340 ? 340 : decimals;
  std::string out(400, '\0');
  int n = std::snprintf(out.data(), out.size(), "%.*f", decimals, v);
  if (n <= 0 || n >= static_cast<int>(out.size())) return number;
  out.resize(static_cast<std::size_t>(n));
  if (out.find('.') != std::string::npos) {
    while (out.back() == '0')
      out.pop_back();
    if (out.back() == '.') out.pop_back();
  }
  return out == "-0" ? "0" : out;
}

}  // namespace

std::string cadNumbers(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    bool starts = isDigit(text[i]) && (i == 0 || !partOfName(text[i - 1]));
    if (!starts) {
      out += text[i++];
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && isDigit(text[end]))
      ++end;
    if (end + 1 < text.size() && text[end] == '.' && isDigit(text[end + 1])) {
      ++end;
      while (end < text.size() && isDigit(text[end]))
        ++end;
    }
    std::string number = text.substr(i, end - i);
    bool inName = end < text.size() && partOfName(text[end]);
    out += inName || number.find('.') == std::string::npos ? number : rounded(number);
    i = end;
  }
  return out;
}

std::string transcriptLineShown(const std::string& line) {
  if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
    return cadNumbers(line.substr(1, line.size() - 2));
  std::string shown = "コマンド: ";
  for (char c : cadNumbers(line)) {
    if (c == '\r')
      shown += " ⏎ ";
    else
      shown += c;
  }
  return shown;
}

}  // namespace qarn::cad::sim
