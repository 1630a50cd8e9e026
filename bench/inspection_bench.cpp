// The inspection pages at drawing scale: Get of the attribute editor over 1,000 device frames
// (automation calls per frame), and the bill of materials of 5,000 frames from a DXF file, from
// opening the file to the sorted summary.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "cad/connection.h"
#include "cad/sim/sim_cad.h"
#include "frames/frame_block.h"
#include "inspect/attribute_editor.h"
#include "inspect/summary.h"

namespace {

using namespace qarn;

// A drawing of `n` device frames on the front-view layer, 40 kinds of device among them.
std::vector<std::string> drawFrames(cad::sim::SimCad& sim, const cad::Session& s, int n) {
  cad::Document doc = cad::attachCad(s.CadProgId).activeDocument();
  frames::EnsureFrameBlock(doc, "TOVEK_RA100", s.CadProgId);
  doc.layers().add("TOVEK_FRONT");
  std::vector<std::string> handles;
  for (int i = 0; i < n; ++i) {
    cad::BlockReference r =
        doc.modelSpace().insertBlock({(i % 100) * 60.0, (i / 100) * 120.0, 0}, "TOVEK_RA100");
    r.setLayer("TOVEK_FRONT");
    for (const cad::Attribute& a : r.getAttributes()) {
      std::string tag = a.tagString();
      if (tag == "NAME") a.setTextString("MC" + std::to_string(i + 1));
      if (tag == "TYPE") a.setTextString("S-T" + std::to_string(10 + i % 40));
      if (tag == "SPEC") a.setTextString("AC200V " + std::to_string(i % 3) + "a");
    }
    handles.push_back(r.handle());
  }
  return handles;
}

void AttributeGetOf1000Frames(benchmark::State& state) {
  cad::sim::SimCad sim;
  cad::Session s;
  s.desktop = &sim.desktop();
  sim.registerAs(s.CadProgId);
  std::vector<std::string> frames = drawFrames(sim, s, 1000);
  double perFrame = 0;
  for (auto _ : state) {
    sim.operatorSelect(frames);
    inspect::AttributeGrid grid;
    sim.resetCounters();
    inspect::GetResult r = inspect::GetAttributes(s, grid);
    if (r.rows != 1000) state.SkipWithError("not every frame was read");
    perFrame = static_cast<double>(sim.callCount()) / 1000.0;
  }
  state.counters["calls_per_frame"] = perFrame;
}

void SummaryOf5000FramesFromDxf(benchmark::State& state) {
  std::string path = (std::filesystem::temp_directory_path() / "qarn-bench-5000.dxf").string();
  {
    cad::sim::SimCad sim;
    cad::Session s;
    s.desktop = &sim.desktop();
    sim.registerAs(s.CadProgId);
    drawFrames(sim, s, 5000);
    sim.writeDxf(path);
  }
  for (auto _ : state) {
    // The CAD is made before and taken down after the measurement: what is timed is the opening
    // of the file and the summary, as the user waits for them.
    state.PauseTiming();
    auto sim = std::make_unique<cad::sim::SimCad>();
    cad::Session s;
    s.desktop = &sim->desktop();
    sim->registerAs(s.CadProgId);
    state.ResumeTiming();
    sim->openDrawing(path);
    sim->operatorSelectAll();
    inspect::GridTable grid = inspect::newSummaryTable();
    inspect::SummaryResult r = inspect::GetSummary(s, grid);
    if (r.lines != 120) state.SkipWithError("the summary has the wrong number of lines");
    benchmark::DoNotOptimize(grid.cell(4, 1));
    state.PauseTiming();
    sim.reset();
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  std::filesystem::remove(path);
}

}  // namespace

BENCHMARK(AttributeGetOf1000Frames)->Unit(benchmark::kMillisecond);
BENCHMARK(SummaryOf5000FramesFromDxf)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
