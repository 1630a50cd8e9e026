// qarn-cli: QARN's drawing jobs without a window, on the embedded simulated CAD.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cad/automation_error.h"
#include "cli/jobs.h"

namespace {
void usage() {
  std::cerr << "usage: qarn-cli enclosure --family F --model M [--catalogue-dir DIR] [--at X,Y]"
               " [--dimscale S] [--dxf FILE]\n"
               "       qarn-cli frame --model M [--catalogue FILE] [--number N] [--base 0..8]"
               " [--offset D]\n"
               "                      [--terminal POLES] [--array N --gap G] [--dimscale S]"
               " [--at X,Y | --cancel]\n"
               "                      [--side X,Y] [--holes] [--partitions] [--dxf FILE]\n"
               "       qarn-cli panel --model M [--number N] [--no-plate] [--array N --pitch P"
               " [--down]]\n"
               "                      [--at X,Y | --cancel] [--model M2 ...] [--catalogue FILE]"
               " [--dxf FILE]\n"
               "       qarn-cli thumbnail FILE [--png OUT] [--box WxH]\n"
               "       qarn-cli bom DRAWING.dxf [--csv FILE]\n"
               "       qarn-cli layout LIST --enclosure FAMILY:MODEL [--catalogue FILE]"
               " [--catalogue-dir DIR]\n"
               "                       [--duct W] [--gap G] [--clearance C] [--margin M]"
               " [--end-stop W] [--pack]\n"
               "                       [--dimscale S] [--rail-stock L] [--duct-stock L]"
               " [--mount free|wall] [--max-rise K]\n"
               "                       [--at X,Y] [--dxf FILE] [--bom FILE]\n"
               "       qarn-cli search FILE [TEXT]\n"
               "       qarn-cli demo [--dxf FILE]\n";
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
  try {
    if (job == "demo") return qarn::cli::runDemo(args);
    if (job == "search") return qarn::cli::runSearch(args);
    if (job == "enclosure") return qarn::cli::runEnclosure(args, argv[0]);
    if (job == "frame") return qarn::cli::runFrame(args, argv[0]);
    if (job == "panel") return qarn::cli::runPanel(args, argv[0]);
    if (job == "bom") return qarn::cli::runBom(args);
    if (job == "layout") return qarn::cli::runLayout(args, argv[0]);
#ifdef QARN_WITH_PREVIEW  // built where libpng is (not in the cross build for the Wine tests)
    if (job == "thumbnail") return qarn::cli::runThumbnail(args);
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
