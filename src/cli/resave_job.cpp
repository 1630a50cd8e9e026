// qarn-cli resave: a drawing opened and saved as the drawing window's "DXF で保存" does, for
// scripts that check what a round trip keeps. It prints the entities of the saved file per kind
// (read back from it), what the opened file held that the saved one cannot, and the drawing's
// extents as a zoom to extents finds them.
#include <iostream>
#include <map>

#include "cad/numbers.h"
#include "cad/sim/display_list.h"
#include "cad/sim/dxf_reader.h"
#include "cad/sim/sim_cad.h"
#include "cli/jobs.h"

namespace qarn::cli {

namespace {
int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli resave: " << why << "\n";
  return code;
}
}  // namespace

int runResave(const std::vector<std::string>& args) {
  std::string file, out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--dxf") {
      if (i + 1 >= args.size()) return fail("missing value after --dxf", 2);
      out = args[++i];
    } else if (file.empty() && a.rfind("--", 0) != 0) {
      file = a;
    } else {
      return fail("unknown argument " + a, 2);
    }
  }
  if (file.empty()) return fail("no drawing file given", 2);
  if (out.empty()) return fail("no file to save to given (--dxf OUT.dxf)", 2);

  cad::sim::SimCad sim;
  if (auto why = openForJob(sim, file)) return fail(*why);
  std::vector<std::string> notKept = sim.drawing().notKept;
  cad::sim::Extents x = cad::sim::buildDisplayList(sim.drawing()).extents;
  try {
    sim.saveAs(out);
  } catch (const std::exception& e) {
    return fail(out + ": " + e.what());
  }
  // What the saved file holds, as a reader of it finds it.
  cad::sim::DxfDrawing saved;
  try {
    saved = cad::sim::readDxfFile(out);
  } catch (const std::exception& e) {
    return fail(out + ": the saved file cannot be read back: " + e.what());
  }
  std::map<std::string, int> kinds;
  for (const auto& h : saved.drawing.modelSpace().entities)
    ++kinds[cad::sim::dxfName(*saved.drawing.findEntity(h))];
  std::cout << "wrote " << out << "\n";
  for (const auto& [kind, n] : kinds)
    std::cout << "kept\t" << kind << "\t" << n << "\n";
  for (const auto& what : notKept)
    std::cout << "not kept\t" << what << "\n";
  if (x.empty())
    std::cout << "extents\tnone\n";
  else
    std::cout << "extents\t" << cad::writeNumber(x.min.x) << "," << cad::writeNumber(x.min.y)
              << "\t" << cad::writeNumber(x.max.x) << "," << cad::writeNumber(x.max.y) << "\n";
  return 0;
}

}  // namespace qarn::cli
