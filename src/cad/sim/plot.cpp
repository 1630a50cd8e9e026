#include "cad/sim/plot.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "cad/sim/truetype_font.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

std::u32string decodeUtf8(const std::string& s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (int k = 1; k < n && i + k < s.size(); ++k)
      cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out += cp;
    i += n;
  }
  return out;
}

// A text's height is the height of its capitals, 0.72 of an em (as the window draws it).
constexpr double kEmPerHeight = 1 / 0.72;

}  // namespace

PrintedText printedText(const ShownText& t, const PlotPage& page, const TrueTypeFont* font) {
  PrintedText p;
  p.chars = decodeUtf8(t.text);
  double width = 0;
  for (char32_t c : p.chars) {
    double a;
    if (font) {
      std::uint16_t g = font->glyphOf(c);
      p.glyphs.push_back(g);
      a = static_cast<double>(font->advance(g)) / font->unitsPerEm();
    } else {
      a = c < 0x80 ? 0.556 : 1.0;  // the standard font's usual width, a full-width character
    }
    p.advances.push_back(a);
    width += a;
  }
  double h = t.height * page.scale;
  p.em = h * kEmPerHeight;
  p.widthFactor = t.widthFactor > 0 ? t.widthFactor : 1;
  double w = width * p.em * p.widthFactor;
  double left = t.horizontal == 1 ? -w / 2 : t.horizontal == 2 ? -w : 0;
  double down = t.vertical == 3 ? -h : t.vertical == 2 ? -h / 2 : 0;
  p.cos = std::cos(t.rotation);
  p.sin = std::sin(t.rotation);
  p.x = page.x(t.at.x) + left * p.cos - down * p.sin;
  p.y = page.y(t.at.y) + left * p.sin + down * p.cos;
  return p;
}

PlotPage layOutPage(const DisplayList& list, const PlotOptions& o) {
  PlotPage page;
  page.width = o.paper == Paper::A3 ? 297 : 210;
  page.height = o.paper == Paper::A3 ? 420 : 297;
  if (o.landscape) std::swap(page.width, page.height);
  page.left = page.bottom = kSheetMargin;
  page.right = page.width - kSheetMargin;
  page.top = page.height - kSheetMargin;

  Extents area;
  if (o.window) {
    area.add(o.window->first.x, o.window->first.y);
    area.add(o.window->second.x, o.window->second.y);
    if (area.max.x - area.min.x <= 0 || area.max.y - area.min.y <= 0)
      throw PlotError("印刷する窓の幅または高さが 0 です");
  } else {
    area = list.extents;
    // Texts reach past the points they stand at: their boxes as the extents measure them.
    for (const ShownText& t : list.texts) {
      double w = 0;
      for (char32_t c : decodeUtf8(t.text))
        w += c < 0x80 ? 0.6 : 1.0;
      w *= t.height * t.widthFactor;
      double l = t.horizontal == 1 ? -w / 2 : t.horizontal == 2 ? -w : 0;
      double b = t.vertical == 3 ? -t.height : t.vertical == 2 ? -t.height / 2 : 0;
      double c = std::cos(t.rotation), s = std::sin(t.rotation);
      for (double u : {l, l + w})
        for (double v : {b, b + t.height})
          if (std::isfinite(u * c - v * s + t.at.x) && std::isfinite(u * s + v * c + t.at.y))
            area.add(t.at.x + u * c - v * s, t.at.y + u * s + v * c);
    }
    if (area.empty()) throw PlotError("印刷する図形がありません");
  }
  double aw = area.max.x - area.min.x, ah = area.max.y - area.min.y;
  double pw = page.right - page.left, ph = page.top - page.bottom;
  if (o.scale > 0) {
    page.scale = 1 / o.scale;
  } else {
    double sx = aw > 0 ? pw / aw : 1e300, sy = ah > 0 ? ph / ah : 1e300;
    page.scale = std::min(sx, sy);
    if (page.scale >= 1e300) page.scale = 1;  // a single point: at 1:1
  }
  if (!std::isfinite(page.scale) || page.scale <= 0) throw PlotError("印刷尺度が正しくありません");
  page.dx = (page.left + page.right) / 2 - (area.min.x + area.max.x) / 2 * page.scale;
  page.dy = (page.bottom + page.top) / 2 - (area.min.y + area.max.y) / 2 * page.scale;
  if (o.window) {  // only what lies in the window is printed
    page.left = std::max(page.left, page.x(area.min.x));
    page.right = std::min(page.right, page.x(area.max.x));
    page.bottom = std::max(page.bottom, page.y(area.min.y));
    page.top = std::min(page.top, page.y(area.max.y));
  }
  return page;
}

std::uint32_t printedColour(std::uint32_t rgb, bool colour) {
  if (!colour || rgb == 0xFFFFFF) return 0x000000;
  return rgb;
}

std::optional<PlotFormat> plotFormatOf(const std::string& path) {
  std::string u = asciiUpper(path);
  auto ends = [&](const char* ext) { return u.size() > 4 && u.compare(u.size() - 4, 4, ext) == 0; };
  if (ends(".PDF")) return PlotFormat::Pdf;
  if (ends(".PNG")) return PlotFormat::Png;
  return std::nullopt;
}

PlotReport plotDrawing(const Drawing& d, const PlotOptions& options, PlotFormat format,
                       const std::string& path) {
  PlotReport report;
  report.file = path;
  // Layers that are not plotted (and Defpoints, which never is) are left out as if off.
  bool hidden = std::any_of(d.layers.begin(), d.layers.end(), [](const Layer& l) {
    return !l.plottable || asciiUpper(l.name) == "DEFPOINTS";
  });
  DisplayList list;
  if (hidden) {
    Drawing printed = d;
    for (Layer& l : printed.layers)
      if (!l.plottable || asciiUpper(l.name) == "DEFPOINTS") l.on = false;
    list = buildDisplayList(printed);
  } else {
    list = buildDisplayList(d);
  }
  PlotPage page = layOutPage(list, options);
  if (list.omittedEntities > 0)
    report.notes.push_back("大きすぎる図面のため、図形 " + std::to_string(list.omittedEntities) +
                           " 個の一部を印刷していません");

  std::string fontPath = options.fontPath.empty() ? findJapaneseFont() : options.fontPath;
  std::optional<TrueTypeFont> font;
  if (!fontPath.empty()) font = TrueTypeFont::load(fontPath);
  if (!font && !list.texts.empty()) {
    std::string which = fontPath.empty() ? "日本語フォント" : "日本語フォント " + fontPath;
    report.notes.push_back(
        which + " を読めません。" +
        (format == PlotFormat::Pdf
             ? "文字は標準フォント (Helvetica) で書き、日本語の文字は ? になります"
             : "文字は印刷していません"));
  }
  const TrueTypeFont* f = font ? &*font : nullptr;
  if (format == PlotFormat::Png) {
    writePngOfPage(list, page, options.colour, f, path, report);
    return report;
  }
  std::string pdf = pdfOfPage(list, page, options.colour, f, report);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
  if (out) out.close();
  if (!out) throw PlotError(path + " に書き込めません");
  return report;
}

}  // namespace qarn::cad::sim
