#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../samples.h"
#include "library/dwg_preview.h"
#include "library/thumbnail.h"

namespace qarn::library {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = qarn::testing::samplesFolder("dwg");

std::string bytesOf(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A DIB of w x h pixels: header, palette, rows (bottom-up unless topDown) padded to 4 bytes.
std::string dib(int w, int h, int bits, bool topDown, const std::vector<std::uint32_t>& palette,
                const std::function<std::uint32_t(int, int)>& pixel) {
  std::string d(40, '\0');
  put32(d, 0, 40);
  put32(d, 4, static_cast<std::uint32_t>(w));
  put32(d, 8, static_cast<std::uint32_t>(topDown ? -h : h));
  d[12] = 1;
  d[14] = static_cast<char>(bits);
  put32(d, 32, static_cast<std::uint32_t>(palette.size()));
  for (std::uint32_t c : palette) {
    d += static_cast<char>(c & 0xFF);
    d += static_cast<char>((c >> 8) & 0xFF);
    d += static_cast<char>((c >> 16) & 0xFF);
    d += '\0';
  }
  std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
  for (int r = 0; r < h; ++r) {
    int y = topDown ? r : h - 1 - r;
    std::string row(stride, '\x7f');  // padding bytes that must be skipped
    for (int x = 0; x < w; ++x) {
      std::uint32_t v = pixel(x, y);
      if (bits == 8) {
        row[x] = static_cast<char>(v);
      } else {
        for (int k = 0; k < bits / 8; ++k)
          row[x * (bits / 8) + k] = static_cast<char>(k < 3 ? (v >> (8 * k)) & 0xFF : 0);
      }
    }
    d += row;
  }
  return d;
}

std::optional<Picture> decode(const std::string& d, int* bits = nullptr) {
  return decodeDib(reinterpret_cast<const std::uint8_t*>(d.data()), d.size(), bits, nullptr);
}

TEST(DwgPreview, EverySampleAsItsFactsSay) {
  QARN_NEEDS_SAMPLES("dwg");
  struct Fact {
    const char* file;
    int version;
    DwgPreview::Kind kind;
    int bits, width, height;
  };
  using K = DwgPreview::Kind;
  const Fact facts[] = {
      {"entities-2d.dwg", 1009, K::None, 0, 0, 0},
      {"example_r13.dwg", 1012, K::None, 0, 0, 0},
      {"v.dwg", 1014, K::Bmp, 8, 180, 116},
      {"R14.dwg", 1014, K::Bmp, 8, 512, 512},
      {"sample_2000.dwg", 1015, K::Bmp, 8, 180, 88},
      {"HatchG.dwg", 1018, K::Bmp, 8, 184, 113},
      {"Polygon.dwg", 1021, K::Bmp, 8, 256, 102},
      {"ATMOS-DC22S.dwg", 1021, K::Bmp, 32, 256, 160},
      {"gh209_1.dwg", 1024, K::Bmp, 8, 224, 140},
      {"Constraints.dwg", 1027, K::Png, 0, 591, 448},
      {"sample_2018.dwg", 1032, K::Png, 0, 597, 448},
      {"Point.dwg", 1032, K::None, 0, 0, 0},
      {"Leader.dwg", 1032, K::None, 0, 0, 0},
  };
  for (const Fact& f : facts) {
    std::string why;
    auto p = ReadDwgPreview((kSamples / f.file).string(), &why);
    ASSERT_TRUE(p) << f.file << ": " << why;
    EXPECT_EQ(p->version, f.version) << f.file;
    EXPECT_EQ(p->kind, f.kind) << f.file;
    EXPECT_EQ(p->bitDepth, f.bits) << f.file;
    EXPECT_EQ(p->picture.width, f.width) << f.file;
    EXPECT_EQ(p->picture.height, f.height) << f.file;
    auto same = readDwgPreview(bytesOf(kSamples / f.file));
    ASSERT_TRUE(same);
    EXPECT_EQ(same->picture.bgr, p->picture.bgr) << "from bytes as from the file: " << f.file;
  }
}

TEST(DwgPreview, DibsOfEveryDepthOrderAndPadding) {
  auto colour = [](int x, int y) { return static_cast<std::uint32_t>(0x102030 * (x + 1) + y); };
  // 8 bits: 3 wide, so each row has one padding byte; bottom-up.
  auto p8 = decode(dib(3, 2, 8, false, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF},
                       [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 4); }));
  ASSERT_TRUE(p8);
  EXPECT_EQ(p8->pixel(0, 0), 0x000000u);
  EXPECT_EQ(p8->pixel(1, 0), 0xFF0000u);
  EXPECT_EQ(p8->pixel(2, 1), 0x0000FFu);
  for (int bits : {24, 32})
    for (bool topDown : {false, true}) {
      int depth = 0;
      auto p = decode(dib(5, 3, bits, topDown, {}, colour), &depth);
      ASSERT_TRUE(p) << bits;
      EXPECT_EQ(depth, bits);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
          EXPECT_EQ(p->pixel(x, y), colour(x, y) & 0xFFFFFF) << bits << " " << x << "," << y;
    }
}

