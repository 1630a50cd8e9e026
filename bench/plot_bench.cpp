// Printing the large drawing of the window benchmark (200 enclosures of all seven families, each
// with a plate of 96 device frames with two attributes: 23,765 model-space entities) to a PDF and
// to a PNG, whole, on A3 landscape: the display list built, laid out, written and compressed.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "cad/connection.h"
#include "cad/sim/plot.h"
#include "cad/sim/sim_cad.h"
#include "enclosure/enclosure_catalogue.h"
#include "enclosure/enclosure_drawing.h"

namespace {

using namespace qarn;

// The same drawing as drawing_view_bench's.
struct BigDrawing {
  cad::sim::SimCad sim;
  std::size_t entities = 0;
  BigDrawing() {
    cad::Session s;
    s.desktop = &sim.desktop();
    sim.registerAs(s.CadProgId);
    const char* families[] = {"RA", "S", "CH", "CL", "E", "OR", "ORM"};
    std::vector<enclosure::EnclosureInput> inputs;
    for (const char* f : families)
      for (const auto& row : enclosure::loadEnclosureList(QARN_SOURCE_DIR "/data", f, {}).rows)
        inputs.push_back({f, enclosure::copyEnclosureRow(row)});
    cad::Document doc = cad::attachCad(s.CadProgId).activeDocument();
    cad::Block frame = doc.blocks().add({0, 0, 0}, "FRAME");
    frame.addLightWeightPolyline({0, 0, 40, 0, 40, 70, 0, 70}).setClosed(true);
    frame.addAttribute(5, 0, "器具番号", {20, 50, 0}, "NAME1", "");
    frame.addAttribute(3, 0, "型式", {20, 10, 0}, "TYPE", "");
    cad::Block ms = doc.modelSpace();
    for (int i = 0; i < 200; ++i) {
      double x = (i % 20) * 2500.0, y = (i / 20) * 3000.0;
      sim.operatorPoint(x, y);
      enclosure::drawEnclosure(s, inputs[i % inputs.size()]);
      for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 12; ++c) {
          auto ref = ms.insertBlock({x + 100 + c * 50.0, y - 900 + r * 90.0, 0}, "FRAME");
          auto atts = ref.getAttributes();
          atts[0].setTextString("MC" + std::to_string(r * 12 + c + 1));
          atts[1].setTextString("S-T10");
        }
    }
    entities = sim.drawing().modelSpace().entities.size();
  }
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
