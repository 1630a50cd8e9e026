// The text reader of every catalogue, list and settings file: encodings by byte-order mark,
// Shift-JIS otherwise, line ends of any kind.
#include <cstdlib>

#include "cad/text_file.h"
#include "fuzz_support.h"

using namespace qarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  for (auto e : {cad::TextEncoding::ShiftJis, cad::TextEncoding::Utf8Bom,
                 cad::TextEncoding::Utf16LeBom, cad::TextEncoding::Utf16BeBom}) {
    std::string text = cad::decodeText(bytes, e);
    if (!fuzz::validUtf8(text)) std::abort();
    try {
      // What decodes must encode again, or be refused by name.
      cad::encodeText(text, e);
    } catch (const cad::EncodingError&) {
    }
  }
  auto file = cad::readTextFile(fuzz::writeInput("text.txt", data, size));
  if (!file) std::abort();
  for (const std::string& line : file->lines)
    if (line.find_first_of("\r\n") != std::string::npos || !fuzz::validUtf8(line)) std::abort();
  return 0;
}
