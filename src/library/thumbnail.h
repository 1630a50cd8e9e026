#pragma once
// A drawing's preview as the block library shows it: in a box of the page's size, on the page's
// background, light drawing on dark, cropped to its content, scaled to 90 percent and centred.
#include <cstdint>
#include <string>

#include "library/dwg_preview.h"

namespace qarn::library {

// A picture of the size filled with the colour (0xRRGGBB).
Picture FillCanvas(int width, int height, std::uint32_t rgb);
// The small cyan cross near the top-left corner that says the file could not be read.
void drawFailureMark(Picture& box);

// The stored preview fitted into a box of the given size (crop: to its content).
Picture fitPreview(Picture stored, int boxWidth, int boxHeight, std::uint32_t background,
                   bool crop);

struct Thumbnail {
  Picture box;
  bool read = false;    // the preview was read (also when the file has none)
  int storedWidth = 0;  // the preview's size as stored; 0 x 0 when there is none
  int storedHeight = 0;
  DwgPreview::Kind kind = DwgPreview::Kind::None;
  int bitDepth = 0;
  int version = 0;
  std::string why;  // why the file could not be read
};

Thumbnail ShowDwgThumbnail(const std::string& path, int boxWidth, int boxHeight,
                           std::uint32_t background, bool crop);

// The picture as a PNG file; false when it cannot be written.
bool writePng(const std::string& path, const Picture& picture);

}  // namespace qarn::library
