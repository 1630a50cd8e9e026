#pragma once
// Opening a drawing in the simulated CAD: an ASCII DXF file (R12 to 2018) read into its drawing
// database. Layers keep their states, blocks their definitions, references their attributes and
// every entity its handle; entities of kinds the simulated CAD does not draw are kept as opaque
// entities under their DXF name, never dropped. A file that is not a well-formed DXF is refused
// with the line of its first fault.
#include <stdexcept>
#include <string>
#include <string_view>

#include "cad/sim/drawing.h"

namespace qarn::cad::sim {

class DxfError : public std::runtime_error {
 public:
  DxfError(int line, const std::string& reason)
      : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

struct DxfDrawing {
  Drawing drawing;
  unsigned long nextHandle = 0x20;  // the first handle the drawing does not use
  std::string version;              // $ACADVER, "AC1009" when the file has no header
};

DxfDrawing readDxf(std::string_view bytes);
// The file's bytes read; std::runtime_error when it cannot be read, DxfError when it is no DXF.
DxfDrawing readDxfFile(const std::string& path);

}  // namespace qarn::cad::sim
