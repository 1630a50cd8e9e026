#pragma once
// A catalogue file read for loading: decoded a run of lines at a time as it is read, with a hash
// of its bytes that tells a later read whether the content changed.
#include <cstdint>
#include <optional>
#include <string>

#include "cad/text_file.h"

namespace qarn::catalogue {

struct DecodedFile {
  cad::TextEncoding encoding = cad::TextEncoding::ShiftJis;
  std::string text;
  std::uint64_t hash = 0;
};

// Nothing when the file does not exist; std::runtime_error when it cannot be read.
std::optional<DecodedFile> readDecoded(const std::string& path);
// The hash readDecoded gives the file's bytes.
std::optional<std::uint64_t> hashFile(const std::string& path);

}  // namespace qarn::catalogue
