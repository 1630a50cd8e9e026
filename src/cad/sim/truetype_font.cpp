#include "cad/sim/truetype_font.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace qarn::cad::sim {

namespace {

std::uint32_t u16(std::string_view s, std::size_t at) {
  if (at + 2 > s.size()) return 0;
  return static_cast<std::uint8_t>(s[at]) << 8 | static_cast<std::uint8_t>(s[at + 1]);
}
std::int32_t i16(std::string_view s, std::size_t at) {
  return static_cast<std::int16_t>(u16(s, at));
}
std::uint32_t u32(std::string_view s, std::size_t at) {
  return u16(s, at) << 16 | u16(s, at + 2);
}
void put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v >> 8 & 0xFF);
  s += static_cast<char>(v & 0xFF);
}
void put32(std::string& s, std::uint32_t v) {
  put16(s, v >> 16);
  put16(s, v & 0xFFFF);
}

// Component flags of a composite glyph.
constexpr unsigned kArgsAreWords = 0x1, kHaveScale = 0x8, kMoreComponents = 0x20,
                   kHaveXYScale = 0x40, kHaveTwoByTwo = 0x80;

// A quadratic curve's chords: enough for print sizes without thousands of points per glyph.
constexpr int kChordsPerCurve = 4;

}  // namespace

std::string_view TrueTypeFont::table(const char* tag) const {
  auto it = tables_.find(tag);
  if (it == tables_.end()) return {};
  return std::string_view(data_).substr(it->second.first, it->second.second);
}

std::optional<TrueTypeFont> TrueTypeFont::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  TrueTypeFont f;
  f.data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::string_view d = f.data_;
  std::size_t base = 0;
  if (d.substr(0, 4) == "ttcf") base = u32(d, 12);  // the collection's first font
  std::uint32_t version = u32(d, base);
  if (version != 0x00010000 && d.substr(base, 4) != "true") return std::nullopt;
  std::size_t tables = u16(d, base + 4);
  for (std::size_t i = 0; i < tables; ++i) {
    std::size_t rec = base + 12 + 16 * i;
    if (rec + 16 > d.size()) return std::nullopt;
    std::uint32_t off = u32(d, rec + 8), len = u32(d, rec + 12);
    if (off > d.size() || len > d.size() - off) return std::nullopt;
    f.tables_[std::string(d.substr(rec, 4))] = {off, len};
  }
  for (const char* t : {"head", "hhea", "hmtx", "maxp", "loca", "glyf", "cmap"})
    if (f.table(t).empty()) return std::nullopt;

  std::string_view head = f.table("head"), hhea = f.table("hhea"), maxp = f.table("maxp");
  f.unitsPerEm_ = std::max<int>(16, u16(head, 18));
  bool longLoca = i16(head, 50) == 1;
  f.ascent_ = i16(hhea, 4);
  f.descent_ = i16(hhea, 6);
  std::size_t glyphs = u16(maxp, 4), metrics = u16(hhea, 34);
  if (metrics == 0 || glyphs == 0) return std::nullopt;
  std::string_view hmtx = f.table("hmtx"), loca = f.table("loca");
  for (std::size_t g = 0; g < glyphs; ++g)
    f.advances_.push_back(static_cast<std::uint16_t>(u16(hmtx, 4 * std::min(g, metrics - 1))));
  for (std::size_t g = 0; g <= glyphs; ++g)
    f.loca_.push_back(longLoca ? u32(loca, 4 * g) : 2 * u16(loca, 2 * g));

  // Characters to glyphs: the Unicode subtable, all planes (format 12) where the font has one.
  std::string_view cmap = f.table("cmap");
  std::size_t bmpAt = 0, fullAt = 0;
  for (std::size_t i = 0, n = u16(cmap, 2); i < n; ++i) {
    std::uint32_t platform = u16(cmap, 4 + 8 * i), encoding = u16(cmap, 6 + 8 * i);
    std::size_t at = u32(cmap, 8 + 8 * i);
    std::uint32_t format = u16(cmap, at);
    if (format == 12 && (platform == 0 || (platform == 3 && encoding == 10))) fullAt = at;
    if (format == 4 && (platform == 0 || (platform == 3 && encoding == 1))) bmpAt = at;
  }
  f.bmp_.assign(0x10000, 0);
  if (fullAt) {
    for (std::size_t i = 0, n = u32(cmap, fullAt + 12); i < n && i < 0x110000; ++i) {
      std::size_t at = fullAt + 16 + 12 * i;
      std::uint32_t first = u32(cmap, at),
                    last = std::min<std::uint32_t>(u32(cmap, at + 4), 0x10FFFF);
      for (std::uint32_t c = first, g = u32(cmap, at + 8); c <= last; ++c, ++g) {
        if (c < 0x10000)
          f.bmp_[c] = static_cast<std::uint16_t>(g);
        else
          f.beyondBmp_[c] = static_cast<std::uint16_t>(g);
      }
    }
  } else if (bmpAt) {
    std::size_t segs = u16(cmap, bmpAt + 6) / 2;
    std::size_t ends = bmpAt + 14, starts = ends + 2 * segs + 2, deltas = starts + 2 * segs,
                ranges = deltas + 2 * segs;
    for (std::size_t s = 0; s < segs; ++s) {
      std::uint32_t end = u16(cmap, ends + 2 * s), start = u16(cmap, starts + 2 * s);
      std::uint32_t delta = u16(cmap, deltas + 2 * s), range = u16(cmap, ranges + 2 * s);
      for (std::uint32_t c = start; c <= end && c < 0xFFFF; ++c) {
        std::uint32_t g = c + delta;
        if (range) {
          g = u16(cmap, ranges + 2 * s + range + 2 * (c - start));
          if (g) g += delta;
        }
        f.bmp_[c] = static_cast<std::uint16_t>(g & 0xFFFF);
      }
    }
  } else {
    return std::nullopt;
  }

  // The PostScript name, as a PDF names the font.
  std::string_view name = f.table("name");
  std::size_t strings = u16(name, 4);
  for (std::size_t i = 0, n = u16(name, 2); i < n && f.name_.empty(); ++i) {
    std::size_t rec = 6 + 12 * i;
    if (u16(name, rec + 6) != 6) continue;
    std::uint32_t platform = u16(name, rec), len = u16(name, rec + 8), off = u16(name, rec + 10);
    std::string_view s = name.substr(std::min(name.size(), strings + off), len);
    std::string out;
    for (std::size_t k = platform == 3 ? 1 : 0; k < s.size(); k += platform == 3 ? 2 : 1)
      if (s[k] > 0x20 && s[k] < 0x7F && s[k] != '/' && s[k] != '(' && s[k] != ')') out += s[k];
    f.name_ = out;
  }
  if (f.name_.empty()) f.name_ = "JapaneseFont";
  return f;
}

