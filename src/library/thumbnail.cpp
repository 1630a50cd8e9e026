#include "library/thumbnail.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "cad/text_file.h"

namespace qarn::library {

Picture FillCanvas(int width, int height, std::uint32_t rgb) {
  Picture p{std::max(width, 0), std::max(height, 0), {}};
  p.bgr.resize(static_cast<std::size_t>(p.width) * p.height * 3);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      p.setPixel(x, y, rgb);
  return p;
}

void drawFailureMark(Picture& box) {
  int a = box.width / 8, b = 2 * (box.width / 8);
  // Two lines of a pen: (a, a) to (b, b) and (b, a) to (a, b), the last point not drawn.
  for (int i = 0; i < b - a; ++i) {
    if (a + i < box.width && a + i < box.height) box.setPixel(a + i, a + i, 0x00FFFF);
    if (b - i < box.width && a + i < box.height) box.setPixel(b - i, a + i, 0x00FFFF);
  }
}

PreviewFit planPreview(Picture& pic, int boxWidth, int boxHeight, bool crop) {
  PreviewFit f;
  const int W = pic.width, H = pic.height;
  if (W <= 0 || H <= 0) return f;

  // The background: the corner colour most corners share, the earlier corner on a tie.
  const std::uint32_t corners[4] = {pic.pixel(0, 0), pic.pixel(W - 1, 0), pic.pixel(0, H - 1),
                                    pic.pixel(W - 1, H - 1)};
  int best = 0, bestCount = 0;
  for (int i = 0; i < 4; ++i) {
    int n = static_cast<int>(std::count(corners, corners + 4, corners[i]));
    if (n > bestCount) {
      best = i;
      bestCount = n;
    }
  }
  std::uint32_t bg = corners[best];
  f.background = bg;
  // Dark drawing on white is shown as light drawing on black.
  if (bg == 0xFFFFFF) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        std::uint32_t c = pic.pixel(x, y);
        if (c == 0x000000)
          pic.setPixel(x, y, 0xFFFFFF);
        else if (c == 0xFFFFFF)
          pic.setPixel(x, y, 0x000000);
      }
    bg = 0x000000;
    f.inverted = true;
  }

  // The content box.
  int top = H - 1, bottom = 0, left = W - 1, right = 0;
  bool seen = false;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      if (pic.pixel(x, y) != bg) {
        seen = true;
        bottom = y;
        left = std::min(left, x);
        right = std::max(right, x);
        if (y == 0) top = 0;
      } else if (!seen) {
        top = y;
      }
    }
  if (left > 0) --left;
  if (top > 0) --top;
  right = std::min(right, W - 1);
  bottom = std::min(bottom, H - 1);
  int sw = left < right ? right - left + 1 : W;
  int sh = top < bottom ? bottom - top + 1 : H;
  f.whole = right - left < 3 || bottom - top <= 2 || !crop;
  if (f.whole) {
    left = top = 0;
    sw = W;
    sh = H;
  }

  // 90 percent of the box, the source area starting one pixel in.
  double s = std::min(0.9 * boxWidth / sw, 0.9 * boxHeight / sh);
  int tw = static_cast<int>(std::trunc(sw * s)), th = static_cast<int>(std::trunc(sh * s));
  if (left + sw + 1 > W) sw = W - left - 1;
  if (top + sh + 1 > H) sh = H - top - 1;
  f.left = left;
  f.top = top;
  f.sourceWidth = sw;
  f.sourceHeight = sh;
  f.targetWidth = tw;
  f.targetHeight = th;
  f.x = (boxWidth - tw) / 2;
  f.y = (boxHeight - th) / 2;
  return f;
}

Picture fitPreview(Picture pic, int boxWidth, int boxHeight, std::uint32_t background, bool crop,
                   PreviewFit* fit) {
  Picture box = FillCanvas(boxWidth, boxHeight, background);
  if (pic.width <= 0 || pic.height <= 0) return box;
  PreviewFit f = planPreview(pic, boxWidth, boxHeight, crop);
  if (fit) *fit = f;
  const int left = f.left, top = f.top, sw = f.sourceWidth, sh = f.sourceHeight;
  const int tw = f.targetWidth, th = f.targetHeight, ox = f.x, oy = f.y;
  if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return box;
  for (int ty = 0; ty < th; ++ty) {
    int y = oy + ty;
    if (y < 0 || y >= boxHeight) continue;
    int sy = top + 1 + static_cast<int>(static_cast<long long>(ty) * sh / th);
    for (int tx = 0; tx < tw; ++tx) {
      int x = ox + tx;
      if (x < 0 || x >= boxWidth) continue;
      int sx = left + 1 + static_cast<int>(static_cast<long long>(tx) * sw / tw);
      box.setPixel(x, y, pic.pixel(sx, sy));
    }
  }
  return box;
}

Thumbnail ShowDwgThumbnail(const std::string& path, int boxWidth, int boxHeight,
                           std::uint32_t background, bool crop) {
  Thumbnail t;
  t.box = FillCanvas(boxWidth, boxHeight, background);
  std::error_code ec;
  if (!std::filesystem::exists(cad::filePath(path), ec)) {
    t.why = "no such file";
    return t;
  }
  auto preview = ReadDwgPreview(path, &t.why);
  if (!preview) {
    drawFailureMark(t.box);
    return t;
  }
  t.read = true;
  t.version = preview->version;
  t.kind = preview->kind;
  t.bitDepth = preview->bitDepth;
  if (preview->kind == DwgPreview::Kind::None) return t;
  t.storedWidth = preview->picture.width;
  t.storedHeight = preview->picture.height;
  t.box = fitPreview(std::move(preview->picture), boxWidth, boxHeight, background, crop, &t.fit);
  return t;
}

bool writePng(const std::string& path, const Picture& picture) {
#ifdef _WIN32
  FILE* f = _wfopen(cad::filePath(path).c_str(), L"wb");
#else
  FILE* f = std::fopen(path.c_str(), "wb");
#endif
  if (!f) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_BGR;
  bool ok = png_image_write_to_stdio(&image, f, 0, picture.bgr.data(), 0, nullptr) != 0;
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

}  // namespace qarn::library
