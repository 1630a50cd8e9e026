// qarn-cli frame: a device's front view placed from the device catalogue by the same command as
// the "正面" button, on the simulated CAD, written as DXF.
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
#include "frames/frame_row.h"
#include "frames/front_placement.h"
#include "frames/mounting_holes.h"
#include "frames/partitions.h"
#include "frames/side_view.h"

namespace qarn::cli {

namespace {

int fail(const std::string& why, int code = 1) {
  std::cerr << "qarn-cli frame: " << why << "\n";
  return code;
}

struct Options {
  std::string model, catalogue, number, out = "frame.dxf", listing;
  int base = 1;
  std::optional<std::string> offset, poles;
  std::optional<int> count;
  std::string gap = "0";
  double dimscale = 1, atX = 0, atY = 0;
  bool cancel = false;
  std::optional<cad::Point3> side;  // answer to the side view's move, typed
  bool holes = false, partitions = false;
};

// Reads the options; a reason when one is missing its value or is not a number.
std::optional<std::string> parse(const std::vector<std::string>& args, Options& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--cancel" || a == "--holes" || a == "--partitions") {
      (a == "--cancel" ? o.cancel : a == "--holes" ? o.holes : o.partitions) = true;
      continue;
    }
    if (i + 1 >= args.size()) return "missing value after " + a;
    const std::string& v = args[++i];
    auto number = [&]() -> std::optional<double> { return cad::tryReadNumber(v); };
    auto whole = [&]() -> std::optional<int> { return cad::tryReadWholeNumber(v); };
    if (a == "--model") {
      o.model = v;
    } else if (a == "--catalogue") {
      o.catalogue = v;
    } else if (a == "--number") {
      o.number = v;
    } else if (a == "--dxf") {
      o.out = v;
    } else if (a == "--listing") {
      o.listing = v;
    } else if (a == "--base") {
      auto b = whole();
      if (!b || *b < 0 || *b > 8) return "--base needs a base point code 0 to 8, got \"" + v + "\"";
      o.base = *b;
    } else if (a == "--offset") {
      if (!number()) return "--offset needs a number, got \"" + v + "\"";
      o.offset = v;
    } else if (a == "--terminal") {
      auto p = whole();
      if (!p || *p <= 0) return "--terminal needs a pole count, got \"" + v + "\"";
      o.poles = v;
    } else if (a == "--array") {
      auto n = whole();
      if (!n) return "--array needs a whole number of frames, got \"" + v + "\"";
      o.count = *n;
    } else if (a == "--gap") {
      if (!number()) return "--gap needs a number, got \"" + v + "\"";
      o.gap = v;
    } else if (a == "--dimscale") {
      auto s = number();
      if (!s) return "--dimscale needs a number, got \"" + v + "\"";
      o.dimscale = *s;
    } else if (a == "--at" || a == "--side") {
      auto p = readPoint(v);
      if (!p) return a + " needs X,Y, got \"" + v + "\"";
      if (a == "--side") {
        o.side = p;
      } else {
        o.atX = p->x;
        o.atY = p->y;
      }
    } else {
      return "unknown argument " + a;
    }
  }
  if (o.model.empty()) return std::string("no --model given");
  if (o.poles && o.count) return std::string("--terminal and --array cannot be used together");
  return std::nullopt;
}

}  // namespace

int runFrame(const std::vector<std::string>& args, const char* argv0) {
  Options o;
  if (auto why = parse(args, o)) return fail(*why, 2);
  std::string file = o.catalogue.empty()
                         ? cad::joinPath(executableFolder(argv0), catalogue::kFrameCatalogue)
                         : o.catalogue;
  catalogue::CatalogueCache cache(catalogue::userCollationSorter());  // as the window sorts
  auto snapshot = cache.load(file);
  if (!snapshot) return fail("no catalogue file " + file);
  const catalogue::Record* record = nullptr;
  for (const auto& r : snapshot->records)
    if (r.field(1) == o.model) {
      record = &r;
      break;
    }
  if (!record) return fail("model \"" + o.model + "\" is not in " + file);

  // The page as a row click and the options leave it.
  frames::FrameRow row = frames::chooseFrameRow(record->fields());
  frames::FrontInput in;
  in.gridModel = row.model;
  in.width = row.width;
  in.height = row.height;
  in.endWidth = row.endWidth;
  in.terminalMode = row.terminalBlock || o.poles;
  in.poles = o.poles.value_or("4");
  in.baseSw = o.base;
  in.offsetEnabled = o.offset && frames::offsetApplies(true, o.base);
  in.offset = o.offset.value_or("0");
  in.fields = {o.number, row.rating, row.auxiliary, row.dimensions, row.cut, false, "2", o.gap};
  if (o.count) {
    in.terminalMode = false;
    in.fields.arrayMode = true;
    in.fields.arrayCount = std::to_string(*o.count);
  }

  cad::sim::SimCad sim;
  cad::Session session;
  sim.registerAs(session.CadProgId);
  session.desktop = &sim.desktop();
  sim.drawing().variables["DIMSCALE"] = cad::Value(o.dimscale);
  if (o.cancel)
    sim.operatorEscape();
  else
    sim.operatorTypedPoint(o.atX, o.atY);

  // Read afresh each time: the drawing's tables grow as the commands run.
  auto modelSpace = [&sim]() -> const std::vector<std::string>& {
    return sim.drawing().modelSpace().entities;
  };
  frames::FrontResult result = frames::placeFront(session, in);
  sim.dropOperatorInputs();
  if (!result.sized) return fail(o.model + ": the width (W) or height (H) is zero or not a number");
  if (!result.insert.refusal.empty()) return fail(o.model + ": " + result.insert.refusal);
  std::string report = std::to_string(result.insert.placed) + " frames placed, device number " +
                       (result.number.empty() ? "(empty)" : result.number);

  // The later steps pick the pasted frame, the first of the new entities.
  std::string pasted = result.insert.placed > 0 ? modelSpace().front() : "";
  auto step = [&](const char* what, auto command) {
    if (pasted.empty()) {
      report += std::string(", ") + what + ": no frame to pick";
      return;
    }
    std::size_t before = modelSpace().size();
    sim.operatorPick(pasted, cad::Point3{o.atX, o.atY, 0});
    std::string message = command();
    // Each answer belongs to its step: one the command did not ask for (a side view that draws
    // nothing) is not taken by the next step's pick.
    sim.dropOperatorInputs();
    report += std::string(", ") + what + " +" + std::to_string(modelSpace().size() - before);
    if (!message.empty()) report += " (" + message + ")";
  };
  if (o.side)
    step("side view", [&] {
      sim.operatorTypedPoint(o.side->x, o.side->y);
      return frames::Button8Click(session).message;
    });
  if (o.holes) step("holes", [&] { return frames::Button10Click(session).message; });
  if (o.partitions)
    step("partitions", [&] {
      frames::Button22Click(session);
      return std::string();
    });
  sim.writeDxf(o.out);
  if (!writeListing(sim, o.listing, {report})) return fail("cannot write " + o.listing);
  std::cout << "wrote " << o.out << ": " << report << ", " << sim.callCount()
            << " automation calls\n";
  return 0;
}

}  // namespace qarn::cli
