// The device catalogue engine on large files, without the window: the first load of 100,000
// lines (read, decode, sort in the user's collation, search keys), a keystroke's search on
// 1,000,000 lines, the memory a loaded catalogue takes against its file size, the update of one
// line of a catalogue of about 93 MB, and the reading of a file full of bytes Shift-JIS does not
// define. Prints one figure a line; run it under each locale (bench/catalogue_locales.sh).
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cad/text_file.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/user_collation.h"

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}
// The processor time of this process: on a machine shared with other work it says what the wall
// time would be on an idle one.
double cpuMs() {
  return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Plausible devices: names, hyphenated models, ratings, makers, sizes; Shift-JIS, CR LF.
std::string makeCatalogue(std::size_t lines, std::size_t atLeastBytes = 0) {
  const char* names[] = {"配線用遮断器", "漏電遮断器", "電磁接触器", "リレー",
                         "タイマー",     "端子台",     "電源装置",   "表示灯"};
  const char* makers[] = {"三菱電機", "オムロン", "富士電機", "春日電機", "IDEC", "パナソニック"};
  std::mt19937 rng(7);
  std::string text = "// generated catalogue\r\n";
  std::string sjis;
  for (std::size_t i = 0; i < lines || sjis.size() < atLeastBytes; ++i) {
    auto pick = [&](int n) { return static_cast<int>(rng() % n); };
    text += names[pick(8)];
    text += "\tM" + std::to_string(pick(90) + 10) + "-" + std::to_string(i) + "\tAC" +
            std::to_string(100 + pick(3) * 100) + "V " + std::to_string(pick(60) + 1) + "A 定格" +
            std::to_string(pick(5)) + "\t" + makers[pick(6)] + "\t在庫品 棚" +
            std::to_string(pick(40)) + "\t" + std::to_string(10 + pick(90)) + "\t" +
            std::to_string(20 + pick(200)) + "\t" + std::to_string(30 + pick(100)) +
            "\t\t\t\t\t\t\r\n";
    if (text.size() > (1 << 20)) {
      sjis += qarn::cad::encodeText(text, qarn::cad::TextEncoding::ShiftJis);
      text.clear();
    }
  }
  sjis += qarn::cad::encodeText(text, qarn::cad::TextEncoding::ShiftJis);
  return sjis;
}

std::string writeFile(const std::filesystem::path& dir, const std::string& name,
                      const std::string& bytes) {
  std::ofstream(dir / name, std::ios::binary) << bytes;
  return (dir / name).string();
}

double residentMb() {
  malloc_trim(0);
  long pages = 0, resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f && std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  if (f) std::fclose(f);
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  namespace cat = qarn::catalogue;
  bool large = !(argc > 1 && std::string(argv[1]) == "--small");
  fs::path dir = fs::temp_directory_path() / ("qarn-catalogue-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const char* locale = std::getenv("LC_ALL");
  std::printf("locale: %s\n", locale ? locale : "(LANG)");

  // The first load of 100,000 lines: best of five fresh caches.
  std::string small = writeFile(dir, "small.txt", makeCatalogue(100000));
  double best = 1e9, bestCpu = 1e9;
  std::size_t records = 0;
  for (int i = 0; i < 5; ++i) {
    cat::CatalogueCache cache(cat::userCollationSorter());
    auto t = Clock::now();
    double c = cpuMs();
    auto s = cache.load(small);
    best = std::min(best, msSince(t));
    bestCpu = std::min(bestCpu, cpuMs() - c);
    records = s->records.size();
  }
  std::printf("first load, 100,000 lines (%.1f MB): %.1f ms (processor %.1f ms), %zu records\n",
              fs::file_size(small) / 1e6, best, bestCpu, records);

  // Bytes Shift-JIS does not define, 2.8 MB of them among text.
  {
    std::string bad;
    while (bad.size() < 2800000) bad += "A\x80\xFD\x85\x40\r\n";
    auto t = Clock::now();
    std::string text = qarn::cad::decodeText(bad, qarn::cad::TextEncoding::ShiftJis);
    std::printf("decoding 2.8 MB with undefined bytes: %.1f ms\n", msSince(t));
  }

  if (large) {
    std::string million = writeFile(dir, "million.txt", makeCatalogue(1000000, 93000000));
    double fileMb = fs::file_size(million) / 1e6;
    double before = residentMb();
    cat::CatalogueCache cache(cat::userCollationSorter());
    auto t = Clock::now();
    double c = cpuMs();
    auto s = cache.load(million);
    double loadMs = msSince(t), loadCpu = cpuMs() - c;
    double after = residentMb();
    std::printf("load, %zu lines (%.1f MB): %.0f ms (processor %.0f ms); memory %.0f MB = %.2f x "
                "file size\n",
                s->lines.size(), fileMb, loadMs, loadCpu, after - before, (after - before) / fileMb);
    // Typing a model number and deleting it again; every step is one keystroke's search.
    const char* steps[] = {"m", "m4", "m42", "m42-", "m42-1", "m42-12", "m42-1", "m42-",
                           "m42", "m4", "m", "遮断", "遮断器 ac200", "三菱 m5", "zz"};
    double worst = 0, sum = 0;
    for (const char* text : steps) {
      double k = cpuMs();
      auto hits = s->filter(text);
      double ms = cpuMs() - k;
      worst = std::max(worst, ms);
      sum += ms;
      std::printf("  keystroke \"%s\": %.1f ms, %zu rows\n", text, ms, hits.size());
    }
    std::printf("keystroke on %zu lines (processor time): mean %.1f ms, worst %.1f ms\n", s->lines.size(),
                sum / std::size(steps), worst);
    // One line of the big catalogue changed, as the row dialog's update does.
    int n = s->records[s->records.size() / 2].lineNumber;
    std::string shown(s->lines[n - 1]);
    std::string edited = shown + "x";
    s.reset();
    cache.forget(million);
    auto u = Clock::now();
    double uc = cpuMs();
    cat::updateLine(million, n, shown, edited, cat::userCollationSorter());
    std::printf("update of one line, %.1f MB: %.0f ms (processor %.0f ms)\n", fileMb, msSince(u),
                cpuMs() - uc);
  }
  fs::remove_all(dir);
  return 0;
}
