// A small drawing made with the shared CAD routines: a layer with a hidden linetype, a plate
// with rounded corners, a block with an attribute and two references to it, and a dimension.
#include <iostream>

#include "cad/command.h"
#include "cad/drawing_routines.h"
#include "cad/sim/sim_cad.h"
#include "cli/jobs.h"

namespace qarn::cli {

using namespace qarn::cad;

int runDemo(const std::vector<std::string>& args) {
  std::string out = "demo.dxf";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dxf" && i + 1 < args.size()) {
      out = args[++i];
    } else {
      std::cerr << "qarn-cli demo: unknown argument " << args[i] << "\n";
      return 2;
    }
  }

  sim::SimCad cad;
  Session session;
  cad.registerAs(session.CadProgId);
  session.desktop = &cad.desktop();
  cad.operatorTypedPoint(1234.5, 567.8);  // the base point the "user" types

  CadCommand cmd(session);
  if (!cmd.running()) {
    std::cerr << "qarn-cli demo: the simulated CAD is not running\n";
    return 1;
  }
  cmd.openUndoGroup();
  cmd.bringCadForward();
  auto base = cmd.pickPoint("作成基点（左下）を指示 : ");
  if (!base) return 1;
  double bx = static_cast<int>(base->x / 10) * 10.0, by = static_cast<int>(base->y / 10) * 10.0;
  const Document& doc = cmd.doc();

  EnsureLayer(doc, "TOVEK_SIDE", 4, "HIDDEN", session.CadProgId);
  EnsureLayer(doc, "TOVEK_NAME", 2, "", session.CadProgId);

  Block ms = doc.modelSpace();
  Polyline plate =
      ms.addLightWeightPolyline({bx, by, bx + 400, by, bx + 400, by + 300, bx, by + 300});
  plate.setClosed(true);
  plate.setBulge(1, 0.41421356);
  Polyline inner = ms.addLightWeightPolyline(
      {bx + 20, by + 20, bx + 380, by + 20, bx + 380, by + 280, bx + 20, by + 280});
  inner.setClosed(true);
  LoadLinetype(doc, "HIDDEN", session.CadProgId);
  inner.setLinetype("HIDDEN");
  inner.setLayer("TOVEK_SIDE");

  Blocks blocks = doc.blocks();
  if (!blocks.contains("QARN_LAMP")) {
    Block lamp = blocks.add({0, 0, 0}, "QARN_LAMP");
    Entity ring = lamp.addCircle({0, 0, 0}, 15);
    ring.setLayer("0");
    ring.setColor(0);
    ring.setLinetype("BYBLOCK");
    Attribute name = lamp.addAttribute(5, 0, "器具番号", {0, 22, 0}, "NAME", "");
    name.setLayer("TOVEK_NAME");
    name.setAlignment(10);
    name.setTextAlignmentPoint({0, 22, 0});
    name.setScaleFactor(0.75);
  }
  int n = 1;
  for (double x : {100.0, 300.0}) {
    BlockReference lamp = ms.insertBlock({bx + x, by + 150, 0}, "QARN_LAMP");
    for (const Attribute& a : lamp.getAttributes())
      if (a.tagString() == "NAME") a.setTextString("PL" + std::to_string(n++));
  }
  ms.addDimAligned({bx, by + 300, 0}, {bx + 400, by + 300, 0}, {bx + 200, by + 400, 0});
  ms.addDimAligned({bx + 400, by, 0}, {bx + 400, by + 300, 0}, {bx + 500, by + 150, 0});
  doc.regen(0);

  std::size_t entities = cad.drawing().modelSpace().entities.size();
  std::size_t blockCount = cad.drawing().blocks.size() - 2;
  cad.writeDxf(out);
  std::cout << "wrote " << out << ": " << entities << " entities, " << blockCount
            << " blocks defined, " << cad.callCount() << " automation calls\n";
  return 0;
}

}  // namespace qarn::cli
