// The box page's "作成" in the window with the simulated CAD's own window beside it, as a user
// meets it: from the click to the enclosure painted in the CAD's window. The pick of the base
// point is answered by a click in the CAD's drawing as soon as the CAD asks for it, so the figure
// is the program's own time. The CAD's window is not minimised, so no pause is due.
// Run with QT_QPA_PLATFORM=offscreen (set when no platform is given).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "cad/sim/sim_cad.h"
#include "simview/drawing_view.h"
#include "simview/sim_cad_window.h"

namespace {

using namespace qarn;

struct Windows {
  cad::sim::SimCad sim;
  std::unique_ptr<app::TForm2> form;
  std::unique_ptr<simview::SimCadWindow> cad;
  Windows() {
    auto paths = app::AppPaths::forExecutable(QApplication::applicationFilePath());
    form = std::make_unique<app::TForm2>(paths, &sim.desktop());
    sim.registerAs(form->CadProgId());
    cad = std::make_unique<simview::SimCadWindow>(sim);
    cad->show();
    form->show();
    form->ComboBox1->setCurrentText("RA");
    form->StringGrid6->setCurrentCell(2, 2);
    form->StringGrid6Click();
    QApplication::processEvents();
  }
};

// One "作成": the click, the pick answered at once, the drawing painted.
double createOnce(Windows& w, double& pickMs) {
  simview::DrawingView* view = w.cad->view();
  QElapsedTimer clock;
  double asked = 0;
  std::function<void()> answerWhenAsked = [&] {
    if (!w.cad->waiting()) {
      QTimer::singleShot(0, answerWhenAsked);
      return;
    }
    asked = clock.nsecsElapsed() / 1e6;
    QTest::mouseClick(view, Qt::LeftButton, {}, view->rect().center());
  };
  QTimer::singleShot(0, answerWhenAsked);
  std::size_t before = w.sim.drawing().modelSpace().entities.size();
  clock.start();
  QTest::mouseClick(w.form->Button12, Qt::LeftButton);
  QApplication::processEvents();  // the drawing painted
  double total = clock.nsecsElapsed() / 1e6;
  pickMs = asked;
  if (w.sim.drawing().modelSpace().entities.size() == before) return -1;
  return total;
}

void CreateEnclosureFromTheWindow(benchmark::State& state) {
  Windows w;
  double total = 0, pick = 0, first = 0;
  int n = 0;
  for (auto _ : state) {
    double pickMs = 0;
    double ms = createOnce(w, pickMs);
    if (ms < 0) {
      state.SkipWithError("nothing was drawn");
      break;
    }
    if (n == 0) first = ms;
    total += ms;
    pick += pickMs;
    ++n;
  }
  if (n == 0) return;
  state.counters["first_click_to_drawn_ms"] = first;
  state.counters["click_to_drawn_ms"] = total / n;
  state.counters["click_to_pick_asked_ms"] = pick / n;
  state.counters["pauses_ms"] = static_cast<double>(w.sim.desktop().sleptMilliseconds()) / n;
}

}  // namespace

BENCHMARK(CreateEnclosureFromTheWindow)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