TEST(DwgPreview, DamagedFilesAreRefusedNeverReadPastTheirEnd) {
  QARN_NEEDS_SAMPLES("dwg");
  std::string v = bytesOf(kSamples / "v.dwg");
  ASSERT_GT(v.size(), 26000u);
  // Cut anywhere: before the seeker, in the table, in the picture.
  for (std::size_t cut : {3ul, 10ul, 4770ul, 4790ul, 4885ul, 20000ul, 4880ul + 21944 - 1}) {
    std::string why;
    EXPECT_FALSE(readDwgPreview(v.substr(0, cut), &why)) << cut;
    EXPECT_FALSE(why.empty()) << cut;
  }
  // A size pointing past the end; a start past the end; a seeker past the end.
  std::string bad = v;
  put32(bad, 4761 + 21 + 9 + 5, 0x7FFFFFFF);
  EXPECT_FALSE(readDwgPreview(bad));
  bad = v;
  put32(bad, 4761 + 21 + 9 + 1, 0xFFFFFFF0);
  EXPECT_FALSE(readDwgPreview(bad));
  bad = v;
  put32(bad, 13, 0xFFFFFF00);
  EXPECT_FALSE(readDwgPreview(bad));
  // A huge width is refused before anything is allocated.
  bad = v;
  put32(bad, 4880 + 4, 1000000);
  std::string why;
  EXPECT_FALSE(readDwgPreview(bad, &why));
  EXPECT_NE(why.find("size"), std::string::npos) << why;
  // No entries at all: nothing to show, read all the same.
  bad = v;
  bad[4761 + 20] = 0;
  auto none = readDwgPreview(bad);
  ASSERT_TRUE(none);
  EXPECT_EQ(none->kind, DwgPreview::Kind::None);
  EXPECT_FALSE(ReadDwgPreview((kSamples / "no-such.dwg").string()));
}

TEST(DwgPreview, PixelsBeyondTheDataAreRefused) {
  std::string whole = dib(5, 4, 24, false, {}, [](int, int) { return 0x123456u; });
  EXPECT_TRUE(decode(whole));
  EXPECT_FALSE(decode(whole.substr(0, whole.size() - 1))) << "the last row cut short";
  std::string lying = whole;
  put32(lying, 8, 5);  // one row more than the data holds
  EXPECT_FALSE(decode(lying));
}

// A picture from rows of characters: '.' the background colour, '#' the drawing's.
Picture art(const std::vector<std::string>& rows, std::uint32_t dot, std::uint32_t ink) {
  Picture p = FillCanvas(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), dot);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (rows[y][x] == '#') p.setPixel(x, y, ink);
  return p;
}

TEST(Thumbnail, WhiteBackgroundsAreInvertedAndTheContentIsCropped) {
  // 10 x 8, dark drawing on white in columns 3 to 6 and rows 2 to 5.
  Picture stored = art({"..........", "..........", "...####...", "...#..#...", "...#..#...",
                        "...####...", "..........", ".........."},
                       0xFFFFFF, 0x000000);
  Picture box = fitPreview(stored, 40, 40, 0x000000, true);
  // Content box: left 3 - 1 = 2, right 6, top 2 - 1 = 1, bottom 5: 5 x 5, from (3, 2) on.
  // Scale min(36 / 5, 36 / 5) = 7.2: a 36 x 36 target at (2, 2).
  EXPECT_EQ(box.pixel(0, 0), 0x000000u) << "the box's background";
  EXPECT_EQ(box.pixel(2, 2), 0xFFFFFFu) << "the corner of the drawing, now white";
  EXPECT_EQ(box.pixel(37, 37), 0x000000u) << "the source's last column and row are background";
  EXPECT_EQ(box.pixel(20, 20), 0x000000u) << "inside the square";
  EXPECT_EQ(box.pixel(38, 38), 0x000000u);
}

