#pragma once
// The simulated CAD's drawing as a DXF file (AutoCAD 2000 format, with handles) that CAD
// programs and DXF libraries open: layers, linetypes, block definitions with attribute
// definitions, references with their attributes, polylines with bulges, lines, circles, arcs and
// aligned dimensions.
#include <string>

#include "cad/sim/drawing.h"

namespace qarn::cad::sim {

// `firstFreeHandle` is the first handle the drawing has not used; the file's own objects (tables,
// dictionaries, dimension pictures) are numbered from there.
std::string writeDxf(const Drawing& drawing, unsigned long firstFreeHandle);

}  // namespace qarn::cad::sim
