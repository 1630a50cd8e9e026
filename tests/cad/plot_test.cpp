// Printing a drawing: the sheet's layout, texts as real text in the embedded Japanese font (read
// back by poppler's tools), colour or black on white, and the typed PLOT command.
#include <png.h>

#include <cstdio>
#include <fstream>
#include <regex>

#include "../scratch_folder.h"
#include "cad/sim/plot.h"
#include "sim_fixture.h"

namespace qarn::cad::testing {
namespace {

namespace fs = std::filesystem;

std::string shell(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen((cmd + " 2>&1").c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p))
      out += buf;
    pclose(p);
  }
  return out;
}

bool have(const std::string& tool) {
  return std::system(("command -v " + tool + " > /dev/null 2>&1").c_str()) == 0;
}

// Pixels of a PNG file that `pick` takes (red, green, blue).
int countPixels(const std::string& path, bool (*pick)(int, int, int)) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return -1;
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> px(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) return -1;
  int n = 0;
  for (std::size_t i = 0; i + 2 < px.size(); i += 3)
    n += pick(px[i], px[i + 1], px[i + 2]);
  return n;
}
bool red(int r, int g, int b) {
  return r > 200 && g < 80 && b < 80;
}
bool dark(int r, int g, int b) {
  return r + g + b < 200;
}

class Plot : public SimFixture {
 protected:
  Plot() : dir(scratch::folder("plot")) {
    // A red frame 200 × 100 and two references whose attributes say a Japanese and a Latin text.
    Block ms = doc.modelSpace();
    ms.addLightWeightPolyline({0, 0, 200, 0, 200, 100, 0, 100}).setClosed(true);
    ms.addLine({0, 0, 0}, {200, 100, 0}).setColor(1);
    Block b = doc.blocks().add({0, 0, 0}, "TAG");
    b.addAttribute(8, 0, "名前", {0, 0, 0}, "NAME", "");
    for (const char* text : {"制御盤", "MC1"}) {
      BlockReference r = ms.insertBlock({20, text[0] == 'M' ? 60.0 : 80.0, 0}, "TAG");
      r.getAttributes()[0].setTextString(text);
    }
  }
  ~Plot() override { fs::remove_all(dir); }
  std::string file(const std::string& name) const { return scratch::text(dir / name); }
  fs::path dir;
};

TEST_F(Plot, TextsAreRealTextInTheEmbeddedJapaneseFontOrSaidToFallBack) {
  if (!have("pdftotext") || !have("pdffonts")) GTEST_SKIP() << "poppler-utils is not installed";
  std::string pdf = file("図面.pdf");
  sim::PlotReport r = sim::plotDrawing(cad.drawing(), {}, sim::PlotFormat::Pdf, pdf);
  EXPECT_TRUE(r.notes.empty());
  EXPECT_EQ(r.texts, 2u);
  std::string text = shell("pdftotext '" + pdf + "' -");
  EXPECT_NE(text.find("制御盤"), std::string::npos) << text;
  EXPECT_NE(text.find("MC1"), std::string::npos) << text;
  // "MC1" starts at the point it stands at, above its baseline, as tall as its height.
  sim::PlotPage page = sim::layOutPage(sim::buildDisplayList(cad.drawing()), {});
  std::smatch box;
  std::string boxes = shell("pdftotext -bbox '" + pdf + "' -");
  ASSERT_TRUE(std::regex_search(boxes, box,
                                std::regex("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" "
                                           "yMax=\"([0-9.]+)\">MC1<")));
  const double pt = 72 / 25.4, baseline = (page.height - page.y(60)) * pt;
  EXPECT_NEAR(std::stod(box[1]), page.x(20) * pt, 1);
  EXPECT_NEAR(std::stod(box[3]) - std::stod(box[2]), 8 / 0.72 * page.scale * pt, 1);
  EXPECT_LT(std::stod(box[2]), baseline - 8 * page.scale * pt * 0.9);
  EXPECT_GT(std::stod(box[3]), baseline);
  EXPECT_TRUE(std::regex_search(shell("pdffonts '" + pdf + "'"),
                                std::regex("CID TrueType +Identity-H +yes +yes +yes")));
  // Only the texts lie in this window: what it shows is drawn by the embedded glyphs.
  sim::PlotOptions texts;
  texts.window = std::make_pair(Point3{15, 55, 0}, Point3{70, 95, 0});
  sim::plotDrawing(cad.drawing(), texts, sim::PlotFormat::Pdf, pdf);
  shell("pdftoppm -r 20 -gray -singlefile '" + pdf + "' '" + file("texts") + "'");
  std::ifstream pgm(dir / "texts.pgm", std::ios::binary);
  std::string pixels((std::istreambuf_iterator<char>(pgm)), std::istreambuf_iterator<char>());
  EXPECT_GT(
      std::count_if(pixels.begin() + 20, pixels.end(), [](char v) { return v >= 0 && v < 64; }),
      50);
  // A layer that is not plotted prints nothing.
  doc.layers().add("NOPLOT").setPlottable(false);
  lastEntity().setLayer("NOPLOT");
  sim::plotDrawing(cad.drawing(), {}, sim::PlotFormat::Pdf, pdf);
  EXPECT_EQ(shell("pdftotext '" + pdf + "' -").find("MC1"), std::string::npos);
  lastEntity().setLayer("0");

  sim::PlotOptions o;
  o.fontPath = file("no-such-font.ttf");
  r = sim::plotDrawing(cad.drawing(), o, sim::PlotFormat::Pdf, pdf);
  ASSERT_EQ(r.notes.size(), 1u);
  EXPECT_NE(r.notes[0].find("Helvetica"), std::string::npos);
  text = shell("pdftotext '" + pdf + "' -");
  EXPECT_NE(text.find("MC1"), std::string::npos) << text;
  EXPECT_EQ(text.find("制御盤"), std::string::npos);
  r = sim::plotDrawing(cad.drawing(), o, sim::PlotFormat::Png, file("a.png"));
  EXPECT_EQ(r.notes.size(), 1u);
  EXPECT_GT(countPixels(file("a.png"), dark), 0);
}

