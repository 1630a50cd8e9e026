// The sheet as a PDF: one page, the lines as strokes in millimetres, arrowheads filled, texts as
// text in the Japanese TrueType font embedded (only the glyphs the page uses, compressed) with a
// map back to Unicode, so that a reader finds and copies the texts.
#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "cad/sim/plot.h"
#include "cad/sim/truetype_font.h"

namespace qarn::cad::sim {

namespace {

constexpr double kPointsPerMm = 72 / 25.4;
constexpr double kPenWidth = 0.18;  // mm: the thin pen of a plotted sheet

// A length in mm with two decimals, as short as it reads; the content of a large drawing is
// millions of these, so no stream formatting.
void num(std::string& out, double v) {
  long long n = std::llround(std::clamp(v, -1e9, 1e9) * 100);
  if (n < 0) {
    out += '-';
    n = -n;
  }
  char buf[24];
  auto end = std::to_chars(buf, buf + sizeof buf, n / 100).ptr;
  out.append(buf, end);
  int frac = static_cast<int>(n % 100);
  if (frac) {
    out += '.';
    out += static_cast<char>('0' + frac / 10);
    if (frac % 10) out += static_cast<char>('0' + frac % 10);
  }
}

void colour(std::string& out, std::uint32_t rgb, const char* op) {
  for (int shift : {16, 8, 0}) {
    num(out, (rgb >> shift & 0xFF) / 255.0);
    out += ' ';
  }
  out += op;
  out += '\n';
}

const char* dashOf(LineStyle s) {
  switch (s) {
    case LineStyle::Hidden:
      return "[3 1.5] 0 d\n";
    case LineStyle::Phantom:
      return "[12 1.5 3 1.5 3 1.5] 0 d\n";
    case LineStyle::Dashed:
      return "[6 1.5] 0 d\n";
    default:
      return "[] 0 d\n";
  }
}

std::string deflated(const std::string& s, int level) {
  uLongf size = compressBound(static_cast<uLong>(s.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(s.data()), static_cast<uLong>(s.size()),
                level) != Z_OK)
    throw PlotError("PDF の圧縮に失敗しました");
  out.resize(size);
  return out;
}

class PdfFile {
 public:
  int add(const std::string& body) {
    objects_.push_back(body);
    return static_cast<int>(objects_.size());
  }
  int addStream(const std::string& dict, const std::string& data) {
    return add("<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
               "\nendstream");
  }
  void set(int id, const std::string& body) { objects_[id - 1] = body; }
  std::string bytes() const {
    std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects_.size(); ++i) {
      offsets.push_back(out.size());
      out += std::to_string(i + 1) + " 0 obj\n" + objects_[i] + "\nendobj\n";
    }
    std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects_.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t o : offsets) {
      char line[24];
      std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
      out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects_.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
  }

