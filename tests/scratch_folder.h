#pragma once
// A scratch folder for one test: unique to the process and the call, so tests run in parallel
// never share one, and named in Japanese, so every file the tests write passes through a folder
// whose name is not ASCII (on Windows, not in the code page of an English system either).
#include <atomic>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "cad/text_file.h"

namespace qarn::scratch {

inline std::filesystem::path folder(const std::string& prefix) {
  static std::atomic<unsigned> calls{0};
#ifdef _WIN32
  long pid = _getpid();
#else
  long pid = ::getpid();
#endif
  auto dir = std::filesystem::temp_directory_path() /
             cad::filePath(prefix + "-制御盤データ-" + std::to_string(pid) + "-" +
                           std::to_string(calls++));
  std::filesystem::create_directories(dir);
  return dir;
}

// A path as the program passes it around: UTF-8.
inline std::string text(const std::filesystem::path& p) {
  return cad::utf8Path(p);
}

}  // namespace qarn::scratch