std::uint16_t TrueTypeFont::glyphOf(char32_t c) const {
  if (c < 0x10000) return c < bmp_.size() ? bmp_[c] : 0;
  auto it = beyondBmp_.find(c);
  return it == beyondBmp_.end() ? 0 : it->second;
}

int TrueTypeFont::advance(std::uint16_t glyph) const {
  return glyph < advances_.size() ? advances_[glyph] : unitsPerEm_ / 2;
}

std::string_view TrueTypeFont::glyphData(std::uint16_t glyph) const {
  if (glyph + 1u >= loca_.size()) return {};
  std::string_view glyf = table("glyf");
  std::uint32_t a = loca_[glyph], b = loca_[glyph + 1];
  if (b <= a || b > glyf.size()) return {};
  return glyf.substr(a, b - a);
}

std::vector<std::vector<TrueTypeFont::Point>> TrueTypeFont::outline(std::uint16_t glyph) const {
  std::vector<std::vector<Point>> out;
  double identity[4] = {1, 0, 0, 1};
  outlineInto(glyph, 0, 0, identity, 0, out);
  return out;
}

void TrueTypeFont::outlineInto(std::uint16_t glyph, double dx, double dy, double m[4], int depth,
                               std::vector<std::vector<Point>>& out) const {
  std::string_view g = glyphData(glyph);
  if (g.size() < 10 || depth > 8) return;
  auto place = [&](double x, double y) {
    return Point{m[0] * x + m[2] * y + dx, m[1] * x + m[3] * y + dy};
  };
  int contours = i16(g, 0);
  if (contours < 0) {
    std::size_t at = 10;
    unsigned flags;
    do {
      flags = u16(g, at);
      std::uint16_t part = static_cast<std::uint16_t>(u16(g, at + 2));
      at += 4;
      double ax, ay;
      if (flags & kArgsAreWords) {
        ax = i16(g, at), ay = i16(g, at + 2);
        at += 4;
      } else {
        ax = static_cast<std::int8_t>(g[std::min(at, g.size() - 1)]);
        ay = static_cast<std::int8_t>(g[std::min(at + 1, g.size() - 1)]);
        at += 2;
      }
      double t[4] = {1, 0, 0, 1};
      if (flags & kHaveScale) {
        t[0] = t[3] = i16(g, at) / 16384.0;
        at += 2;
      } else if (flags & kHaveXYScale) {
        t[0] = i16(g, at) / 16384.0, t[3] = i16(g, at + 2) / 16384.0;
        at += 4;
      } else if (flags & kHaveTwoByTwo) {
        for (int k = 0; k < 4; ++k)
          t[k] = i16(g, at + 2 * k) / 16384.0;
        at += 8;
      }
      double mt[4] = {m[0] * t[0] + m[2] * t[1], m[1] * t[0] + m[3] * t[1],
                      m[0] * t[2] + m[2] * t[3], m[1] * t[2] + m[3] * t[3]};
      Point o = place(ax, ay);
      outlineInto(part, o.x, o.y, mt, depth + 1, out);
    } while ((flags & kMoreComponents) && at < g.size());
    return;
  }
  std::vector<int> ends;
  for (int c = 0; c < contours; ++c)
    ends.push_back(static_cast<int>(u16(g, 10 + 2 * c)));
  if (ends.empty()) return;
  std::size_t n = static_cast<std::size_t>(ends.back()) + 1;
  if (n > 0xFFFF) return;
  std::size_t at = 10 + 2 * contours;
  at += 2 + u16(g, at);  // the hinting instructions
  std::vector<std::uint8_t> flags;
  while (flags.size() < n && at < g.size()) {
    std::uint8_t f = static_cast<std::uint8_t>(g[at++]);
    flags.push_back(f);
    if (f & 8 && at < g.size()) {
      for (int r = static_cast<std::uint8_t>(g[at++]); r > 0 && flags.size() < n; --r)
        flags.push_back(f);
    }
  }
  if (flags.size() < n) return;
  std::vector<double> xs(n), ys(n);
  auto coords = [&](std::vector<double>& v, std::uint8_t shortBit, std::uint8_t sameBit) {
    double c = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (flags[i] & shortBit) {
        double d = at < g.size() ? static_cast<std::uint8_t>(g[at]) : 0;
        ++at;
        c += flags[i] & sameBit ? d : -d;
      } else if (!(flags[i] & sameBit)) {
        c += i16(g, at);
        at += 2;
      }
      v[i] = c;
    }
  };
  coords(xs, 2, 16);
  coords(ys, 4, 32);
  std::size_t first = 0;
  for (int end : ends) {
    std::size_t last = static_cast<std::size_t>(end);
    if (last < first || last >= n) break;
    std::vector<Point> poly;
    std::size_t count = last - first + 1;
    auto on = [&](std::size_t k) { return (flags[first + k % count] & 1) != 0; };
    auto pt = [&](std::size_t k) { return Point{xs[first + k % count], ys[first + k % count]}; };
    // Start on an on-curve point, or midway between two off-curve ones.
    std::size_t s = 0;
    while (s < count && !on(s))
      ++s;
    Point start = s < count ? pt(s) : Point{(pt(0).x + pt(1).x) / 2, (pt(0).y + pt(1).y) / 2};
    if (s == count) s = 0;
    poly.push_back(place(start.x, start.y));
    Point prev = start;
    for (std::size_t k = 1; k <= count; ++k) {
      std::size_t i = s + k;
      Point p = pt(i);
      if (on(i)) {
        poly.push_back(place(p.x, p.y));
        prev = p;
        continue;
      }
      Point next = pt(i + 1);
      Point end = on(i + 1) ? next : Point{(p.x + next.x) / 2, (p.y + next.y) / 2};
      for (int c = 1; c <= kChordsPerCurve; ++c) {
        double t = static_cast<double>(c) / kChordsPerCurve, u = 1 - t;
        poly.push_back(place(u * u * prev.x + 2 * u * t * p.x + t * t * end.x,
                             u * u * prev.y + 2 * u * t * p.y + t * t * end.y));
      }
      prev = end;
      if (on(i + 1)) ++k;  // the curve's end is that on-curve point
    }
    out.push_back(std::move(poly));
    first = last + 1;
  }
}

