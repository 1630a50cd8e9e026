// Reading, decoding, cropping and scaling the preview of each sample drawing, as a selection in
// the block library's file list does it (box 225 x 229).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "library/thumbnail.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(QARN_SOURCE_DIR) / ".." / "shared" / "samples" / "dwg";

void ShowThumbnail(benchmark::State& state, const char* file) {
  std::string path = (kSamples / file).string();
  for (auto _ : state) {
    auto t = qarn::library::ShowDwgThumbnail(path, 225, 229, 0x000000, true);
    if (!t.read) state.SkipWithError("the sample could not be read");
    benchmark::DoNotOptimize(t.box.bgr.data());
  }
}

}  // namespace

BENCHMARK_CAPTURE(ShowThumbnail, R14_512x512_8bit, "R14.dwg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShowThumbnail, ATMOS_256x160_32bit, "ATMOS-DC22S.dwg")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShowThumbnail, Constraints_591x448_png, "Constraints.dwg")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShowThumbnail, sample_2018_597x448_png, "sample_2018.dwg")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShowThumbnail, v_180x116_8bit, "v.dwg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShowThumbnail, gh209_224x140_8bit, "gh209_1.dwg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShowThumbnail, Point_none, "Point.dwg")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