TEST_F(Plot, TheAreaIsCentredOnTheSheetFittedOrToScale) {
  sim::DisplayList list = sim::buildDisplayList(cad.drawing());
  struct Case {
    sim::Paper paper;
    bool landscape;
    double scale;
    std::optional<std::pair<Point3, Point3>> window;
    double sheetW, sheetH, boxW;  // the sheet and the 200-wide frame on it, mm
  } cases[] = {
      {sim::Paper::A4, false, 0, {}, 210, 297, 210 - 2 * sim::kSheetMargin},
      {sim::Paper::A3, true, 2, {}, 420, 297, 100},
      {sim::Paper::A4, true, 0, std::make_pair(Point3{100, 0, 0}, Point3{0, 100, 0}), 297, 210, 0},
  };
  for (const Case& c : cases) {
    sim::PlotOptions o;
    o.paper = c.paper, o.landscape = c.landscape, o.scale = c.scale, o.window = c.window;
    sim::PlotPage p = sim::layOutPage(list, o);
    EXPECT_DOUBLE_EQ(p.width, c.sheetW);
    EXPECT_DOUBLE_EQ(p.height, c.sheetH);
    if (c.window) {  // the window's height fills the printable height, its centre the sheet's
      EXPECT_NEAR(p.y(100) - p.y(0), c.sheetH - 2 * sim::kSheetMargin, 1e-9);
      EXPECT_NEAR(p.x(50), c.sheetW / 2, 1e-9);
      EXPECT_NEAR(p.y(50), c.sheetH / 2, 1e-9);
      EXPECT_NEAR(p.left, p.x(0), 1e-9) << "nothing beside the window is printed";
      EXPECT_NEAR(p.right, p.x(100), 1e-9);
    } else {  // the frame, the texts' boxes inside it, in the middle
      EXPECT_NEAR(p.x(200) - p.x(0), c.boxW, 1e-9);
      EXPECT_NEAR(p.x(100), c.sheetW / 2, 1e-9);
      EXPECT_NEAR(p.y(50), c.sheetH / 2, 1e-9);
    }
  }
  // A text placed by its middle has its middle there, turned or not.
  sim::PlotPage page = sim::layOutPage(list, {});
  sim::ShownText t;
  t.at = {50, 50, 0}, t.height = 10, t.horizontal = 1, t.vertical = 2, t.text = "A制";
  for (double turn : {0.0, 1.5707963267948966}) {
    t.rotation = turn;
    sim::PrintedText p = sim::printedText(t, page, nullptr);
    double w = (p.advances[0] + p.advances[1]) * p.em / 2, h = 10 * page.scale / 2;
    EXPECT_NEAR(p.x + w * p.cos - h * p.sin, page.x(50), 1e-9);
    EXPECT_NEAR(p.y + w * p.sin + h * p.cos, page.y(50), 1e-9);
  }
  sim::PlotOptions flat;
  flat.window = std::make_pair(Point3{0, 0, 0}, Point3{100, 0, 0});
  EXPECT_THROW(sim::layOutPage(list, flat), sim::PlotError);
  EXPECT_THROW(sim::layOutPage(sim::DisplayList{}, {}), sim::PlotError);
}

