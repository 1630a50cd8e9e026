// qarn-cli bom: the summary of a drawing without a window. The drawing is opened in the
// simulated CAD, every model-space entity is picked (the summary's own filter still applies) and
// the bill of materials printed as tab-separated lines, optionally saved as CSV.
#include <iostream>

#include "cad/connection.h"
#include "cad/sim/dxf_reader.h"
#include "cad/sim/sim_cad.h"
#include "cli/jobs.h"
#include "inspect/summary.h"

namespace qarn::cli {

namespace {
int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli bom: " << why << "\n";
  return code;
}
}  // namespace

std::optional<std::string> openForJob(cad::sim::SimCad& sim, const std::string& file) {
  try {
    sim.openDrawing(file);
  } catch (const cad::sim::DxfError& e) {
    return file + ": not a drawing QARN can read: " + e.what();
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

int runBom(const std::vector<std::string>& args) {
  std::string file, csv;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--csv") {
      if (i + 1 >= args.size()) return fail("missing value after --csv", 2);
      csv = args[++i];
    } else if (file.empty() && a.rfind("--", 0) != 0) {
      file = a;
    } else {
      return fail("unknown argument " + a, 2);
    }
  }
  if (file.empty()) return fail("no drawing file given", 2);

  cad::sim::SimCad sim;
  if (auto why = openForJob(sim, file)) return fail(*why);
  cad::Session session;
  session.desktop = &sim.desktop();
  sim.registerAs(session.CadProgId);
  sim.operatorSelectAll();
  inspect::GridTable grid = inspect::newSummaryTable();
  inspect::SummaryResult r = inspect::GetSummary(session, grid);
  if (r.status == inspect::SummaryResult::Status::Failed)
    return fail(file + ": the drawing could not be read through the CAD");
  std::cout << inspect::summaryText(grid);
  if (!csv.empty()) inspect::saveSummaryCsv(csv, grid);
  return 0;
}

}  // namespace qarn::cli
