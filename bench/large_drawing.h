#pragma once
// The large drawing the window and printing benchmarks share: 200 enclosures of all seven families,
// each with a mounting plate of 96 device frames (block references with two attributes), drawn by
// automation outside any undo group: 23,765 model-space entities.
#include <string>
#include <vector>

#include "cad/connection.h"
#include "cad/sim/sim_cad.h"
#include "enclosure/enclosure_catalogue.h"
#include "enclosure/enclosure_drawing.h"

namespace qarn::bench {

// Draws it into the simulated CAD's active document; the number of model-space entities.
inline std::size_t drawLargeDrawing(cad::sim::SimCad& sim) {
  cad::Session s;
  s.desktop = &sim.desktop();
  sim.registerAs(s.CadProgId);
  const char* families[] = {"RA", "S", "CH", "CL", "E", "OR", "ORM"};
  std::vector<enclosure::EnclosureInput> inputs;
  for (const char* f : families)
    for (const auto& row : enclosure::loadEnclosureList(QARN_SOURCE_DIR "/data", f, {}).rows)
      inputs.push_back({f, enclosure::copyEnclosureRow(row)});
  cad::Document doc = cad::attachCad(s.CadProgId).activeDocument();
  cad::Block frame = doc.blocks().add({0, 0, 0}, "FRAME");
  frame.addLightWeightPolyline({0, 0, 40, 0, 40, 70, 0, 70}).setClosed(true);
  frame.addAttribute(5, 0, "器具番号", {20, 50, 0}, "NAME1", "");
  frame.addAttribute(3, 0, "型式", {20, 10, 0}, "TYPE", "");
  cad::Block ms = doc.modelSpace();
  for (int i = 0; i < 200; ++i) {
    double x = (i % 20) * 2500.0, y = (i / 20) * 3000.0;
    sim.operatorPoint(x, y);
    enclosure::drawEnclosure(s, inputs[i % inputs.size()]);
    // A plate of frames: 8 rows of 12.
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 12; ++c) {
        auto ref = ms.insertBlock({x + 100 + c * 50.0, y - 900 + r * 90.0, 0}, "FRAME");
        auto atts = ref.getAttributes();
        atts[0].setTextString(std::string("MC").append(std::to_string(r * 12 + c + 1)));
        atts[1].setTextString("S-T10");
      }
  }
  return sim.drawing().modelSpace().entities.size();
}

}  // namespace qarn::bench