std::string TrueTypeFont::subset(const std::set<std::uint16_t>& used) const {
  // The parts of composite glyphs are kept with them.
  std::set<std::uint16_t> keep(used);
  keep.insert(0);
  std::vector<std::uint16_t> todo(keep.begin(), keep.end());
  while (!todo.empty()) {
    std::string_view g = glyphData(todo.back());
    todo.pop_back();
    if (g.size() < 10 || i16(g, 0) >= 0) continue;
    std::size_t at = 10;
    unsigned flags;
    do {
      flags = u16(g, at);
      auto part = static_cast<std::uint16_t>(u16(g, at + 2));
      if (keep.insert(part).second) todo.push_back(part);
      at += 4 + (flags & kArgsAreWords ? 4 : 2) +
            (flags & kHaveScale      ? 2
             : flags & kHaveXYScale  ? 4
             : flags & kHaveTwoByTwo ? 8
                                     : 0);
    } while ((flags & kMoreComponents) && at < g.size());
  }
  std::string glyf, loca;
  for (std::size_t g = 0; g + 1 < loca_.size(); ++g) {
    put32(loca, static_cast<std::uint32_t>(glyf.size()));
    if (keep.count(static_cast<std::uint16_t>(g))) {
      glyf += glyphData(static_cast<std::uint16_t>(g));
      while (glyf.size() % 4)
        glyf += '\0';
    }
  }
  put32(loca, static_cast<std::uint32_t>(glyf.size()));
  std::string head(table("head"));
  if (head.size() >= 54) {
    head[8] = head[9] = head[10] = head[11] = 0;  // checkSumAdjustment: left to the reader
    head[50] = 0, head[51] = 1;                   // long offsets in loca
  }
  // What a PDF reader needs to draw the glyphs; the character map stays with the PDF.
  std::map<std::string, std::string> out{{"head", head},
                                         {"hhea", std::string(table("hhea"))},
                                         {"maxp", std::string(table("maxp"))},
                                         {"hmtx", std::string(table("hmtx"))},
                                         {"loca", loca},
                                         {"glyf", glyf}};
  for (const char* t : {"cvt ", "fpgm", "prep"})
    if (!table(t).empty()) out[t] = std::string(table(t));
  std::string file;
  put32(file, 0x00010000);
  std::uint32_t n = static_cast<std::uint32_t>(out.size()), pow = 1, log = 0;
  while (pow * 2 <= n)
    pow *= 2, ++log;
  put16(file, n);
  put16(file, pow * 16);
  put16(file, log);
  put16(file, n * 16 - pow * 16);
  std::uint32_t offset = 12 + 16 * n;
  std::string body;
  for (auto& [tag, data] : out) {
    std::uint32_t sum = 0;
    std::string padded = data;
    while (padded.size() % 4)
      padded += '\0';
    for (std::size_t i = 0; i < padded.size(); i += 4)
      sum += u32(padded, i);
    file += tag;
    put32(file, sum);
    put32(file, offset + static_cast<std::uint32_t>(body.size()));
    put32(file, static_cast<std::uint32_t>(data.size()));
    body += padded;
  }
  return file + body;
}

std::string findJapaneseFont() {
  const char* candidates[] = {
      "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
      "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
      "/usr/share/fonts/truetype/ipafont-gothic/ipag.ttf",
      "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf",
      "/usr/share/fonts/truetype/takao-gothic/TakaoGothic.ttf",
      "C:/Windows/Fonts/msgothic.ttc",
      "C:/Windows/Fonts/meiryo.ttc",
  };
  std::error_code ec;
  for (const char* c : candidates)
    if (std::filesystem::is_regular_file(c, ec)) return c;
  return {};
}

}  // namespace qarn::cad::sim
