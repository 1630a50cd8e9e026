// qarn-cli plot: the PDF and PNG of drawings the other jobs draw, read back with poppler's tools
// (texts, a picture that is not blank), and options it refuses.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "../scratch_folder.h"
#include "cad/sim/dimension_picture.h"
#include "cad/sim/sim_cad.h"

namespace {

namespace fs = std::filesystem;
using namespace qarn;

struct Ran {
  int code;
  std::string out;
};

Ran shell(const std::string& cmd) {
  Ran r{-1, {}};
  if (FILE* p = popen((cmd + " 2>&1").c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p))
      r.out += buf;
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return r;
}

Ran cli(const std::string& args) {
  return shell(std::string(QARN_CLI) + " " + args);
}

bool havePoppler() {
  return shell("command -v pdftotext && command -v pdftoppm && command -v pdfinfo").code == 0;
}

// The darkest grey of a binary PGM picture, and how many of its pixels are not white.
std::pair<int, long> inkOfPgm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  in >> magic >> w >> h >> max;
  in.get();
  std::vector<unsigned char> px(static_cast<std::size_t>(w) * h);
  in.read(reinterpret_cast<char*>(px.data()), static_cast<std::streamsize>(px.size()));
  int darkest = 255;
  long ink = 0;
  for (unsigned char v : px) {
    darkest = std::min<int>(darkest, v);
    ink += v < 128;
  }
  return {magic == "P5" && in ? darkest : -1, ink};
}

long inkOfPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return -1;
  image.format = PNG_FORMAT_GRAY;
  std::vector<unsigned char> px(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) return -1;
  long ink = 0;
  for (unsigned char v : px)
    ink += v < 128;
  return ink;
}

class CliPlot : public ::testing::Test {
 protected:
  CliPlot() : dir(scratch::folder("cli-plot")) {}
  ~CliPlot() override { fs::remove_all(dir); }
  std::string file(const std::string& name) const { return "'" + scratch::text(dir / name) + "'"; }
  fs::path dir;
};

TEST_F(CliPlot, TheEnclosurePdfHoldsItsDimensionNumbersAndThePicturesAreNotBlank) {
  if (!havePoppler())
    GTEST_SKIP() << "pdftotext, pdftoppm and pdfinfo (poppler-utils) are not installed";
  ASSERT_EQ(
      cli("enclosure --family RA --model RA12-4560 --dimscale 10 --dxf " + file("ra.dxf")).code, 0);
  Ran r = cli("plot " + file("ra.dxf") + " --pdf " + file("ra.pdf") + " --paper A3 --landscape");
  ASSERT_EQ(r.code, 0) << r.out;
  std::string text = shell("pdftotext " + file("ra.pdf") + " -").out;
  cad::sim::SimCad sim;
  sim.openDrawing(scratch::text(dir / "ra.dxf"));
  int dims = 0;
  for (const auto& h : sim.drawing().modelSpace().entities) {
    const auto* e = sim.drawing().findEntity(h);
    if (e->type != cad::sim::EntityType::AlignedDim) continue;
    ++dims;
    std::string number = cad::sim::dimensionPicture(sim.drawing(), *e).text;
    EXPECT_NE(text.find(number), std::string::npos) << number << " not in:\n" << text;
  }
  EXPECT_GT(dims, 1);

  EXPECT_NE(shell("pdfinfo " + file("ra.pdf")).out.find("1190.55 x 841.89 pts"), std::string::npos);
  // The PDF as poppler draws it and the PNG of the same sheet: both inked, and alike.
  ASSERT_EQ(shell("pdftoppm -r 150 -gray -singlefile " + file("ra.pdf") + " " + file("ra")).code,
            0);
  auto [darkest, ink] = inkOfPgm(scratch::text(dir / "ra.pgm"));
  EXPECT_LT(darkest, 100);
  ASSERT_EQ(
      cli("plot " + file("ra.dxf") + " --png " + file("ra.png") + " --paper A3 --landscape").code,
      0);
  long inkPng = inkOfPng(scratch::text(dir / "ra.png"));
  EXPECT_GT(inkPng, 5000);
  EXPECT_GT(ink, inkPng / 2);
  EXPECT_LT(ink, inkPng * 2);
}

TEST_F(CliPlot, AFrameRowPdfHoldsTheDeviceNumbers) {
  if (!havePoppler()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  ASSERT_EQ(cli("frame --model S-T10 --number MC7 --array 4 --gap 5 --dimscale 10 --dxf " +
                file("row.dxf"))
                .code,
            0);
  ASSERT_EQ(cli("plot " + file("row.dxf") + " --pdf " + file("row.pdf") + " --colour").code, 0);
  std::string text = shell("pdftotext " + file("row.pdf") + " -").out;
  for (const char* number : {"MC7", "MC8", "MC9", "MC10"})
    EXPECT_NE(text.find(number), std::string::npos) << number << " not in:\n" << text;
}

TEST_F(CliPlot, OptionsItCannotTakeAreRefusedWithTheReason) {
  ASSERT_EQ(cli("frame --model S-T10 --dxf " + file("one.dxf")).code, 0);
  std::string in = file("one.dxf"), out = " --pdf " + file("x.pdf");
  struct Case {
    std::string args, said;
  } cases[] = {
      {in, "--pdf OUT.pdf or --png OUT.png"},
      {in + out + " --paper B5", "--paper takes A4 or A3"},
      {in + out + " --scale 1:0", "--scale takes fit or 1:N"},
      {in + out + " --scale 50", "--scale takes fit or 1:N"},
      {in + out + " --window 1,2,3", "--window takes X1,Y1,X2,Y2"},
      {in + out + " --window 0,0,0,5", "幅または高さが 0"},
      {in + out + " --png " + file("x.png"), "one of --pdf and --png"},
      {in + out + " --dpi 300", "unknown argument --dpi"},
      {out, "no drawing file given"},
      {file("none.dxf") + out, "none.dxf"},
      {in + " --pdf", "missing value after --pdf"},
  };
  for (const Case& c : cases) {
    Ran r = cli("plot " + c.args);
    EXPECT_NE(r.code, 0) << c.args;
    EXPECT_NE(r.out.find(c.said), std::string::npos) << c.args << ": " << r.out;
  }
  EXPECT_FALSE(fs::exists(dir / "x.pdf"));
  EXPECT_FALSE(fs::exists(dir / "x.png"));
}

}  // namespace
