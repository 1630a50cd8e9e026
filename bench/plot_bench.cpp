// Printing the large drawing of the window benchmark (200 enclosures of all seven families, each
// with a plate of 96 device frames with two attributes: 23,765 model-space entities) to a PDF and
// to a PNG, whole, on A3 landscape: the display list built, laid out, written and compressed.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "cad/sim/plot.h"
#include "large_drawing.h"

namespace {

using namespace qarn;

struct BigDrawing {
  cad::sim::SimCad sim;
  std::size_t entities = bench::drawLargeDrawing(sim);
};

BigDrawing& drawing() {
  static BigDrawing d;
  return d;
}

void plotWhole(benchmark::State& state, cad::sim::PlotFormat format, const char* name) {
  BigDrawing& d = drawing();
  std::string path = (std::filesystem::temp_directory_path() / name).string();
  cad::sim::PlotOptions o;
  o.paper = cad::sim::Paper::A3;
  o.landscape = true;
  cad::sim::PlotReport r;
  for (auto _ : state)
    r = cad::sim::plotDrawing(d.sim.drawing(), o, format, path);
  state.counters["entities"] = static_cast<double>(d.entities);
  state.counters["lines"] = static_cast<double>(r.lines);
  state.counters["texts"] = static_cast<double>(r.texts);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}

void PdfOfTheWholeDrawing(benchmark::State& state) {
  plotWhole(state, cad::sim::PlotFormat::Pdf, "qarn-plot-bench.pdf");
}
void PngOfTheWholeDrawing(benchmark::State& state) {
  plotWhole(state, cad::sim::PlotFormat::Png, "qarn-plot-bench.png");
}

}  // namespace

BENCHMARK(PdfOfTheWholeDrawing)->Unit(benchmark::kMillisecond);
BENCHMARK(PngOfTheWholeDrawing)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
