#pragma once
// What differs between the CADs the simulated one imitates: which idle query its application
// answers and which linetype files it ships with.
#include <string>
#include <vector>

namespace qarn::cad::sim {

struct CadProfile {
  std::string name;
  std::vector<std::string> stateQueries;   // "GetAcadState", "GetZcadState", "GetGcadState"
  std::vector<std::string> linetypeFiles;  // lower case

  static CadProfile bricscad();
  static CadProfile autocad();
  static CadProfile zwcad();
  static CadProfile gstarcad();
  static CadProfile pcad();
  // A CAD of no known kind that answers none of the idle queries.
  static CadProfile bare();
  // The profile a ProgID most likely belongs to.
  static CadProfile forProgId(const std::string& progId);
};

// The linetypes every shipped linetype file holds, with their dash patterns.
struct LinetypeDef {
  const char* name;
  const char* description;
  std::vector<double> pattern;
};
const std::vector<LinetypeDef>& linetypeFileContents();

}  // namespace qarn::cad::sim
