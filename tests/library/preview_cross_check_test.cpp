// The preview decoder checked pixel by pixel against Qt's own BMP and PNG decoders, on every
// sample drawing with a preview.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "../samples.h"
#include "library/dwg_preview.h"

namespace qarn::library {
namespace {

namespace fs = std::filesystem;

std::uint32_t u32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

TEST(PreviewCrossCheck, EveryStoredPictureDecodesAsQtDecodesIt) {
  QARN_NEEDS_SAMPLES("dwg");
  const fs::path samples = qarn::testing::samplesFolder("dwg");
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(samples)) {
    if (entry.path().extension() != ".dwg") continue;
    std::ifstream f(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    auto mine = readDwgPreview(bytes);
    ASSERT_TRUE(mine) << entry.path();
    if (mine->kind == DwgPreview::Kind::None) continue;
    // The first BMP or PNG entry, found again here from the entry table.
    std::size_t p = u32(bytes, 13);
    int count = static_cast<unsigned char>(bytes[p + 20]);
    std::size_t start = 0, size = 0;
    int code = 0;
    for (int e = 0; e < count && !code; ++e) {
      std::size_t at = p + 21 + 9 * e;
      int c = static_cast<unsigned char>(bytes[at]);
      if (c == 2 || c == 6) {
        code = c;
        start = u32(bytes, at + 1);
        size = u32(bytes, at + 5);
      }
    }
    QByteArray data = QByteArray::fromStdString(bytes.substr(start, size));
    QImage qt;
    if (code == 2) {
      // A BMP file around the DIB, its pixels after the header and the palette it really has.
      std::uint32_t bits = static_cast<unsigned char>(data[14]), used = u32(bytes, start + 32);
      std::uint32_t colours = bits <= 8 ? (used ? used : 1u << bits) : used;
      std::uint32_t offset = 14 + u32(bytes, start) + 4 * colours;
      QByteArray header("BM", 2);
      for (std::uint32_t v : {static_cast<std::uint32_t>(size + 14), 0u, offset})
        for (int i = 0; i < 4; ++i)
          header.append(static_cast<char>((v >> (8 * i)) & 0xFF));
      qt.loadFromData(header + data, "BMP");
    } else {
      qt.loadFromData(data, "PNG");
    }
    ASSERT_FALSE(qt.isNull()) << entry.path();
    qt = qt.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(qt.width(), mine->picture.width) << entry.path();
    ASSERT_EQ(qt.height(), mine->picture.height) << entry.path();
    int differ = 0;
    for (int y = 0; y < qt.height(); ++y)
      for (int x = 0; x < qt.width(); ++x)
        differ += (qt.pixel(x, y) & 0xFFFFFF) != mine->picture.pixel(x, y) ? 1 : 0;
    EXPECT_EQ(differ, 0) << entry.path();
    ++checked;
  }
  EXPECT_EQ(checked, 9) << "the nine samples with a BMP or PNG preview";
}

}  // namespace
}  // namespace qarn::library
