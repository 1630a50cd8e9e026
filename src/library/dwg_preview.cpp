#include "library/dwg_preview.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "cad/text_file.h"

namespace qarn::library {

std::uint32_t Picture::pixel(int x, int y) const {
  const std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
  return (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

void Picture::setPixel(int x, int y, std::uint32_t rgb) {
  std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
  p[0] = rgb & 0xFF;
  p[1] = (rgb >> 8) & 0xFF;
  p[2] = (rgb >> 16) & 0xFF;
}

namespace {

std::optional<Picture> failed(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return std::nullopt;
}

std::uint32_t u32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::uint16_t u16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool sane(long long w, long long h) {
  return w > 0 && h > 0 && w * h <= kMaxPreviewPixels;
}

}  // namespace

std::optional<Picture> decodeDib(const std::uint8_t* d, std::size_t size, int* bitDepth,
                                 std::string* why) {
  if (size < 40) return failed(why, "the bitmap header is cut short");
  std::uint32_t headerSize = u32(d);
  if (headerSize < 40 || headerSize > size) return failed(why, "the bitmap header is invalid");
  long long w = static_cast<std::int32_t>(u32(d + 4));
  long long h = static_cast<std::int32_t>(u32(d + 8));
  int bits = u16(d + 14);
  std::uint32_t compression = u32(d + 16);
  std::uint32_t clrUsed = u32(d + 32);
  if (bitDepth) *bitDepth = bits;
  bool topDown = h < 0;
  if (topDown) h = -h;
  if (!sane(w, h)) return failed(why, "the bitmap's size is out of range");
  if (compression != 0 && !(compression == 3 && bits == 32))
    return failed(why, "the bitmap is compressed");
  if (bits != 8 && bits != 24 && bits != 32)
    return failed(why, "a bitmap of " + std::to_string(bits) + " bits");
  // The palette follows the header: clrUsed entries, or all 256 of an 8-bit picture.
  std::size_t colours = bits == 8 ? (clrUsed ? clrUsed : 256) : clrUsed;
  if (colours > 256 && bits == 8) return failed(why, "the palette is too large");
  std::size_t paletteAt = headerSize + (compression == 3 ? 12 : 0);
  std::size_t pixelsAt = paletteAt + 4 * colours;
  std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
  if (pixelsAt > size || stride * static_cast<std::size_t>(h) > size - pixelsAt)
    return failed(why, "the bitmap's pixels run past its data");
  Picture pic{static_cast<int>(w), static_cast<int>(h), {}};
  pic.bgr.resize(static_cast<std::size_t>(w) * h * 3);
  for (long long y = 0; y < h; ++y) {
    const std::uint8_t* row =
        d + pixelsAt + stride * static_cast<std::size_t>(topDown ? y : h - 1 - y);
    std::uint8_t* out = &pic.bgr[static_cast<std::size_t>(y) * w * 3];
    for (long long x = 0; x < w; ++x, out += 3) {
      if (bits == 8) {
        std::size_t i = row[x];
        if (i >= colours) return failed(why, "a pixel names a colour the palette lacks");
        std::memcpy(out, d + paletteAt + 4 * i, 3);
      } else {
        std::memcpy(out, row + x * (bits / 8), 3);
      }
    }
  }
  return pic;
}

namespace {

struct PngInput {
  const std::uint8_t* data;
  std::size_t size, at;
};

void readPng(png_structp png, png_bytep out, png_size_t n) {
  auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
  if (n > in->size - in->at) png_error(png, "the picture is cut short");
  std::memcpy(out, in->data + in->at, n);
  in->at += n;
}

void pngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

// libpng reports errors by a long jump back into this function, so what it fills lives in the
// caller's frame and this frame holds nothing that needs a destructor.
bool decodePngInto(const std::uint8_t* data, std::size_t size, Picture* pic,
                   std::vector<png_bytep>* rows, std::string* error) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, error, pngError, pngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  PngInput in{data, size, 0};
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &in, readPng);
  png_set_user_limits(png, 4096, 4096);
  png_read_info(png, info);
  png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  int type = png_get_color_type(png, info), depth = png_get_bit_depth(png, info);
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (depth == 16) png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != w * 3) png_error(png, "an unexpected pixel layout");
  pic->width = static_cast<int>(w);
  pic->height = static_cast<int>(h);
  pic->bgr.resize(static_cast<std::size_t>(w) * h * 3);
  rows->resize(h);
  for (png_uint_32 y = 0; y < h; ++y)
    (*rows)[y] = &pic->bgr[static_cast<std::size_t>(y) * w * 3];
  png_read_image(png, rows->data());
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

std::optional<Picture> decodePng(const std::uint8_t* data, std::size_t size, std::string* why) {
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return failed(why, "not a PNG picture");
  Picture pic;
  std::vector<png_bytep> rows;
  std::string error = "out of memory";
  if (!decodePngInto(data, size, &pic, &rows, &error))
    return failed(why, "the PNG picture does not decode: " + error);
  return pic;
}

namespace {

// The preview section through `readAt` (offset, length → bytes, or nothing past the end).
template <class ReadAt>
std::optional<DwgPreview> parse(std::size_t n, ReadAt readAt, std::string* why) {
  auto fail = [why](const std::string& reason) -> std::optional<DwgPreview> {
    if (why) *why = reason;
    return std::nullopt;
  };
  DwgPreview out;
  auto head = readAt(0, 17);
  if (!head) {
    auto version = readAt(0, 6);
    if (!version) return fail("the file is too short for a drawing");
    head = std::move(version);
  }
  const auto* h = reinterpret_cast<const std::uint8_t*>(head->data());
  for (int i = 2; i < 6; ++i) {
    if (h[i] < '0' || h[i] > '9') {
      out.version = 0;
      break;
    }
    out.version = out.version * 10 + (h[i] - '0');
  }
  if (out.version <= 1012) return out;
  if (head->size() < 17) return fail("the file is too short for its preview seeker");
  std::size_t p = u32(h + 13);
  auto section = p <= n ? readAt(p, 21) : std::nullopt;
  if (!section) return fail("the preview section lies past the end of the file");
  int count = static_cast<std::uint8_t>((*section)[20]);
  auto table = readAt(p + 21, 9 * static_cast<std::size_t>(count));
  if (!table) return fail("the preview entries run past the end of the file");
  for (int e = 0; e < count; ++e) {
    const auto* entry = reinterpret_cast<const std::uint8_t*>(table->data()) + 9 * e;
    int code = entry[0];
    if (code != 2 && code != 6) continue;
    std::size_t start = u32(entry + 1), size = u32(entry + 5);
    auto data = start <= n && size <= n - start ? readAt(start, size) : std::nullopt;
    if (!data) return fail("the preview picture lies past the end of the file");
    std::string reason;
    const auto* d = reinterpret_cast<const std::uint8_t*>(data->data());
    std::optional<Picture> pic =
        code == 2 ? decodeDib(d, size, &out.bitDepth, &reason) : decodePng(d, size, &reason);
    if (!pic) return fail(reason);
    out.kind = code == 2 ? DwgPreview::Kind::Bmp : DwgPreview::Kind::Png;
    out.picture = std::move(*pic);
    return out;
  }
  return out;
}

}  // namespace

std::optional<DwgPreview> readDwgPreview(const std::string& bytes, std::string* why) {
  auto readAt = [&](std::size_t at, std::size_t len) -> std::optional<std::string> {
    if (at > bytes.size() || len > bytes.size() - at) return std::nullopt;
    return bytes.substr(at, len);
  };
  return parse(bytes.size(), readAt, why);
}

std::optional<DwgPreview> ReadDwgPreview(const std::string& path, std::string* why) {
  // Only the header, the entry table and the picture are read: drawings may be large.
  std::ifstream f(cad::filePath(path), std::ios::binary | std::ios::ate);
  if (!f) {
    if (why) *why = "the file cannot be opened";
    return std::nullopt;
  }
  std::size_t n = static_cast<std::size_t>(f.tellg());
  auto readAt = [&](std::size_t at, std::size_t len) -> std::optional<std::string> {
    if (at > n || len > n - at) return std::nullopt;
    std::string out(len, '\0');
    f.seekg(static_cast<std::streamoff>(at));
    if (!f.read(out.data(), static_cast<std::streamsize>(len))) return std::nullopt;
    return out;
  };
  return parse(n, readAt, why);
}

}  // namespace qarn::library
