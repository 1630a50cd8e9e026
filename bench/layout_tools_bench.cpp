// The alignment commands at drawing scale: 100 blocks aligned by a block with a new spacing, and
// 100 blocks of 20 entities each laid out by their outlines. Each reports its automation calls.
#include <benchmark/benchmark.h>

#include "cad/connection.h"
#include "cad/sim/sim_cad.h"
#include "tools/alignment.h"

namespace {

using namespace qarn;

struct Drawing {
  cad::sim::SimCad sim;
  cad::Session s;
  std::vector<std::string> blocks;

  // 100 references of a block of 20 entities: a frame, 18 lines and a circle.
  Drawing() {
    s.desktop = &sim.desktop();
    sim.registerAs(s.CadProgId);
    cad::Document doc = cad::attachCad(s.CadProgId).activeDocument();
    cad::Block b = doc.blocks().add({0, 0, 0}, "DEVICE");
    b.addLightWeightPolyline({-10, -20, 10, -20, 10, 20, -10, 20}).setClosed(true);
    for (int i = 0; i < 18; ++i)
      b.addLine({-10, -18.0 + 2 * i, 0}, {10, -18.0 + 2 * i, 0});
    b.addCircle({0, 0, 0}, 5);
    for (int i = 0; i < 100; ++i)
      blocks.push_back(
          doc.modelSpace().insertBlock({i * 37.0, (i % 7) * 3.0, 0}, "DEVICE").handle());
  }
};

void AlignOneHundredBlocks(benchmark::State& state) {
  Drawing d;
  long calls = 0;
  for (auto _ : state) {
    d.sim.operatorSelect(d.blocks);
    d.sim.operatorPick(d.blocks[50]);
    d.sim.operatorDistance(40);
    d.sim.resetCounters();
    tools::AlignResult r =
        tools::Button11Click(d.s, tools::AlignAxis::Horizontal, tools::AlignReference::Block);
    if (r.moved != 100) state.SkipWithError("not every block was moved");
    calls = d.sim.callCount();
  }
  state.counters["calls"] = static_cast<double>(calls);
}

void OutlineSpacingOfOneHundredBlocks(benchmark::State& state) {
  Drawing d;
  long calls = 0;
  for (auto _ : state) {
    d.sim.operatorSelect(d.blocks);
    d.sim.operatorPick(d.blocks[50]);
    d.sim.operatorDistance(5);
    d.sim.resetCounters();
    tools::AlignResult r = tools::Button7Click(d.s);
    if (r.moved != 100) state.SkipWithError("not every block was moved");
    calls = d.sim.callCount();
  }
  state.counters["calls"] = static_cast<double>(calls);
}

}  // namespace

BENCHMARK(AlignOneHundredBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(OutlineSpacingOfOneHundredBlocks)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
