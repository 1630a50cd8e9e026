// The DXF reader of the simulated CAD: a drawing file of any kind opened as a document, written
// out again and read back, which must give the same entities; then shown and measured as the
// drawing window and selections do, which must end within bounds whatever the file holds.
#include <cstdlib>
#include <string>

#include "cad/sim/display_list.h"
#include "cad/sim/dxf_reader.h"
#include "cad/sim/dxf_writer.h"
#include "cad/sim/entity_geometry.h"

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

  // A smaller budget than the window's keeps each run short; the bound is the same code.
  constexpr std::size_t kBudget = 20'000;
  DisplayList list = buildDisplayList(read.drawing, {}, true, kBudget);
  std::size_t shown = list.lineCount() + list.texts.size();
  for (const Batch& b : list.batches)
    shown += b.triangles.size();
  if (shown > kBudget || (list.omittedEntities == 0) != (list.omittedPrimitives == 0)) std::abort();
  ExtentsCache measured(read.drawing);
  for (const auto& h : read.drawing.modelSpace().entities)
    if (const Entity* e = read.drawing.findEntity(h)) (void)measured.of(*e);
  return 0;
}
