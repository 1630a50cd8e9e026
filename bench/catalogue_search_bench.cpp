// A keystroke in a catalogue's search field on a 100,000-line catalogue (QARN_BENCH_LINES lines
// when set): the search text changes,
// the grid is filtered and refilled and its columns fitted, and the first row is copied into the
// device fields, as the user sees it. The file is loaded once (the first keystroke); every later
// keystroke is served from the loaded file while it stays unchanged.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include <sys/resource.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "app/main_window.h"
#include "cad/sim/sim_desktop.h"
#include "cad/text_file.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/user_collation.h"

namespace {

// Plausible devices: names, hyphenated models, ratings, makers, sizes.
std::string makeCatalogue(int lines) {
  const char* names[] = {"配線用遮断器", "漏電遮断器", "電磁接触器", "リレー",
                         "タイマー",     "端子台",     "電源装置",   "表示灯"};
  const char* makers[] = {"三菱電機", "オムロン", "富士電機", "春日電機", "IDEC", "パナソニック"};
  std::mt19937 rng(7);
  std::string text = "// generated catalogue\r\n";
  for (int i = 0; i < lines; ++i) {
    auto pick = [&](int n) { return static_cast<int>(rng() % n); };
    text += names[pick(8)];
    text += "\tM" + std::to_string(pick(90) + 10) + "-" + std::to_string(i) + "\tAC" +
            std::to_string(100 + pick(3) * 100) + "V " + std::to_string(pick(60) + 1) + "A\t" +
            makers[pick(6)] + "\t\t" + std::to_string(10 + pick(90)) + "\t" +
            std::to_string(20 + pick(200)) + "\t" + std::to_string(30 + pick(100)) +
            "\t\t\t\t\t\t\r\n";
  }
  return text;
}

int lines() {
  const char* n = std::getenv("QARN_BENCH_LINES");
  return n ? std::atoi(n) : 100000;
}

struct Fixture {
  QTemporaryDir dir;
  qarn::cad::sim::SimDesktop desktop;
  std::unique_ptr<qarn::app::TForm2> window;
  Fixture() {
    QFile f(dir.filePath("TOVEK.txt"));
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray::fromStdString(
        qarn::cad::encodeText(makeCatalogue(lines()), qarn::cad::TextEncoding::ShiftJis)));
    f.close();
    qarn::app::AppPaths paths{dir.path(), dir.filePath("qarn.ini")};
    window = std::make_unique<qarn::app::TForm2>(paths, &desktop);
  }
};

std::unique_ptr<Fixture> theFixture;  // made after the application, gone before it
Fixture& fixture() {
  return *theFixture;
}

// Typing a model number one character at a time, then deleting it again: every step is a
// keystroke that refills the grid (from 100,000 rows down to a handful and back).
void BM_SearchKeystroke(benchmark::State& state) {
  auto& w = *fixture().window;
  w.Edit1->setText(" ");  // the first load and width estimates, outside the measurement
  const QStringList steps{"", "m", "m4", "m42", "m42-", "m42-1", "m42-", "m42", "m4", "m"};
  int i = 0;
  for (auto _ : state) {
    w.Edit1->setText(steps[i++ % steps.size()]);
    benchmark::DoNotOptimize(w.StringGrid1->rowCount());
  }
  state.SetLabel("rows now " + std::to_string(w.StringGrid1->rowCount() - 1));
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond)->Iterations(50);

// The worst keystroke: every record matches and every column is fitted over 100,000 rows.
void BM_SearchKeystrokeAllRows(benchmark::State& state) {
  auto& w = *fixture().window;
  int i = 0;
  for (auto _ : state)
    w.Edit1->setText(i++ % 2 ? " " : "  ");
  state.SetLabel(std::to_string(w.StringGrid1->rowCount() - 1) + " rows");
}
BENCHMARK(BM_SearchKeystrokeAllRows)->Unit(benchmark::kMillisecond)->Iterations(30);

// The first keystroke on a changed file, as the user sees it: reading, decoding, sorting in the
// user's collation, the search keys, the width estimates, and the grid filled and fitted. The
// process has loaded the file once before (main() times that first one on its own).
void BM_FirstFill(benchmark::State& state) {
  auto& w = *fixture().window;
  auto path = qarn::cad::filePath(fixture().dir.filePath("TOVEK.txt").toStdString());
  int i = 0;
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(path) + std::chrono::seconds(1));
    state.ResumeTiming();
    w.Edit1->setText(i++ % 2 ? "" : " ");
  }
  getrusage(RUSAGE_SELF, &after);
  state.counters["pages_touched"] = benchmark::Counter(
      static_cast<double>(after.ru_minflt - before.ru_minflt), benchmark::Counter::kAvgIterations);
  state.SetLabel(std::to_string(w.StringGrid1->rowCount() - 1) + " rows");
}
BENCHMARK(BM_FirstFill)->Unit(benchmark::kMillisecond)->Iterations(5);

// The first keystroke: reading, decoding, sorting in the user's collation, search keys.
void BM_FirstLoad(benchmark::State& state) {
  std::string path = fixture().dir.filePath("TOVEK.txt").toStdString();
  for (auto _ : state) {
    qarn::catalogue::CatalogueCache cache(qarn::catalogue::userCollationSorter());
    benchmark::DoNotOptimize(cache.load(path));
  }
}
BENCHMARK(BM_FirstLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  theFixture = std::make_unique<Fixture>();
  // The very first keystroke of a process that has loaded nothing yet: every buffer is memory
  // the system hands out for the first time (what making the test file freed is given back).
  {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    auto start = std::chrono::steady_clock::now();
    theFixture->window->Edit1->setText(" ");
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
    getrusage(RUSAGE_SELF, &after);
    std::printf("first fill in a fresh process: %.1f ms, %d rows, %ld pages first touched\n", ms,
                theFixture->window->StringGrid1->rowCount() - 1, after.ru_minflt - before.ru_minflt);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  theFixture.reset();
  return 0;
}
