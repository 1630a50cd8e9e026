#pragma once
// A thumbnail for a drawing file that stores no preview (a DXF drawing, as the simulated CAD
// writes and reads them): its model space drawn from its geometry, light on black as the CAD's
// window shows it, then cropped, scaled and centred as a stored preview is.
#include <optional>
#include <string>

#include "cad/sim/drawing.h"
#include "library/thumbnail.h"

namespace qarn::library {

// Model space drawn into a picture of the size, its extents filling 1/1.1 of it, centred, in lines
// two pixels thick; a blank picture when nothing is shown.
Picture drawGeometry(const cad::sim::Drawing& d, int width, int height, std::uint32_t background);

// The file read as a DXF drawing and drawn into a box as ShowDwgThumbnail fits stored previews
// (crop on). Nothing when the file cannot be read as DXF.
std::optional<Picture> geometryThumbnail(const std::string& path, int boxWidth, int boxHeight,
                                         std::uint32_t background);

}  // namespace qarn::library
