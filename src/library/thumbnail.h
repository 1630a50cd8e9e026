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

// Where a stored preview goes in a box: the background found in its corners (before a white one
// is inverted to black), the source area (left + 1, top + 1, width x height) and the target size
// and position. `whole`: not cropped, the content being too small or cropping off.
struct PreviewFit {
  std::uint32_t background = 0;
  bool inverted = false;
  bool whole = true;
  int left = 0, top = 0, sourceWidth = 0, sourceHeight = 0;
  int targetWidth = 0, targetHeight = 0, x = 0, y = 0;
};
// Finds the background and the source area; inverts a white-background picture in place.
PreviewFit planPreview(Picture& pic, int boxWidth, int boxHeight, bool crop);

// The stored preview fitted into a box of the given size (crop: to its content).
Picture fitPreview(Picture stored, int boxWidth, int boxHeight, std::uint32_t background,
                   bool crop, PreviewFit* fit = nullptr);

struct Thumbnail {
  Picture box;
  bool read = false;    // the preview was read (also when the file has none)
  int storedWidth = 0;  // the preview's size as stored; 0 x 0 when there is none
  int storedHeight = 0;
  DwgPreview::Kind kind = DwgPreview::Kind::None;
  int bitDepth = 0;
  int version = 0;
  std::string why;  // why the file could not be read
  PreviewFit fit;   // where the stored preview went; zero when none was shown
};

Thumbnail ShowDwgThumbnail(const std::string& path, int boxWidth, int boxHeight,
                           std::uint32_t background, bool crop);

// The picture as a PNG file; false when it cannot be written.
bool writePng(const std::string& path, const Picture& picture);

}  // namespace qarn::library