 private:
  std::vector<std::string> objects_;
};

// Whether a box in sheet mm misses the printable area.
bool outside(const PlotPage& p, double x0, double y0, double x1, double y1) {
  return std::max(x0, x1) < p.left || std::min(x0, x1) > p.right || std::max(y0, y1) < p.bottom ||
         std::min(y0, y1) > p.top;
}

std::string hex4(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%04X", v & 0xFFFF);
  return b;
}

std::string toUnicodeCMap(const std::map<std::uint16_t, char32_t>& chars) {
  std::string s =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  std::vector<std::pair<std::uint16_t, char32_t>> all(chars.begin(), chars.end());
  for (std::size_t i = 0; i < all.size(); i += 100) {
    std::size_t n = std::min<std::size_t>(100, all.size() - i);
    s += std::to_string(n) + " beginbfchar\n";
    for (std::size_t k = i; k < i + n; ++k) {
      char32_t c = all[k].second;
      std::string u = c < 0x10000 ? hex4(c)
                                  : hex4(0xD800 + ((c - 0x10000) >> 10)) +
                                        hex4(0xDC00 + ((c - 0x10000) & 0x3FF));
      s += "<" + hex4(all[k].first) + "> <" + u + ">\n";
    }
    s += "endbfchar\n";
  }
  return s + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

}  // namespace

std::string pdfOfPage(const DisplayList& list, const PlotPage& page, bool colourOn,
                      const TrueTypeFont* font, PlotReport& report) {
  std::string c;
  c.reserve(list.lineCount() * 24 + 4096);
  // Millimetres from the sheet's corner, the thin pen, clipped to the printable area.
  num(c, kPointsPerMm);
  c += " 0 0 ";
  num(c, kPointsPerMm);
  c += " 0 0 cm\n1 J 1 j ";
  num(c, kPenWidth);
  c += " w\n";
  for (double v : {page.left, page.bottom, page.right - page.left, page.top - page.bottom}) {
    num(c, v);
    c += ' ';
  }
  c += "re W n\n";

  for (const Batch& b : list.batches) {
    if (b.lines.empty() && b.triangles.empty()) continue;
    std::uint32_t rgb = printedColour(b.style.rgb, colourOn);
    colour(c, rgb, "RG");
    colour(c, rgb, "rg");
    c += dashOf(b.style.line);
    // A polyline's chords follow on: one path, a move only where a line does not go on.
    double lastX = NAN, lastY = NAN;
    std::size_t inPath = 0;
    for (const ShownLine& l : b.lines) {
      double x0 = page.x(l.x0), y0 = page.y(l.y0), x1 = page.x(l.x1), y1 = page.y(l.y1);
      if (outside(page, x0, y0, x1, y1)) continue;
      if (x0 != lastX || y0 != lastY) {
        num(c, x0);
        c += ' ';
        num(c, y0);
        c += " m ";
      }
      num(c, x1);
      c += ' ';
      num(c, y1);
      c += " l\n";
      lastX = x1, lastY = y1;
      ++report.lines;
      if (++inPath == 2000) {  // readers stroke long paths slowly
        c += "S\n";
        inPath = 0;
        lastX = NAN;
      }
    }
    if (inPath) c += "S\n";
    for (const ShownTriangle& t : b.triangles) {
      double xs[3] = {page.x(t.a.x), page.x(t.b.x), page.x(t.c.x)};
      double ys[3] = {page.y(t.a.y), page.y(t.b.y), page.y(t.c.y)};
      if (outside(page, std::min({xs[0], xs[1], xs[2]}), std::min({ys[0], ys[1], ys[2]}),
                  std::max({xs[0], xs[1], xs[2]}), std::max({ys[0], ys[1], ys[2]})))
        continue;
      for (int k = 0; k < 3; ++k) {
        num(c, xs[k]);
        c += ' ';
        num(c, ys[k]);
        c += k == 0 ? " m " : " l ";
      }
      c += "f\n";
    }
  }

  std::set<std::uint16_t> used;
  std::map<std::uint16_t, char32_t> unicodeOf;
  std::uint32_t textColour = ~0u;
  for (const ShownText& t : list.texts) {
    PrintedText p = printedText(t, page, font);
    if (p.chars.empty() || p.em <= 0) continue;
    double w = 0;
    for (double a : p.advances)
      w += a;
    w *= p.em * p.widthFactor;
    double ex = p.x + w * p.cos, ey = p.y + w * p.sin;
    double ux = -p.em * p.sin, uy = p.em * p.cos;
    if (outside(page, std::min({p.x, ex, p.x + ux, ex + ux}),
                std::min({p.y, ey, p.y + uy, ey + uy}), std::max({p.x, ex, p.x + ux, ex + ux}),
                std::max({p.y, ey, p.y + uy, ey + uy})))
      continue;
    std::uint32_t rgb = printedColour(t.style.rgb, colourOn);
    if (rgb != textColour) colour(c, textColour = rgb, "rg");
    c += "BT /F1 1 Tf ";
    for (double v : {p.em * p.widthFactor * p.cos, p.em * p.widthFactor * p.sin, -p.em * p.sin,
                     p.em * p.cos}) {
      // Fixed point: a PDF number has no exponent.
      char buf[48];
      auto end = std::to_chars(buf, buf + sizeof buf, std::clamp(v, -1e9, 1e9),
                               std::chars_format::fixed, 5)
                     .ptr;
      while (end[-1] == '0')
        --end;
      if (end[-1] == '.') --end;
      c.append(buf, end);
      c += ' ';
    }
    num(c, p.x);
    c += ' ';
    num(c, p.y);
    c += " Tm ";
    if (font) {
      c += '<';
      for (std::size_t i = 0; i < p.glyphs.size(); ++i) {
        c += hex4(p.glyphs[i]);
        used.insert(p.glyphs[i]);
        if (p.glyphs[i]) unicodeOf.emplace(p.glyphs[i], p.chars[i]);
      }
      c += "> Tj ET\n";
    } else {
      c += '(';
      for (char32_t ch : p.chars) {
        if (ch == '(' || ch == ')' || ch == '\\') c += '\\';
        if (ch < 0x20 || ch > 0xFF || (ch >= 0x7F && ch < 0xA0)) ch = '?';
        if (ch < 0x80) {
          c += static_cast<char>(ch);
        } else {
          char oct[8];
          std::snprintf(oct, sizeof oct, "\\%03o", static_cast<unsigned>(ch));
          c += oct;
        }
      }
      c += ") Tj ET\n";
    }
    ++report.texts;
  }

  PdfFile pdf;
  pdf.add("<< /Type /Catalog /Pages 2 0 R >>");
  pdf.add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  std::string box = "[0 0 ";
  num(box, page.width * kPointsPerMm);
  box += ' ';
  num(box, page.height * kPointsPerMm);
  box += ']';
  pdf.add("<< /Type /Page /Parent 2 0 R /MediaBox " + box +
          " /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>");
  pdf.addStream("/Filter /FlateDecode", deflated(c, 1));
  if (!font) {
    pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    return pdf.bytes();
  }
  // A subset's name starts with six capitals of its own.
  std::string name = "QARNPL+" + font->name();
  double em = 1000.0 / font->unitsPerEm();
  std::string widths = "[";
  for (std::uint16_t g : used)
    widths += std::to_string(g) + " [" + std::to_string(std::lround(font->advance(g) * em)) + "] ";
  widths += "]";
  pdf.add("<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
          " /Encoding /Identity-H /DescendantFonts [6 0 R] /ToUnicode 9 0 R >>");
  pdf.add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name +
          " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
          " /FontDescriptor 7 0 R /CIDToGIDMap /Identity /DW 1000 /W " +
          widths + " >>");
  long ascent = std::lround(font->ascent() * em), descent = std::lround(font->descent() * em);
  pdf.add("<< /Type /FontDescriptor /FontName /" + name + " /Flags 4 /FontBBox [0 " +
          std::to_string(descent) + " 1000 " + std::to_string(ascent) +
          "] /ItalicAngle 0 /Ascent " + std::to_string(ascent) + " /Descent " +
          std::to_string(descent) + " /CapHeight 720 /StemV 80 /FontFile2 8 0 R >>");
  std::string file = font->subset(used);
  pdf.addStream("/Filter /FlateDecode /Length1 " + std::to_string(file.size()),
                deflated(file, Z_DEFAULT_COMPRESSION));
  pdf.addStream("", toUnicodeCMap(unicodeOf));
  return pdf.bytes();
}

}  // namespace qarn::cad::sim
