// qarn-cli plot: a drawing printed as the drawing window's "印刷 (PDF)…" prints it, to a PDF or
// a PNG file, for scripts and for a machine without a window.
#include <iostream>

#include "cad/numbers.h"
#include "cad/sim/plot.h"
#include "cad/sim/sim_cad.h"
#include "cli/jobs.h"

namespace qarn::cli {

namespace {
int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli plot: " << why << "\n";
  return code;
}

// "X1,Y1,X2,Y2" as two corners; nothing unless four numbers.
std::optional<std::pair<cad::Point3, cad::Point3>> readWindow(const std::string& v) {
  std::vector<double> n;
  std::size_t from = 0;
  while (true) {
    std::size_t comma = v.find(',', from);
    auto x = cad::tryReadNumber(v.substr(from, comma == std::string::npos ? comma : comma - from));
    if (!x) return std::nullopt;
    n.push_back(*x);
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  if (n.size() != 4) return std::nullopt;
  return std::make_pair(cad::Point3{n[0], n[1], 0}, cad::Point3{n[2], n[3], 0});
}
}  // namespace

int runPlot(const std::vector<std::string>& args) {
  namespace sim = cad::sim;
  std::string file, out;
  std::optional<sim::PlotFormat> format;
  sim::PlotOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool takesValue =
        a == "--pdf" || a == "--png" || a == "--paper" || a == "--scale" || a == "--window";
    if (takesValue && i + 1 >= args.size()) return fail("missing value after " + a, 2);
    if (a == "--pdf" || a == "--png") {
      if (format) return fail("give one of --pdf and --png, once", 2);
      format = a == "--pdf" ? sim::PlotFormat::Pdf : sim::PlotFormat::Png;
      out = args[++i];
    } else if (a == "--paper") {
      std::string p = args[++i];
      if (p != "A4" && p != "A3") return fail("--paper takes A4 or A3, not \"" + p + "\"", 2);
      o.paper = p == "A3" ? sim::Paper::A3 : sim::Paper::A4;
    } else if (a == "--landscape") {
      o.landscape = true;
    } else if (a == "--colour") {
      o.colour = true;
    } else if (a == "--scale") {
      std::string s = args[++i];
      if (s != "fit") {
        auto n = s.rfind("1:", 0) == 0 ? cad::tryReadNumber(s.substr(2)) : std::nullopt;
        if (!n || !(*n > 0) || *n > 1e12)
          return fail("--scale takes fit or 1:N with N above 0, not \"" + s + "\"", 2);
        o.scale = *n;
      }
    } else if (a == "--window") {
      o.window = readWindow(args[++i]);
      if (!o.window) return fail("--window takes X1,Y1,X2,Y2, not \"" + args[i] + "\"", 2);
    } else if (file.empty() && a.rfind("--", 0) != 0) {
      file = a;
    } else {
      return fail("unknown argument " + a, 2);
    }
  }
  if (file.empty()) return fail("no drawing file given", 2);
  if (!format) return fail("no file to print to given (--pdf OUT.pdf or --png OUT.png)", 2);

  sim::SimCad cad;
  if (auto why = openForJob(cad, file)) return fail(*why);
  sim::PlotReport r;
  try {
    r = sim::plotDrawing(cad.drawing(), o, *format, out);
  } catch (const sim::PlotError& e) {
    return fail(file + ": " + e.what());
  }
  for (const auto& note : r.notes)
    std::cerr << "qarn-cli plot: note: " << note << "\n";
  std::cout << "wrote " << out << ": " << r.lines << " lines, " << r.texts << " texts\n";
  return 0;
}

}  // namespace qarn::cli