TEST(Thumbnail, BackgroundByTheCornersAndNearlyEmptyPicturesShownWhole) {
  // Three corners black, one white: black is the background, nothing is inverted.
  Picture corners = art({"#...", "....", "...."}, 0x000000, 0xFFFFFF);
  Picture box = fitPreview(corners, 8, 6, 0x000000, true);
  // Nearly empty (content one pixel wide): shown whole, 4 x 3 at scale min(7.2/4, 5.4/3) = 1.8,
  // the source from (1, 1): no white pixel is left.
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(box.pixel(x, y), 0x000000u) << x << "," << y;
  // Grey background (the corners agree): kept as it is and centred: 20 x 10 in a 100 x 100 box
  // at scale 4.5 gives 90 x 45 at (5, 27).
  Picture grey = FillCanvas(20, 10, 0x808080);
  Picture g = fitPreview(grey, 100, 100, 0x000000, false);
  EXPECT_EQ(g.pixel(5, 27), 0x808080u);
  EXPECT_EQ(g.pixel(4, 27), 0x000000u);
  EXPECT_EQ(g.pixel(94, 71), 0x808080u);
  EXPECT_EQ(g.pixel(95, 71), 0x000000u);
  EXPECT_EQ(g.pixel(94, 72), 0x000000u);
}

TEST(Thumbnail, ATieOfCornersGoesToTheEarlierAndAFlatDrawingIsShownWhole) {
  // Top corners black, bottom corners white: two each, so the top-left's black is the
  // background and nothing is inverted. 8 x 8 shown whole in 80 x 80: 72 x 72 at (4, 4), the
  // source from row 1 on, 7 rows.
  Picture halves = FillCanvas(8, 8, 0x000000);
  for (int y = 4; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      halves.setPixel(x, y, 0xFFFFFF);
  Picture h = fitPreview(halves, 80, 80, 0x000000, false);
  EXPECT_EQ(h.pixel(40, 10), 0x000000u);
  EXPECT_EQ(h.pixel(40, 70), 0xFFFFFFu);

  // A line 13 wide and one row high: too flat to crop, shown whole (20 x 10 at 1.8: 36 x 18 at
  // (2, 11)); the line's first column 3 lands at x 6, not at the box's left edge.
  Picture flat = FillCanvas(20, 10, 0x000000);
  for (int x = 3; x <= 15; ++x)
    flat.setPixel(x, 5, 0xFFFFFF);
  Picture f = fitPreview(flat, 40, 40, 0x000000, true);
  EXPECT_EQ(f.pixel(4, 19), 0x000000u);
  EXPECT_EQ(f.pixel(20, 19), 0xFFFFFFu);
}

TEST(Thumbnail, UnreadableFilesShowTheFailureMarkAndMissingOnesNothing) {
  fs::path dir = fs::temp_directory_path() / ("qarn-thumb-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "bad.dwg", std::ios::binary) << "AC1018 truncated";
  Thumbnail bad = ShowDwgThumbnail((dir / "bad.dwg").string(), 96, 96, 0x000000, true);
  EXPECT_FALSE(bad.read);
  EXPECT_EQ(bad.box.pixel(12, 12), 0x00FFFFu) << "w/8 = 12";
  EXPECT_EQ(bad.box.pixel(24, 12), 0x00FFFFu) << "the other line from (24, 12)";
  EXPECT_EQ(bad.box.pixel(23, 23), 0x00FFFFu);
  EXPECT_EQ(bad.box.pixel(24, 24), 0x000000u) << "the last point is not drawn";
  Thumbnail missing = ShowDwgThumbnail((dir / "none.dwg").string(), 96, 96, 0x000000, true);
  EXPECT_FALSE(missing.read);
  EXPECT_EQ(missing.box.pixel(12, 12), 0x000000u);
  QARN_NEEDS_SAMPLES("dwg");
  Thumbnail none = ShowDwgThumbnail((kSamples / "Point.dwg").string(), 96, 96, 0x000000, true);
  EXPECT_TRUE(none.read);
  EXPECT_EQ(none.storedWidth, 0) << "no preview: 0 x 0";
  Thumbnail r14 = ShowDwgThumbnail((kSamples / "R14.dwg").string(), 225, 229, 0x000000, true);
  EXPECT_EQ(r14.storedWidth, 512);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qarn::library
