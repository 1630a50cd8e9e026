#pragma once
// The preview picture a CAD stores inside a .dwg file: read from the file's preview section
// (a device-independent bitmap or a PNG) into a plain 24-bit picture, without the CAD.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qarn::library {

// 24-bit pixels, rows from the top, three bytes a pixel in blue, green, red order.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> bgr;
  std::uint32_t pixel(int x, int y) const;  // 0xRRGGBB
  void setPixel(int x, int y, std::uint32_t rgb);
};

struct DwgPreview {
  int version = 0;  // the four digits after "AC"
  enum class Kind { None, Bmp, Png } kind = Kind::None;
  int bitDepth = 0;  // of a BMP
  Picture picture;   // empty for Kind::None
};

// Nothing, with the reason in `why`, when the file cannot be opened or read, when an offset or
// size in it points past its end, or when the picture does not decode. A file of version 1012
// or lower, or one without a BMP or PNG entry, reads as Kind::None. The entry table is walked by
// its count and the first BMP or PNG entry taken.
std::optional<DwgPreview> ReadDwgPreview(const std::string& path, std::string* why = nullptr);
// The same from the file's bytes.
std::optional<DwgPreview> readDwgPreview(const std::string& bytes, std::string* why = nullptr);

// A DIB (BITMAPINFOHEADER, palette, pixels) of 8, 24 or 32 bits (32 read as BGRX), rows bottom-up
// or top-down, each row padded to 4 bytes.
std::optional<Picture> decodeDib(const std::uint8_t* data, std::size_t size, int* bitDepth,
                                 std::string* why);
std::optional<Picture> decodePng(const std::uint8_t* data, std::size_t size, std::string* why);

// Pictures larger than this many pixels are refused before anything is allocated.
inline constexpr long long kMaxPreviewPixels = 4096LL * 4096;

}  // namespace qarn::library
