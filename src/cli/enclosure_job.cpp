// qarn-cli enclosure: one stock enclosure from its family's catalogue, drawn on the simulated CAD
// by the same command as the box page's create button, written as DXF.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cad/connection.h"
#include "cad/numbers.h"
#include "cad/sim/drawing_listing.h"
#include "cad/sim/sim_cad.h"
#include "cad/text_file.h"
#include "cli/executable_folder.h"
#include "cli/jobs.h"
#include "cli/options.h"
#include "enclosure/enclosure_catalogue.h"
#include "enclosure/enclosure_drawing.h"

namespace qarn::cli {

namespace {

const char* describeValue(const std::string& name) {
  if (name == "W") return "width (ヨコ)";
  if (name == "H") return "height (タテ)";
  if (name == "D") return "depth (フカサ)";
  if (name == "PW") return "mounting-plate width (基板ヨコ)";
  if (name == "PH") return "mounting-plate height (基板タテ)";
  return "usable depth (有効フカサ)";
}

int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli enclosure: " << why << "\n";
  return code;
}

}  // namespace

int runEnclosure(const std::vector<std::string>& args, const char* argv0) {
  std::string family, model, folder = executableFolder(argv0), out = "enclosure.dxf", listing;
  double atX = 0, atY = 0, dimscale = 1;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 >= args.size()) return fail("missing value after " + a, 2);
    const std::string& v = args[++i];
    if (a == "--family")
      family = v;
    else if (a == "--model")
      model = v;
    else if (a == "--catalogue-dir")
      folder = v;
    else if (a == "--dxf")
      out = v;
    else if (a == "--listing")
      listing = v;  // the drawing and the command's transcript, one fact a line
    else if (a == "--at") {
      auto p = readPoint(v);
      if (!p) return fail("--at needs X,Y, got \"" + v + "\"", 2);
      atX = p->x;
      atY = p->y;
    } else if (a == "--dimscale") {
      // The drawing's dimension scale: the enclosure page lays its dimensions out for 10.
      auto s = cad::tryReadNumber(v);
      if (!s || *s <= 0) return fail("--dimscale needs a positive number, got \"" + v + "\"", 2);
      dimscale = *s;
    } else {
      return fail("unknown argument " + a, 2);
    }
  }
  bool known = false;
  for (const auto& f : enclosure::families())
    known = known || f == family;
  if (!known) return fail("unknown family \"" + family + "\" (RA, S, CH, CL, E, OR or ORM)");
  if (model.empty()) return fail("no --model given", 2);

  auto list = enclosure::loadEnclosureList(folder, family, {});
  std::string file = cad::joinPath(folder, enclosure::catalogueFileName(family));
  if (list.status == enclosure::EnclosureList::Status::NoFile)
    return fail("no catalogue file " + file);
  const std::vector<std::string>* row = nullptr;
  for (const auto& r : list.rows)
    if (r.size() > 1 && r[1] == model) {
      row = &r;
      break;
    }
  if (!row) return fail("model \"" + model + "\" is not in " + file);

  enclosure::EnclosureInput input{family, enclosure::copyEnclosureRow(*row)};
  cad::sim::SimCad sim;
  cad::Session session;
  sim.registerAs(session.CadProgId);
  session.desktop = &sim.desktop();
  sim.drawing().variables["DIMSCALE"] = cad::Value(dimscale);
  sim.operatorTypedPoint(atX, atY);
  auto result = enclosure::drawEnclosure(session, input);
  using Status = enclosure::EnclosureResult::Status;
  if (result.status == Status::MissingValue)
    return fail(model + ": the " + std::string(describeValue(result.missing)) +
                " is zero or not a number");
  if (result.status != Status::Drawn) return fail(model + ": nothing was drawn");

  std::size_t blocks = 0;
  for (const auto& b : sim.drawing().blocks)
    blocks += b.isLayout ? 0 : 1;
  sim.writeDxf(out);
  if (!writeListing(sim, listing)) return fail("cannot write " + listing);
  std::cout << "wrote " << out << ": " << family << " " << model << ", "
            << sim.drawing().modelSpace().entities.size() << " entities drawn, " << blocks
            << " blocks defined, " << sim.callCount() << " automation calls\n";
  return 0;
}

}  // namespace qarn::cli
