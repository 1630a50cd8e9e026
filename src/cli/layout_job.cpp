// qarn-cli layout: a whole mounting plate laid out from a device list on the simulated CAD, with
// its ducts, rails, end stops and devices, what to buy and how to cut it, the enclosure that would
// take a list that does not fit, the enclosure's heat, and its bill of materials.
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cad/sim/sim_cad.h"
#include "cad/text_file.h"
#include "catalogue/user_collation.h"
#include "cli/executable_folder.h"
#include "cli/jobs.h"
#include "cli/options.h"
#include "enclosure/enclosure_catalogue.h"
#include "plate/plate_layout.h"
#include "plate/plate_report.h"

namespace qarn::cli {

namespace {
int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli layout: " << why << "\n";
  return code;
}
}  // namespace

int runLayout(const std::vector<std::string>& args, const char* argv0) {
  std::string list, enclosureArg, catalogueFile, folder = executableFolder(argv0),
                                                 out = "layout.dxf", bom, listing;
  plate::LayoutInput in;
  plate::StockLengths stock;
  plate::Mount mount = plate::Mount::Wall;
  double dimscale = 10, maxRise = 15;
  cad::Point3 at{0, 0, 0};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      if (!list.empty()) return fail("unknown argument " + a, 2);
      list = a;
      continue;
    }
    if (a == "--pack") {
      in.pack = true;
      continue;
    }
    if (i + 1 >= args.size()) return fail("missing value after " + a, 2);
    const std::string& v = args[++i];
    // Sizes: the duct, the stock lengths and the dimension scale must be more than 0, the others
    // may be 0.
    struct Size {
      const char* name;
      double* value;
      bool positive;
    } sizes[] = {{"--duct", &in.duct, true},          {"--gap", &in.gap, false},
                 {"--clearance", &in.clearance, false}, {"--margin", &in.margin, false},
                 {"--end-stop", &in.endStop, false},    {"--rail-stock", &stock.rail, true},
                 {"--duct-stock", &stock.duct, true},   {"--dimscale", &dimscale, true},
                 {"--max-rise", &maxRise, false}};
    auto size = std::find_if(std::begin(sizes), std::end(sizes),
                             [&](const Size& s) { return a == s.name; });
    if (size != std::end(sizes)) {
      auto n = cad::tryReadNumber(v);
      if (!n || *n < 0 || (size->positive && *n <= 0) || *n > 1e6)
        return fail(a + " needs a number" + (size->positive ? " greater than 0" : " of 0 or more") +
                        ", got \"" + v + "\"",
                    2);
      *size->value = *n;
    } else if (a == "--mount") {
      if (v != "free" && v != "wall") return fail("--mount needs free or wall, got \"" + v + "\"", 2);
      mount = v == "free" ? plate::Mount::Free : plate::Mount::Wall;
    } else if (a == "--enclosure") {
      enclosureArg = v;
    } else if (a == "--catalogue") {
      catalogueFile = v;
    } else if (a == "--catalogue-dir") {
      folder = v;
    } else if (a == "--at") {
      auto p = readPoint(v);
      if (!p) return fail("--at needs X,Y, got \"" + v + "\"", 2);
      at = *p;
    } else if (a == "--listing") {
      listing = v;
    } else if (a == "--dxf") {
      out = v;
    } else if (a == "--bom") {
      bom = v;
    } else {
      return fail("unknown argument " + a, 2);
    }
  }
  if (list.empty()) return fail("no device list given", 2);
  auto colon = enclosureArg.find(':');
  if (colon == std::string::npos) return fail("--enclosure FAMILY:MODEL is needed", 2);
  std::string family = enclosureArg.substr(0, colon), model = enclosureArg.substr(colon + 1);

  auto boxes = enclosure::loadEnclosureList(folder, family, {});
  std::string boxFile = cad::joinPath(folder, enclosure::catalogueFileName(family));
  if (boxes.status != enclosure::EnclosureList::Status::Loaded)
    return fail("no enclosure catalogue " + boxFile);
  std::vector<plate::EnclosureSize> sizes = plate::enclosureSizes(boxes.rows);
  auto box = std::find_if(sizes.begin(), sizes.end(),
                          [&](const plate::EnclosureSize& e) { return e.model == model; });
  if (box == sizes.end()) return fail("enclosure \"" + model + "\" is not in " + boxFile);
  in.plateWidth = box->plateWidth;
  in.plateHeight = box->plateHeight;
  if (!(in.plateWidth > 2 * (in.duct + in.margin)) ||
      !(in.plateHeight > 2 * (in.duct + in.margin)))
    return fail(model + ": the mounting plate is too small for ducts of " +
                cad::writeNumber(in.duct));

  if (catalogueFile.empty()) catalogueFile = cad::joinPath(folder, catalogue::kFrameCatalogue);
  catalogue::CatalogueCache cache(catalogue::userCollationSorter());  // as the window sorts
  auto catalogue = cache.load(catalogueFile);
  if (!catalogue) return fail("no catalogue file " + catalogueFile);
  std::vector<plate::LayoutDevice> devices;
  try {
    devices = plate::resolveDevices(plate::readDeviceList(list), *catalogue);
  } catch (const plate::ListError& e) {
    return fail(list + ": " + e.what());
  } catch (const std::runtime_error& e) {
    return fail(e.what());
  }

  cad::sim::SimCad sim;
  cad::Session session;
  session.desktop = &sim.desktop();
  sim.registerAs(session.CadProgId);
  sim.drawing().variables["DIMSCALE"] = cad::Value(dimscale);
  sim.operatorPoint(at.x, at.y);
  plate::PlaceResult r = plate::placePlate(session, in, devices);
  if (r.drawn.status != plate::DrawResult::Status::Drawn)
    return fail(r.drawn.refusal.empty() ? "nothing was drawn" : r.drawn.refusal);
  long calls = sim.callCount();
  sim.writeDxf(out);

  plate::PlateReport report;
  report.lengths = plate::lengthLines(r.layout);
  report.plans = plate::cutPlans(r.layout, stock);
  report.maxRise = maxRise;
  report.heat = plate::estimateHeat(*box, plate::totalLoss(devices), mount, maxRise);
  if (!r.layout.complete())
    report.fit = plate::fitMessage(
        model, plate::enclosureThatFits(in, plate::withMeasuredTexts(devices, r.measured), sizes),
        family);
  if (!bom.empty()) cad::writeFileAtomically(bom, plate::bomCsv(r.layout, report));
  std::vector<std::string> said = plate::reportLines(report);
  for (const plate::LayoutDevice& d : r.layout.notPlaced)
    said.push_back("not placed: " + d.name() + " (" + d.type + ", line " +
                   std::to_string(d.item.line) + ")");
  if (!writeListing(sim, listing, said)) return fail("cannot write " + listing);

  std::string lengths;
  for (const plate::LengthLine& l : report.lengths) {
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on "text" + std::string.
    lengths.append(", ").append(l.kind).append(" ").append(cad::writeNumber(l.size));
    lengths.append(": ").append(std::to_string(l.pieces)).append(" pieces");
    if (l.totalLength > 0) lengths.append(" ").append(cad::writeNumber(l.totalLength)).append(" mm");
  }
  std::cout << "wrote " << out << ": " << r.layout.placed.size() << " of " << r.measured.size()
            << " frames placed in " << r.layout.rows << " rows" << lengths << ", " << calls
            << " automation calls\n";
  for (const std::string& line : said) std::cout << line << "\n";
  return r.layout.complete() ? 0 : 3;
}

}  // namespace qarn::cli
