// The sheet as a PNG picture at 150 dots per inch: lines one dot wide (dashed as the PDF dashes
// them), arrowheads filled, texts filled from their glyph outlines, on white.
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "cad/sim/plot.h"
#include "cad/sim/truetype_font.h"

namespace qarn::cad::sim {

namespace {

constexpr double kDotsPerMm = 150 / 25.4;

struct Canvas {
  int width, height;
  int x0, y0, x1, y1;  // the printable area, in dots: [x0, x1) × [y0, y1)
  std::vector<std::uint8_t> rgb;
  std::uint32_t ink = 0;

  void dot(int x, int y) {
    if (x < x0 || y < y0 || x >= x1 || y >= y1) return;
    std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    p[0] = ink >> 16 & 0xFF, p[1] = ink >> 8 & 0xFF, p[2] = ink & 0xFF;
  }

  // A segment in dots, cut to the printable area first (Liang–Barsky), then stepped.
  void line(double ax, double ay, double bx, double by) {
    double t0 = 0, t1 = 1, dx = bx - ax, dy = by - ay;
    auto cut = [&](double p, double q) {
      if (p == 0) return q >= 0;
      double r = q / p;
      if (p < 0) {
        if (r > t1) return false;
        t0 = std::max(t0, r);
      } else {
        if (r < t0) return false;
        t1 = std::min(t1, r);
      }
      return true;
    };
    if (!cut(-dx, ax - x0) || !cut(dx, x1 - 1 - ax) || !cut(-dy, ay - y0) || !cut(dy, y1 - 1 - ay))
      return;
    double sx = ax + t0 * dx, sy = ay + t0 * dy, ex = ax + t1 * dx, ey = ay + t1 * dy;
    int steps = static_cast<int>(std::ceil(std::max(std::abs(ex - sx), std::abs(ey - sy))));
    if (steps == 0) {
      dot(static_cast<int>(std::lround(sx)), static_cast<int>(std::lround(sy)));
      return;
    }
    double ix = (ex - sx) / steps, iy = (ey - sy) / steps;
    for (int i = 0; i <= steps; ++i)
      dot(static_cast<int>(std::lround(sx + ix * i)), static_cast<int>(std::lround(sy + iy * i)));
  }

  // Closed contours in dots filled by the non-zero winding rule, sampled at dot centres.
  void fill(const std::vector<std::vector<std::array<double, 2>>>& contours) {
    double top = 1e300, bottom = -1e300;
    for (const auto& c : contours)
      for (const auto& p : c)
        top = std::min(top, p[1]), bottom = std::max(bottom, p[1]);
    int ya = std::max(y0, static_cast<int>(std::floor(top))),
        yb = std::min(y1 - 1, static_cast<int>(std::ceil(bottom)));
    std::vector<std::pair<double, int>> crossings;
    for (int y = ya; y <= yb; ++y) {
      double cy = y + 0.5;
      crossings.clear();
      for (const auto& c : contours)
        for (std::size_t i = 0; i < c.size(); ++i) {
          const auto& a = c[i];
          const auto& b = c[(i + 1) % c.size()];
          if ((a[1] <= cy) == (b[1] <= cy)) continue;
          double x = a[0] + (cy - a[1]) / (b[1] - a[1]) * (b[0] - a[0]);
          crossings.emplace_back(x, a[1] < b[1] ? 1 : -1);
        }
      std::sort(crossings.begin(), crossings.end());
      int winding = 0;
      for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].second;
        if (winding == 0) continue;
        int from = static_cast<int>(std::ceil(crossings[i].first - 0.5));
        int to = static_cast<int>(std::floor(crossings[i + 1].first - 0.5));
        for (int x = std::max(from, x0); x <= std::min(to, x1 - 1); ++x)
          dot(x, y);
      }
    }
  }
};

// Dash and gap lengths in sheet mm, as the PDF strokes them.
std::vector<double> dashesOf(LineStyle s) {
  switch (s) {
    case LineStyle::Hidden:
      return {3, 1.5};
    case LineStyle::Phantom:
      return {12, 1.5, 3, 1.5, 3, 1.5};
    case LineStyle::Dashed:
      return {6, 1.5};
    default:
      return {};
  }
}

}  // namespace

