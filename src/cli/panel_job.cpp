// qarn-cli panel: panel-mounted devices placed from the device catalogue "TPBPL.txt" by the same
// command as the "作成" button, on the simulated CAD, written as DXF. Each --model starts another
// device in the same drawing; the options after it apply to it.
#include <filesystem>
#include <iostream>
#include <optional>

#include "cad/numbers.h"
#include "cad/sim/sim_cad.h"
#include "cad/text_file.h"
#include "catalogue/device_catalogue.h"
#include "catalogue/user_collation.h"
#include "cli/executable_folder.h"
#include "cli/jobs.h"
#include "cli/options.h"
#include "panel/panel_creation.h"

namespace qarn::cli {

namespace {

int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli panel: " << why << "\n";
  return code;
}

struct Device {
  std::string model, number;
  bool plate = true, cancel = false, down = false;
  std::optional<int> count;
  std::string pitch = "60";
  double x = 0, y = 0;
};

std::optional<std::string> parse(const std::vector<std::string>& args, std::string& catalogue,
                                 std::string& out, std::string& listing,
                                 std::vector<Device>& devices) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    Device* d = devices.empty() ? nullptr : &devices.back();
    bool flag = a == "--no-plate" || a == "--down" || a == "--cancel";
    if (flag) {
      if (!d) return a + " before --model";
      (a == "--no-plate" ? d->plate : a == "--down" ? d->down : d->cancel) = a != "--no-plate";
      continue;
    }
    if (i + 1 >= args.size()) return "missing value after " + a;
    const std::string& v = args[++i];
    if (a == "--model") {
      devices.emplace_back();
      devices.back().model = v;
      continue;
    }
    if (a == "--catalogue") {
      catalogue = v;
      continue;
    }
    if (a == "--dxf") {
      out = v;
      continue;
    }
    if (a == "--listing") {
      listing = v;
      continue;
    }
    if (!d) return a + " before --model";
    if (a == "--number") {
      d->number = v;
    } else if (a == "--array") {
      d->count = cad::tryReadWholeNumber(v);
      if (!d->count) return "--array needs a whole number of devices, got \"" + v + "\"";
    } else if (a == "--pitch") {
      if (!cad::tryReadNumber(v)) return "--pitch needs a number, got \"" + v + "\"";
      d->pitch = v;
    } else if (a == "--at") {
      auto p = readPoint(v);
      if (!p) return "--at needs X,Y, got \"" + v + "\"";
      d->x = p->x;
      d->y = p->y;
    } else {
      return "unknown argument " + a;
    }
  }
  if (devices.empty()) return std::string("no --model given");
  return std::nullopt;
}

}  // namespace

int runPanel(const std::vector<std::string>& args, const char* argv0) {
  std::string file, out = "panel.dxf", listing;
  std::vector<Device> devices;
  if (auto why = parse(args, file, out, listing, devices)) return fail(*why, 2);
  if (file.empty()) file = cad::joinPath(executableFolder(argv0), catalogue::kPanelCatalogue);
  catalogue::CatalogueCache cache(catalogue::userCollationSorter());  // as the window sorts
  auto snapshot = cache.load(file);
  if (!snapshot) return fail("no catalogue file " + file);

  cad::sim::SimCad sim;
  cad::Session session;
  sim.registerAs(session.CadProgId);
  session.desktop = &sim.desktop();
  std::vector<std::string> lines;
  for (const Device& d : devices) {
    const catalogue::Record* record = nullptr;
    for (const auto& r : snapshot->records)
      if (r.field(1) == d.model) {
        record = &r;
        break;
      }
    if (!record) return fail("model \"" + d.model + "\" is not in " + file);
    panel::PanelInput in = panel::chooseCatalogueRow(record->fields());
    in.number = d.number;
    in.nameplate = d.plate;
    in.arrayMode = d.count.has_value();
    if (d.count) in.count = std::to_string(*d.count);
    in.pitch = d.pitch;
    in.downwards = d.down;
    if (d.cancel)
      sim.operatorEscape();
    else
      sim.operatorTypedPoint(d.x, d.y);
    long before = sim.callCount();
    panel::PanelResult r = panel::Button6Click(session, in);
    sim.dropOperatorInputs();  // an answer this device did not take is not the next one's
    if (!r.message.empty()) return fail(d.model + ": " + r.message);
    lines.push_back(r.block + ", " + std::to_string(r.placed) + " devices placed, device number " +
                    (r.number.empty() ? "(empty)" : r.number) + ", " +
                    std::to_string(sim.callCount() - before) + " automation calls");
  }
  sim.writeDxf(out);
  if (!writeListing(sim, listing, lines)) return fail("cannot write " + listing);
  for (const std::string& line : lines)
    std::cout << "wrote " << out << ": " << line << "\n";
  return 0;
}

}  // namespace qarn::cli
