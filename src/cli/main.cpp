// qarn-cli: QARN's drawing jobs without a window, on the embedded simulated CAD.
#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cad/automation_error.h"
#include "cli/jobs.h"

namespace {
void usage() {
  std::cerr << "usage: qarn-cli enclosure --family F --model M [--catalogue-dir DIR] [--at X,Y]"
               " [--dimscale S] [--dxf FILE] [--listing FILE]\n"
               "       qarn-cli frame --model M [--catalogue FILE] [--number N] [--base 0..8]"
               " [--offset D]\n"
               "                      [--terminal POLES] [--array N --gap G] [--dimscale S]"
               " [--at X,Y | --cancel]\n"
               "                      [--side X,Y] [--holes] [--partitions] [--dxf FILE] [--listing FILE]\n"
               "       qarn-cli panel --model M [--number N] [--no-plate] [--array N --pitch P"
               " [--down]]\n"
               "                      [--at X,Y | --cancel] [--model M2 ...] [--catalogue FILE]"
               " [--dxf FILE] [--listing FILE]\n"
               "       qarn-cli thumbnail FILE [--png OUT] [--box WxH]\n"
               "       qarn-cli bom DRAWING.dxf [--csv FILE]\n"
               "       qarn-cli layout LIST --enclosure FAMILY:MODEL [--catalogue FILE]"
               " [--catalogue-dir DIR]\n"
               "                       [--duct W] [--gap G] [--clearance C] [--margin M]"
               " [--end-stop W] [--pack]\n"
               "                       [--dimscale S] [--rail-stock L] [--duct-stock L]"
               " [--mount free|wall] [--max-rise K]\n"
               "                       [--at X,Y] [--dxf FILE] [--bom FILE] [--listing FILE]\n"
               "       qarn-cli resave DRAWING.dxf --dxf OUT.dxf\n"
               "       qarn-cli plot DRAWING.dxf --pdf OUT.pdf | --png OUT.png [--paper A4|A3]"
               " [--landscape]\n"
               "                     [--scale fit|1:N] [--window X1,Y1,X2,Y2] [--colour]\n"
               "       qarn-cli search FILE [TEXT]\n"
               "       qarn-cli demo [--dxf FILE]\n";
}

// A value with a control character in it (a line break pasted with it, a tab) would reach a
// drawing or a file where it breaks the line structure: it is refused before any job runs, with
// a reason on one line.
std::string controlCharacterIn(const std::vector<std::string>& args) {
  auto isControl = [](char ch) {
    auto c = static_cast<unsigned char>(ch);
    return c < 0x20 || c == 0x7F;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    auto at = std::find_if(args[i].begin(), args[i].end(), isControl);
    if (at == args[i].end()) continue;
    const char* what = *at == '\n'   ? "a line feed"
                       : *at == '\r' ? "a carriage return"
                       : *at == '\t' ? "a tab"
                                     : "a control character";
    bool option = i > 0 && args[i - 1].rfind("--", 0) == 0;
    std::string name = option ? "the value of " + args[i - 1] : "argument " + std::to_string(i + 1);
    return name + " holds " + what + " after \"" + std::string(args[i].begin(), at) +
           "\"; give each value on one line";
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    usage();
    return 2;
  }
  std::string job = args.front();
  args.erase(args.begin());
  if (std::string why = controlCharacterIn(args); !why.empty()) {
    std::cerr << "qarn-cli " << job << ": " << why << "\n";
    return 2;
  }
  try {
    if (job == "demo") return qarn::cli::runDemo(args);
    if (job == "search") return qarn::cli::runSearch(args);
    if (job == "enclosure") return qarn::cli::runEnclosure(args, argv[0]);
    if (job == "frame") return qarn::cli::runFrame(args, argv[0]);
    if (job == "panel") return qarn::cli::runPanel(args, argv[0]);
    if (job == "bom") return qarn::cli::runBom(args);
    if (job == "layout") return qarn::cli::runLayout(args, argv[0]);
    if (job == "resave") return qarn::cli::runResave(args);
#ifdef QARN_WITH_PREVIEW  // built where libpng is (not in the cross build for the Wine tests)
    if (job == "thumbnail") return qarn::cli::runThumbnail(args);
    if (job == "plot") return qarn::cli::runPlot(args);
#endif
  } catch (const qarn::cad::AutomationError& e) {
    std::cerr << "qarn-cli: the CAD refused a call: " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "qarn-cli: " << e.what() << "\n";
    return 1;
  }
  usage();
  return 2;
}