void writePngOfPage(const DisplayList& list, const PlotPage& page, bool colourOn,
                    const TrueTypeFont* font, const std::string& path, PlotReport& report) {
  Canvas cv;
  cv.width = static_cast<int>(std::lround(page.width * kDotsPerMm));
  cv.height = static_cast<int>(std::lround(page.height * kDotsPerMm));
  cv.x0 = static_cast<int>(std::lround(page.left * kDotsPerMm));
  cv.x1 = static_cast<int>(std::lround(page.right * kDotsPerMm));
  cv.y0 = static_cast<int>(std::lround((page.height - page.top) * kDotsPerMm));
  cv.y1 = static_cast<int>(std::lround((page.height - page.bottom) * kDotsPerMm));
  cv.rgb.assign(static_cast<std::size_t>(cv.width) * cv.height * 3, 0xFF);
  auto dx = [&](double mm) { return mm * kDotsPerMm; };
  auto dy = [&](double mm) { return (page.height - mm) * kDotsPerMm; };

  for (const Batch& b : list.batches) {
    cv.ink = printedColour(b.style.rgb, colourOn);
    std::vector<double> dashes = dashesOf(b.style.line);
    double phase = 0, lastX = NAN, lastY = NAN;
    for (const ShownLine& l : b.lines) {
      double ax = page.x(l.x0), ay = page.y(l.y0), bx = page.x(l.x1), by = page.y(l.y1);
      if (std::max(ax, bx) < page.left || std::min(ax, bx) > page.right ||
          std::max(ay, by) < page.bottom || std::min(ay, by) > page.top)
        continue;
      ++report.lines;
      if (dashes.empty()) {
        cv.line(dx(ax), dy(ay), dx(bx), dy(by));
        continue;
      }
      // The pattern goes on along a polyline's chords and starts afresh on a new line.
      if (ax != lastX || ay != lastY) phase = 0;
      lastX = bx, lastY = by;
      double len = std::hypot(bx - ax, by - ay), at = 0, period = 0;
      for (double d : dashes)
        period += d;
      if (len / period > 10000) {  // finer than the dots: drawn whole
        cv.line(dx(ax), dy(ay), dx(bx), dy(by));
        continue;
      }
      while (at < len) {
        double p = std::fmod(phase + at, period);
        std::size_t k = 0;
        while (k + 1 < dashes.size() && p >= dashes[k])
          p -= dashes[k++];
        double step = std::min(len - at, dashes[k] - p);
        if (k % 2 == 0 && len > 0) {
          double u = at / len, v = (at + step) / len;
          cv.line(dx(ax + (bx - ax) * u), dy(ay + (by - ay) * u), dx(ax + (bx - ax) * v),
                  dy(ay + (by - ay) * v));
        }
        at += std::max(step, 1e-9);
      }
      phase = std::fmod(phase + len, period);
    }
    for (const ShownTriangle& t : b.triangles)
      cv.fill({{{dx(page.x(t.a.x)), dy(page.y(t.a.y))},
                {dx(page.x(t.b.x)), dy(page.y(t.b.y))},
                {dx(page.x(t.c.x)), dy(page.y(t.c.y))}}});
  }

  std::unordered_map<std::uint16_t, std::vector<std::vector<TrueTypeFont::Point>>> outlines;
  for (const ShownText& t : list.texts) {
    if (!font) break;
    PrintedText p = printedText(t, page, font);
    if (p.chars.empty() || p.em * kDotsPerMm < 1) continue;  // smaller than a dot
    cv.ink = printedColour(t.style.rgb, colourOn);
    double pen = 0, unit = p.em / font->unitsPerEm();
    bool shown = false;
    for (std::size_t i = 0; i < p.glyphs.size(); ++i) {
      double gx = p.x + pen * p.em * p.widthFactor * p.cos,
             gy = p.y + pen * p.em * p.widthFactor * p.sin;
      pen += p.advances[i];
      if (gx + p.em * 2 < page.left || gx - p.em * 2 > page.right || gy + p.em * 2 < page.bottom ||
          gy - p.em * 2 > page.top)
        continue;
      auto it = outlines.find(p.glyphs[i]);
      if (it == outlines.end())
        it = outlines.emplace(p.glyphs[i], font->outline(p.glyphs[i])).first;
      std::vector<std::vector<std::array<double, 2>>> contours;
      for (const auto& c : it->second) {
        auto& out = contours.emplace_back();
        for (const auto& q : c) {
          double u = q.x * unit * p.widthFactor, v = q.y * unit;
          out.push_back({dx(gx + u * p.cos - v * p.sin), dy(gy + u * p.sin + v * p.cos)});
        }
      }
      cv.fill(contours);
      shown = true;
    }
    if (shown) ++report.texts;
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(cv.width);
  image.height = static_cast<png_uint_32>(cv.height);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, cv.rgb.data(), 0, nullptr)) {
    std::string why = image.message;
    png_image_free(&image);
    throw PlotError(path + " に書き込めません (" + why + ")");
  }
}

}  // namespace qarn::cad::sim
