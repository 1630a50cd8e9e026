// A whole mounting plate of 200 devices laid out and drawn on the simulated CAD, texts at
// DIMSCALE 10 as the command-line tool draws them: the time from the device list to the last
// frame (every frame inserted, measured and moved to its place), and the automation calls it takes.
#include <benchmark/benchmark.h>

#include "cad/connection.h"
#include "cad/sim/sim_cad.h"
#include "plate/plate_layout.h"

namespace {

using namespace qarn;

std::vector<plate::LayoutDevice> twoHundred() {
  const struct {
    const char* model;
    double w, h;
  } kinds[] = {{"S-T10", 44, 74}, {"MY4N", 28, 36}, {"NF32-SV 2P", 50, 130}, {"H3CR-A8", 48, 48}};
  std::vector<plate::LayoutDevice> out;
  for (int i = 0; i < 200; ++i) {
    plate::LayoutDevice d;
    d.item.number = "D" + std::to_string(i + 1);
    d.item.line = i + 1;
    d.row.model = d.type = kinds[i % 4].model;
    d.width = kinds[i % 4].w;
    d.height = kinds[i % 4].h;
    d.terminal = i >= 190;
    out.push_back(d);
  }
  return out;
}

void PlateOfTwoHundredDevices(benchmark::State& state) {
  std::vector<plate::LayoutDevice> devices = twoHundred();
  long calls = 0;
  std::size_t placed = 0;
  int rows = 0;
  for (auto _ : state) {
    cad::sim::SimCad sim;
    cad::Session s;
    s.desktop = &sim.desktop();
    sim.registerAs(s.CadProgId);
    sim.drawing().variables["DIMSCALE"] = cad::Value(10.0);
    sim.operatorPoint(0, 0);
    // A large enclosure's plate (1,740 x 1,940) takes every device.
    plate::PlaceResult r = plate::placePlate(s, {1740, 1940, {}, 40, 5}, devices);
    if (r.drawn.status != plate::DrawResult::Status::Drawn) state.SkipWithError("not drawn");
    calls = sim.callCount();
    placed = r.layout.placed.size();
    rows = r.layout.rows;
  }
  state.counters["calls"] = static_cast<double>(calls);
  state.counters["placed"] = static_cast<double>(placed);
  state.counters["rows"] = rows;
}

}  // namespace

BENCHMARK(PlateOfTwoHundredDevices)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
