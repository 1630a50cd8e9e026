#pragma once
// The sample drawings beside the repository (../shared/samples). A clone made elsewhere does not
// have them: a test that reads them then skips, saying why. QARN_SAMPLES names another folder
// (the test of that skip points it at one that does not exist).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qarn::testing {

inline std::filesystem::path samplesFolder(const std::string& kind) {
  const char* other = std::getenv("QARN_SAMPLES");
  std::filesystem::path root = other && *other
                                   ? std::filesystem::path(other)
                                   : std::filesystem::path(QARN_SOURCE_DIR) / ".." / "shared" /
                                         "samples";
  return root / kind;
}

}  // namespace qarn::testing

// Skips the test when the sample folder of `kind` ("dwg", "dxf") is missing.
#define QARN_NEEDS_SAMPLES(kind)                                                          \
  if (!std::filesystem::is_directory(::qarn::testing::samplesFolder(kind)))                 \
  GTEST_SKIP() << "no sample files in " << ::qarn::testing::samplesFolder(kind).string()    \
               << " (a clone outside the project has none; .ci/run makes sure CI has them)"
