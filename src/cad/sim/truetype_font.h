#pragma once
// A TrueType font read for printing: which glyph draws a character, how far it advances, its
// outline as polygons (for a raster page), and a copy holding only the glyphs a page uses (for
// a PDF page). Reads .ttf files and the first font of a .ttc collection.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qarn::cad::sim {

class TrueTypeFont {
 public:
  // The font in the file; nothing when the file is not a TrueType font with glyph outlines.
  static std::optional<TrueTypeFont> load(const std::string& path);

  std::uint16_t glyphOf(char32_t c) const;  // 0 (the missing glyph) when the font lacks it
  int advance(std::uint16_t glyph) const;   // in font units
  int unitsPerEm() const { return unitsPerEm_; }
  int ascent() const { return ascent_; }
  int descent() const { return descent_; }  // negative below the baseline
  const std::string& name() const { return name_; }

  struct Point {
    double x, y;
  };
  // The glyph's closed contours, curves cut into short chords, in font units.
  std::vector<std::vector<Point>> outline(std::uint16_t glyph) const;

  // The font with every glyph but `used` (and the missing glyph, and the parts of composite
  // ones) emptied: the same glyph numbers, a fraction of the size.
  std::string subset(const std::set<std::uint16_t>& used) const;

 private:
  std::string_view table(const char* tag) const;
  std::string_view glyphData(std::uint16_t glyph) const;
  void outlineInto(std::uint16_t glyph, double dx, double dy, double m[4], int depth,
                   std::vector<std::vector<Point>>& out) const;

  std::string data_;
  std::unordered_map<std::string, std::pair<std::uint32_t, std::uint32_t>> tables_;
  std::vector<std::uint32_t> loca_;  // glyph start offsets into glyf, one more than glyphs
  std::vector<std::uint16_t> advances_;
  std::vector<std::uint16_t> bmp_;  // glyph per BMP code point
  std::unordered_map<char32_t, std::uint16_t> beyondBmp_;
  int unitsPerEm_ = 1000, ascent_ = 880, descent_ = -120;
  std::string name_;
};

// The Japanese font a page's texts are printed in: IPA Gothic where installed, else another
// Gothic of the usual places, else a Japanese font of Windows. Empty when none is found.
std::string findJapaneseFont();

}  // namespace qarn::cad::sim
