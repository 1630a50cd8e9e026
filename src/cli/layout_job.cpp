// qarn-cli layout: a whole mounting plate laid out from a device list on the simulated CAD, with
// its ducts, rails and devices, and its bill of materials.
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

namespace qarn::cli {

namespace {
int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli layout: " << why << "\n";
  return code;
}
}  // namespace

int runLayout(const std::vector<std::string>& args, const char* argv0) {
  std::string list, enclosureArg, catalogueFile, folder = executableFolder(argv0),
                                                 out = "layout.dxf", bom;
  plate::LayoutInput in;
  cad::Point3 at{0, 0, 0};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      if (!list.empty()) return fail("unknown argument " + a, 2);
      list = a;
      continue;
    }
    if (i + 1 >= args.size()) return fail("missing value after " + a, 2);
    const std::string& v = args[++i];
    if (a == "--enclosure") {
      enclosureArg = v;
    } else if (a == "--catalogue") {
      catalogueFile = v;
    } else if (a == "--catalogue-dir") {
      folder = v;
    } else if (a == "--duct" || a == "--gap") {
      auto n = cad::tryReadNumber(v);
      if (!n || *n < 0 || (a == "--duct" && *n <= 0))
        return fail(a + " needs a number greater than 0, got \"" + v + "\"", 2);
      (a == "--duct" ? in.duct : in.gap) = *n;
    } else if (a == "--at") {
      auto p = readPoint(v);
      if (!p) return fail("--at needs X,Y, got \"" + v + "\"", 2);
      at = *p;
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
  const std::vector<std::string>* row = nullptr;
  for (const auto& r : boxes.rows)
    if (r.size() > 1 && r[1] == model) {
      row = &r;
      break;
    }
  if (!row) return fail("enclosure \"" + model + "\" is not in " + boxFile);
  enclosure::ChosenEnclosure box = enclosure::copyEnclosureRow(*row);
  in.plateWidth = plate::plateSize(box.plateWidth);
  in.plateHeight = plate::plateSize(box.plateHeight);
  if (!(in.plateWidth > 2 * in.duct) || !(in.plateHeight > 2 * in.duct))
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
  }

  cad::sim::SimCad sim;
  cad::Session session;
  session.desktop = &sim.desktop();
  sim.registerAs(session.CadProgId);
  sim.operatorPoint(at.x, at.y);
  plate::PlaceResult r = plate::placePlate(session, in, devices);
  if (r.drawn.status != plate::DrawResult::Status::Drawn)
    return fail(r.drawn.refusal.empty() ? "nothing was drawn" : r.drawn.refusal);
  sim.writeDxf(out);
  if (!bom.empty()) cad::writeFileAtomically(bom, plate::bomCsv(r.layout));

  std::string lengths;
  for (const plate::LengthLine& l : plate::lengthLines(r.layout))
    lengths += ", " + l.kind + " " + cad::writeNumber(l.size) + ": " + std::to_string(l.pieces) +
               " pieces " + cad::writeNumber(l.totalLength) + " mm";
  std::cout << "wrote " << out << ": " << r.layout.placed.size() << " of " << devices.size()
            << " devices placed in " << r.layout.rows << " rows" << lengths << ", "
            << sim.callCount() << " automation calls\n";
  for (const plate::LayoutDevice& d : r.layout.notPlaced)
    std::cout << "not placed: " << d.item.number << " (" << d.type << ", line " << d.item.line
              << ")\n";
  return r.layout.notPlaced.empty() ? 0 : 3;
}

}  // namespace qarn::cli
