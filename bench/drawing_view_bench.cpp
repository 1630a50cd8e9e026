// The drawing window panning over a large drawing: 200 enclosures of all seven families, each
// with a mounting plate full of device frames (block references with two attributes), 20,000
// and more model-space entities in all. A frame is one paint of the whole view into a
// 1600 × 900 image, as the window paints while the middle button drags.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>

#include "cad/connection.h"
#include "cad/sim/object_snap.h"
#include "cad/sim/sim_cad.h"
#include "large_drawing.h"
#include "plate/plate_layout.h"
#include "simview/drawing_view.h"

namespace {

using namespace qarn;

struct BigDrawing {
  cad::sim::SimCad sim;
  std::size_t entities = 0;
  BigDrawing() {
    entities = bench::drawLargeDrawing(sim);
    cad::Document doc = cad::attachCad(cad::Session().CadProgId).activeDocument();
    // Drawn by automation outside any undo group: the undo history takes the drawing in as one
    // step at its first look (here when the next undo group opens); a drawing opened from a file
    // is taken in when it opens.
    auto t0 = std::chrono::steady_clock::now();
    doc.startUndoMark();
    doc.endUndoMark();
    firstLookMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  double firstLookMs = 0;
};

BigDrawing& drawing() {
  static BigDrawing d;
  return d;
}

void panFrames(benchmark::State& state, double zoomIn) {
  BigDrawing& d = drawing();
  simview::DrawingView view(d.sim);
  view.view().width = 1600;
  view.view().height = 900;
  view.zoomExtents();
  view.view().zoomAbout(800, 450, zoomIn);
  QImage image(1600, 900, QImage::Format_ARGB32_Premultiplied);
  int step = 0;
  for (auto _ : state) {
    view.view().pan(step++ % 2 ? -7 : 7, 3);
    QPainter p(&image);
    view.paintDrawing(p);
  }
  state.counters["entities"] = static_cast<double>(d.entities);
  state.counters["lines"] = static_cast<double>(view.displayList().lineCount());
}

void PanWholeDrawing(benchmark::State& state) {
  panFrames(state, 1);
}
void PanAFewEnclosures(benchmark::State& state) {
  panFrames(state, 8);
}
void PanOneEnclosureWithItsTexts(benchmark::State& state) {
  panFrames(state, 40);
}

// The display list worked out again, as after every automation call that changed the drawing.
void RebuildAfterAChange(benchmark::State& state) {
  BigDrawing& d = drawing();
  simview::DrawingView view(d.sim);
  for (auto _ : state) {
    view.drawingChanged();
    benchmark::DoNotOptimize(view.displayList().lineCount());
  }
  state.counters["entities"] = static_cast<double>(d.entities);
}

// Typed at the drawing window: one entity selected, moved or erased, answered and shown again
// (the display list worked out anew, as the window does after every change). `command` gives the
// line typed at each step; `after`, outside the measurement, what puts the drawing back.
template <class Command, class After>
void typedOnOneEntity(benchmark::State& state, Command command, After after) {
  BigDrawing& d = drawing();
  simview::DrawingView view(d.sim);
  std::string h = d.sim.drawing().modelSpace().entities[1000];
  int step = 0;
  double answered = 0;
  for (auto _ : state) {
    d.sim.operatorSelect({h});
    auto t0 = std::chrono::steady_clock::now();
    d.sim.typeCommand(command(step));
    answered +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ++step;
    view.drawingChanged();
    benchmark::DoNotOptimize(view.displayList().lineCount());
    state.PauseTiming();
    after(d, step);
    state.ResumeTiming();
  }
  state.counters["entities"] = static_cast<double>(d.entities);
  state.counters["command_ms"] = step ? answered / step : 0;
}

void TypedMoveOfOneEntity(benchmark::State& state) {
  // Moved there and back: every second step puts the entity where it was.
  typedOnOneEntity(
      state, [](int step) { return step % 2 ? "MOVE 0,0 @-5,0" : "MOVE 0,0 @5,0"; },
      [](BigDrawing&, int) {});
  if (state.iterations() % 2) drawing().sim.typeCommand("U");
  state.counters["history_first_look_ms"] = drawing().firstLookMs;
}

void TypedEraseOfOneEntity(benchmark::State& state) {
  typedOnOneEntity(
      state, [](int) { return "ERASE"; }, [](BigDrawing& d, int) { d.sim.typeCommand("U"); });
}

// U of QARN's largest command that is one undo group: a mounting plate of 200 devices drawn in
// the large drawing, taken back and shown again.
void UndoOfAPlateOfTwoHundredDevices(benchmark::State& state) {
  BigDrawing& d = drawing();
  cad::Session s;
  s.desktop = &d.sim.desktop();
  std::vector<plate::LayoutDevice> devices;
  for (int i = 0; i < 200; ++i) {
    plate::LayoutDevice dev;
    dev.item.number = std::string("D").append(std::to_string(i + 1));
    dev.item.line = i + 1;
    dev.row.model = dev.type = i % 2 ? "S-T10" : "MY4N";
    dev.width = i % 2 ? 44 : 28;
    dev.height = i % 2 ? 74 : 36;
    devices.push_back(dev);
  }
  d.sim.operatorPoint(60000, 0);
  std::size_t before = d.sim.drawing().entities.size();
  if (plate::placePlate(s, {1740, 1940, {}, 40, 5}, devices).drawn.status !=
      plate::DrawResult::Status::Drawn) {
    state.SkipWithError("not drawn");
    return;
  }
  std::size_t drawn = d.sim.drawing().entities.size() - before;
  simview::DrawingView view(d.sim);
  double answered = 0;
  int n = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    d.sim.typeCommand("U");
    answered +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ++n;
    view.drawingChanged();
    benchmark::DoNotOptimize(view.displayList().lineCount());
    state.PauseTiming();
    if (d.sim.drawing().entities.size() != before) state.SkipWithError("not taken back");
    d.sim.typeCommand("REDO");
    state.ResumeTiming();
  }
  d.sim.typeCommand("U");
  state.counters["entities_taken_back"] = static_cast<double>(drawn);
  state.counters["command_ms"] = n ? answered / n : 0;
}

// The drawings made to hang the window (the DXF fuzz seeds): opened, worked out, fitted and
// painted once, as "開く" does. Each must take well under a second.
const char* const kCrafted[] = {"huge-arc-angles.dxf", "nested-blocks-ten-by-nine.dxf",
                                "block-inserts-itself.dxf"};

void OpenCraftedDrawing(benchmark::State& state) {
  std::string path = std::string(QARN_SOURCE_DIR "/tests/fuzz/seeds/") + kCrafted[state.range(0)];
  QImage image(1600, 900, QImage::Format_ARGB32_Premultiplied);
  cad::sim::SimCad sim;
  std::size_t lines = 0;
  for (auto _ : state) {
    sim.closeAllDocuments();
    sim.openDrawing(path);
    simview::DrawingView view(sim);
    view.view().width = 1600;
    view.view().height = 900;
    view.zoomExtents();
    QPainter p(&image);
    view.paintDrawing(p);
    lines = view.displayList().lineCount();
  }
  state.SetLabel(kCrafted[state.range(0)]);
  state.counters["lines"] = static_cast<double>(lines);
}

// A window selection around all of it, as the summary's pick: every entity measured.
void SelectCraftedDrawing(benchmark::State& state) {
  std::string path = std::string(QARN_SOURCE_DIR "/tests/fuzz/seeds/") + kCrafted[state.range(0)];
  cad::sim::SimCad sim;
  cad::Session s;
  s.desktop = &sim.desktop();
  sim.registerAs(s.CadProgId);
  sim.openDrawing(path);
  cad::SelectionSet ss = cad::attachCad(s.CadProgId).activeDocument().activeSelectionSet();
  for (auto _ : state) {
    ss.clear();
    ss.select(1, {-1e9, -1e9, 0}, {1e9, 1e9, 0});
  }
  state.SetLabel(kCrafted[state.range(0)]);
  state.counters["selected"] = ss.count();
}

// The object snaps of the whole drawing taken apart and indexed, as on the first move of the
// cursor after a change while a point is asked for.
void SnapIndexAfterAChange(benchmark::State& state) {
  BigDrawing& d = drawing();
  std::size_t pieces = 0;
  for (auto _ : state)
    pieces = cad::sim::SnapIndex(d.sim.drawing()).pieceCount();
  state.counters["entities"] = static_cast<double>(d.entities);
  state.counters["pieces"] = static_cast<double>(pieces);
}

// The snap under the cursor as it moves over the drawing, with an aperture of ten pixels at a
// zoom of `pixelsPerUnit` (0.03: the whole drawing in view; 1: a few frames).
void SnapWhileMoving(benchmark::State& state, double pixelsPerUnit) {
  BigDrawing& d = drawing();
  cad::sim::SnapIndex index(d.sim.drawing());
  int step = 0, found = 0;
  for (auto _ : state) {
    double x = (step * 37) % 50000, y = -1000 + (step * 53) % 30000;
    ++step;
    found += index.find({x, y, 0}, 10 / pixelsPerUnit, 1 | 2 | 4 | 16 | 32 | 64 | 512).has_value();
  }
  state.counters["found"] = found;
}
void SnapWhileMovingOverAFewFrames(benchmark::State& state) {
  SnapWhileMoving(state, 1);
}
void SnapWhileMovingOverTheWholeDrawing(benchmark::State& state) {
  SnapWhileMoving(state, 0.03);
}

// The crafted drawings taken apart for snaps: each in well under a second.
void SnapIndexOfCraftedDrawing(benchmark::State& state) {
  std::string path = std::string(QARN_SOURCE_DIR "/tests/fuzz/seeds/") + kCrafted[state.range(0)];
  cad::sim::SimCad sim;
  sim.openDrawing(path);
  std::size_t pieces = 0;
  for (auto _ : state)
    pieces = cad::sim::SnapIndex(sim.drawing()).pieceCount();
  state.SetLabel(kCrafted[state.range(0)]);
  state.counters["pieces"] = static_cast<double>(pieces);
}

BENCHMARK(SnapIndexAfterAChange)->Unit(benchmark::kMillisecond);
BENCHMARK(SnapWhileMovingOverAFewFrames)->Unit(benchmark::kMicrosecond);
BENCHMARK(SnapWhileMovingOverTheWholeDrawing)->Unit(benchmark::kMicrosecond);
BENCHMARK(SnapIndexOfCraftedDrawing)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenCraftedDrawing)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(SelectCraftedDrawing)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(PanWholeDrawing)->Unit(benchmark::kMillisecond);
BENCHMARK(PanAFewEnclosures)->Unit(benchmark::kMillisecond);
BENCHMARK(PanOneEnclosureWithItsTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(RebuildAfterAChange)->Unit(benchmark::kMillisecond);
BENCHMARK(TypedMoveOfOneEntity)->Unit(benchmark::kMillisecond);
BENCHMARK(TypedEraseOfOneEntity)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoOfAPlateOfTwoHundredDevices)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
