#pragma once
// What the fuzz targets share: the fuzzer's bytes written to a file of this process, since the
// readers under test read files as a user's disk gives them.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace qarn::fuzz {

// A folder of this process's own, made once and removed when the process ends.
inline const std::filesystem::path& scratchFolder() {
  struct Folder {
    std::filesystem::path path;
    Folder()
        : path(std::filesystem::temp_directory_path() /
               ("qarn-fuzz-" + std::to_string(::getpid()))) {
      std::filesystem::create_directories(path);
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  return folder.path;
}

inline std::string writeInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
  std::string path = (scratchFolder() / name).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

// Valid UTF-8, as every reader promises its texts are.
inline bool validUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace qarn::fuzz