TEST_F(Plot, ColourPrintsTheCadColoursAndBlackOnWhiteNone) {
  sim::PlotOptions o;
  sim::plotDrawing(cad.drawing(), o, sim::PlotFormat::Png, file("mono.png"));
  o.colour = true;
  sim::plotDrawing(cad.drawing(), o, sim::PlotFormat::Png, file("colour.png"));
  EXPECT_EQ(countPixels(file("mono.png"), red), 0);
  EXPECT_GT(countPixels(file("mono.png"), dark), 500);
  EXPECT_GT(countPixels(file("colour.png"), red), 200);
  EXPECT_GT(countPixels(file("colour.png"), dark), 500) << "colour 7 prints black on white";
  o.window = std::make_pair(Point3{15, 55, 0}, Point3{70, 95, 0});  // the texts alone
  sim::plotDrawing(cad.drawing(), o, sim::PlotFormat::Png, file("texts.png"));
  EXPECT_GT(countPixels(file("texts.png"), dark), 2000) << "the glyphs filled";
}

TEST_F(Plot, PlotAsksForWhatTheLineLacksAndRefusesWhatItCannotPrint) {
  // Asked: defaults for paper and orientation, a window picked, 1:2, colour, the file.
  std::string pdf = file("asked.pdf");
  std::size_t asked = cad.prompts().size();
  cad.operatorEnter();
  cad.operatorEnter();
  cad.operatorText("w");
  cad.operatorPoint(0, 0);
  cad.operatorPoint(100, 50);
  cad.operatorText("1:2");
  cad.operatorText("Y");
  cad.operatorText(pdf);
  cad.typeCommand("PLOT");
  std::vector<std::string> prompts(cad.prompts().begin() + asked, cad.prompts().end());
  EXPECT_EQ(prompts, (std::vector<std::string>{
                         "用紙サイズを入力 [A4/A3] <A4>:", "用紙の向きを入力 [縦(P)/横(L)] <縦>:",
                         "印刷領域を入力 [オブジェクト範囲(E)/窓(W)] <オブジェクト範囲>:",
                         "印刷する窓の 1 点目を指定:", "もう一方のコーナーを指定:",
                         "印刷尺度を入力 (1:N) または [フィット(F)] <フィット>:",
                         "カラーで印刷しますか? [はい(Y)/いいえ(N)] <いいえ>:",
                         "印刷ファイル名を入力 (.pdf/.png) <Drawing1.pdf>:"}));
  EXPECT_EQ(cad.transcript().back(), "[" + pdf + " に印刷しました]");
  EXPECT_TRUE(fs::exists(dir / "asked.pdf"));

  // Typed in full: A3 landscape, as the sheet's size says.
  std::string a3 = file("a3.pdf");
  cad.typeCommand("PLOT A3 L E F N \"" + a3 + "\"");
  std::ifstream in(dir / "a3.pdf", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(bytes.find("/MediaBox [0 0 1190.55 841.89]"), std::string::npos);

  for (const std::string line :
       {"PLOT B5", "PLOT A4 X", "PLOT A4 P E 1:0", "PLOT A4 P E 50", "PLOT A4 P E F N x.txt",
        "PLOT A4 P W 0,0 0,5 F N x.pdf", "PLOT A4 P W 0,0 zz"}) {
    cad.typeCommand(line);
    std::string said = cad.transcript().back();
    EXPECT_NE(said.find("印刷を中止しました]"), std::string::npos) << line << ": " << said;
  }
  EXPECT_FALSE(fs::exists("x.pdf"));
  cad.operatorEscape();
  cad.typeCommand("PLOT");
  EXPECT_EQ(cad.transcript().back(), "*キャンセル*");
}

}  // namespace
}  // namespace qarn::cad::testing
