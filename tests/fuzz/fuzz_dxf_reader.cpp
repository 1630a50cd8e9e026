// The DXF reader of the simulated CAD: a drawing file of any kind opened as a document, then
// written out again and read back, which must give the same entities.
#include <cstdlib>
#include <string>

#include "cad/sim/dxf_reader.h"
#include "cad/sim/dxf_writer.h"

using namespace qarn::cad::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  DxfDrawing read;
  try {
    read = readDxf(bytes);
  } catch (const DxfError&) {
    return 0;
  }
  // What was read is a drawing the writer can write and the reader read again.
  std::string again = writeDxf(read.drawing, read.nextHandle);
  DxfDrawing back = readDxf(again);
  std::size_t drawn = 0;
  for (const auto& [h, e] : read.drawing.entities)
    if (e.type != EntityType::Opaque) ++drawn;
  if (back.drawing.entities.size() < drawn) std::abort();
  return 0;
}
