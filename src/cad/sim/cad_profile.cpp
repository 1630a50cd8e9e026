#include "cad/sim/cad_profile.h"

#include "cad/text.h"

namespace qarn::cad::sim {

CadProfile CadProfile::bricscad() {
  return {"BricsCAD", {"GetAcadState"}, {"iso.lin", "default.lin"}};
}
CadProfile CadProfile::autocad() {
  return {"AutoCAD", {"GetAcadState"}, {"acadiso.lin", "acad.lin"}};
}
CadProfile CadProfile::zwcad() {
  return {"ZWCAD", {"GetZcadState"}, {"zwcadiso.lin", "zwcad.lin"}};
}
CadProfile CadProfile::gstarcad() {
  return {"GstarCAD", {"GetGcadState"}, {"gcadiso.lin", "gcad.lin"}};
}
CadProfile CadProfile::pcad() {
  return {"PCAD", {"GetAcadState"}, {"mm.lin"}};
}
CadProfile CadProfile::bare() {
  return {"Other", {}, {}};
}

CadProfile CadProfile::forProgId(const std::string& progId) {
  std::string u = asciiUpper(progId);
  if (containsText(u, "GCAD")) return gstarcad();
  if (containsText(u, "ZWCAD")) return zwcad();
  if (containsText(u, "BRICS")) return bricscad();
  if (containsText(u, "PCAD")) return pcad();
  if (containsText(u, "AUTOCAD")) return autocad();
  return autocad();
}

const std::vector<LinetypeDef>& linetypeFileContents() {
  static const std::vector<LinetypeDef> defs = {
      {"HIDDEN", "Hidden __ __ __ __ __ __ __ __", {9.525, 6.35, -3.175}},
      {"HIDDEN2", "Hidden (.5x) _ _ _ _ _ _ _ _", {4.7625, 3.175, -1.5875}},
      {"PHANTOM",
       "Phantom ______  __  __  ______",
       {31.75, 15.875, -3.175, 3.175, -3.175, 3.175, -3.175}},
      {"CENTER", "Center ____ _ ____ _ ____ _", {31.75, 19.05, -3.175, 6.35, -3.175}},
      {"DASHED", "Dashed __ __ __ __ __ __", {19.05, 12.7, -6.35}},
      {"DASHDOT", "Dash dot __ . __ . __ .", {25.4, 12.7, -6.35, 0.0, -6.35}},
      {"DOT", "Dot . . . . . . . .", {6.35, 0.0, -6.35}},
  };
  return defs;
}

}  // namespace qarn::cad::sim
