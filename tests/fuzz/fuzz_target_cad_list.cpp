// The list of target CADs: name, tab, ProgID a line.
#include "cad/target_cad_list.h"
#include "fuzz_support.h"

using namespace qarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  cad::TargetCadList list;
  list.load(fuzz::writeInput("TargetCAD_APIVersion.txt", data, size));
  for (const std::string& line : list.lines()) {
    auto entry = cad::TargetCadList::split(line);
    list.find(entry.progId);
  }
  return 0;
}
