#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../samples.h"
#include "cad/sim/dxf_reader.h"

namespace {

namespace fs = std::filesystem;

struct CliRun {
  int code;
  std::string out;  // standard output and error together
};

CliRun run(const std::string& args) {
  std::string cmd = std::string(QARN_CLI) + " " + args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  std::array<char, 512> buf;
  while (std::fgets(buf.data(), buf.size(), p))
    out += buf.data();
  int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class CliEnclosure : public ::testing::Test {
 protected:
  CliEnclosure() : dir(fs::temp_directory_path() / ("qarn-cli-" + std::to_string(::getpid()))) {
    fs::create_directories(dir);
  }
  ~CliEnclosure() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(CliEnclosure, DrawsFromTheCatalogueBesideTheExecutableAndReportsTheFile) {
  fs::path dxf = dir / "ra.dxf";
  CliRun r = run("enclosure --family RA --model RA12-4560 --at 123.5,-87 --dimscale 10 --dxf " +
                 dxf.string());
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out,
            "wrote " + dxf.string() +
                ": RA RA12-4560, 18 entities drawn, 1 blocks defined, 84 automation calls\n");
  std::ifstream f(dxf);
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("TOVEKHDLRA"), std::string::npos);
  EXPECT_NE(text.find("10\n120\n20\n-80\n"), std::string::npos) << "drawn at the cut base point";
  EXPECT_NE(text.find("$DIMSCALE\n40\n10\n"), std::string::npos);
  EXPECT_NE(text.find("\n40\n25\n"), std::string::npos) << "dimension texts 2.5 x 10 high";
}

// A value with a line break or another control character (pasted with it) is refused before
// anything is drawn or written, with the reason on one line.
TEST_F(CliEnclosure, ValuesWithControlCharactersAreRefused) {
  fs::path dxf = dir / "frame.dxf";
  const std::pair<std::string, std::string> cases[] = {
      {"frame --model S-T10 --number \"MC1\n\" --dxf " + dxf.string(),
       "the value of --number holds a line feed after \"MC1\""},
      {"frame --model \"S-T10\r\n\" --dxf " + dxf.string(), "--model holds a carriage return"},
      {"panel --model AR22F0R-10 --number \"PB\t1\" --dxf " + dxf.string(), "a tab after \"PB\""},
      {"search x.txt \"MY\x01\"", "argument 2 holds a control character"},
  };
  for (const auto& [args, says] : cases) {
    CliRun r = run(args);
    EXPECT_EQ(r.code, 2) << args;
    EXPECT_NE(r.out.find(says), std::string::npos) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one line: " << r.out;
    EXPECT_FALSE(fs::exists(dxf)) << args;
  }
}

TEST_F(CliEnclosure, SaysWhyNothingWasDrawn) {
  std::ofstream(dir / "BOX_CL.txt", std::ios::binary)
      << "CL-OK\t300\t400\t160\t260\t360\t130\t1\tA\t1\r\nCL-"
         "BAD\t300\t400\t0\t260\t360\t130\t1\tA\t1\r\n";
  std::string in = " --catalogue-dir " + dir.string() + " --dxf " + (dir / "x.dxf").string();
  struct Case {
    std::string args, message;
  };
  for (const Case& c : std::vector<Case>{
           {"enclosure --family XX --model A" + in, "unknown family \"XX\""},
           {"enclosure --family RA --model A" + in,
            "no catalogue file " + (dir / "BOX_RA.txt").string()},
           {"enclosure --family CL --model CL-NONE" + in, "model \"CL-NONE\" is not in"},
           {"enclosure --family CL --model CL-BAD" + in,
            "CL-BAD: the depth (フカサ) is zero or not a number"},
           {"enclosure --family CL --model CL-OK --at 1" + in, "--at needs X,Y"},
           {"enclosure --family CL --model CL-OK --dimscale 0" + in, "--dimscale needs a positive"},
       }) {
    CliRun r = run(c.args);
    EXPECT_NE(r.code, 0) << c.args;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one line: " << r.out;
  }
  EXPECT_FALSE(fs::exists(dir / "x.dxf"));
  EXPECT_EQ(run("enclosure --family CL --model CL-OK" + in).code, 0);
}

TEST_F(CliEnclosure, SearchPrintsTheMatchingRecordsWithTheirLineNumbers) {
  fs::path cat = dir / "cat.txt";
  std::ofstream(cat, std::ios::binary) << "relay\tMY-4N\r\n// c\r\nbreaker\tNF30\tx\r\n";
  CliRun all = run("search " + cat.string());
  EXPECT_EQ(all.code, 0);
  EXPECT_EQ(all.out,
            "2\tbreaker\tNF30\tx\t\t\t\t\t\t\t\t\t\t\t\n3\trelay\tMY-4N\t\t\t\t\t\t\t\t\t\t\t\t\n");
  CliRun one = run("search " + cat.string() + " my4n");
  EXPECT_EQ(one.out.substr(0, 8), "3\trelay\t");
  CliRun none = run("search " + cat.string() + " zzz");
  EXPECT_EQ(none.code, 0);
  EXPECT_EQ(none.out, "");
  CliRun missing = run("search " + (dir / "none.txt").string());
  EXPECT_NE(missing.code, 0);
  EXPECT_NE(missing.out.find("データファイルが見つかりません．"), std::string::npos);
}

TEST_F(CliEnclosure, FramePlacesTheCatalogueRowAsTheFrontButtonDoes) {
  fs::path cat = dir / "TOVEK.txt";
  // UTF-8 with a byte-order mark; a terminal block by its name, a relay, one without a height.
  std::ofstream(cat, std::ios::binary)
      << "\xEF\xBB\xBF端子台\tTB-15\t15A\tK\t\t10\t40\t30\t\t\t4.5\r\n"
         "リレー\tMY4N\tAC200V\tO\t\t28\t36\t60\r\n"
         "リレー\tFLAT\t\t\t\t28\tx\r\n";
  std::string in = " --catalogue " + cat.string();
  fs::path dxf = dir / "row.dxf";
  CliRun row =
      run("frame --model MY4N --number MC12A --array 3 --gap 2 --dimscale 10 --at 5,6"
          " --dxf " +
          dxf.string() + in);
  EXPECT_EQ(row.code, 0) << row.out;
  EXPECT_EQ(row.out.substr(0, row.out.find(", device")),
            "wrote " + dxf.string() + ": 3 frames placed");
  EXPECT_NE(row.out.find(", device number MC15A, "), std::string::npos) << row.out;
  EXPECT_NE(row.out.find(" automation calls\n"), std::string::npos) << row.out;
  std::ifstream f(dxf);
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("MC14A"), std::string::npos);

  // The terminal-block row turns its mode on: 12 poles of 10 and two ends of 4.5 make 129.
  CliRun tb = run("frame --model TB-15 --terminal 12 --number 07 --dxf " + dxf.string() + in);
  EXPECT_EQ(tb.code, 0) << tb.out;
  EXPECT_NE(tb.out.find("1 frames placed, device number 8,"), std::string::npos) << tb.out;
  std::ifstream g(dxf);
  std::string tbText((std::istreambuf_iterator<char>(g)), std::istreambuf_iterator<char>());
  EXPECT_NE(tbText.find("TB-15 x 12P"), std::string::npos);
  EXPECT_NE(tbText.find("\n41\n1.29\n"), std::string::npos) << "X scale 129 / 100";

  // A row of the terminal block: array mode turns the terminal mode off, as on the page.
  CliRun tbRow = run("frame --model TB-15 --array 2 --dxf " + dxf.string() + in);
  EXPECT_NE(tbRow.out.find(": 2 frames placed"), std::string::npos) << tbRow.out;
  std::ifstream h(dxf);
  std::string rowText((std::istreambuf_iterator<char>(h)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rowText.find("TB-15 x 4P"), std::string::npos);
  EXPECT_NE(rowText.find("\n41\n0.1\n"), std::string::npos) << "one pole wide";

  CliRun cancelled = run("frame --model MY4N --number K1 --cancel --dxf " + dxf.string() + in);
  EXPECT_EQ(cancelled.code, 0);
  EXPECT_NE(cancelled.out.find("0 frames placed, device number K2,"), std::string::npos)
      << cancelled.out;
}

TEST_F(CliEnclosure, FrameAddsSideViewHolesAndPartitionsToThePlacedFrame) {
  fs::path cat = dir / "TOVEK.txt";
  std::ofstream(cat, std::ios::binary)
      << "breaker\tNF32\t2P\t\t\t50\t130\t68\t90\t60\t\t\t\tC:4.5 0 55, C:4.5 0 -55\r\n"
         "端子台\tTB-15\t15A\t\t\t10\t40\t30\t\t\t4.5\r\n";
  std::string in = " --catalogue " + cat.string() + " --dxf " + (dir / "s.dxf").string();
  CliRun all =
      run("frame --model NF32 --number CB1 --at 100,100 --side 300,120 --holes"
          " --partitions" +
          in);
  EXPECT_EQ(all.code, 0) << all.out;
  // One two-part side view, one hole block reference, and a 50-wide frame of pitch 50: 2 x 2
  // partition lines.
  EXPECT_NE(all.out.find(", device number CB2, side view +1, holes +1, partitions +4, "),
            std::string::npos)
      << all.out;
  std::ifstream f(dir / "s.dxf");
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("NF32_SIDE"), std::string::npos);
  EXPECT_NE(text.find("TOVEKHALNF32"), std::string::npos);

  CliRun tb = run("frame --model TB-15 --terminal 10 --partitions" + in);
  EXPECT_NE(tb.out.find(", partitions +22, "), std::string::npos) << tb.out;
  CliRun noCut = run("frame --model TB-15 --holes" + in);
  EXPECT_EQ(noCut.code, 0);
  EXPECT_NE(noCut.out.find(", holes +0 (取付孔データがありません．)"), std::string::npos)
      << noCut.out;
  CliRun none = run("frame --model TB-15 --cancel --side 1,1" + in);
  EXPECT_NE(none.out.find(", side view: no frame to pick"), std::string::npos) << none.out;
}

// Points given on the command line are typed, not picked: ortho, on while the side view moves,
// leaves them as they are. And an answer belongs to its step: one the side view did not take is
// not picked up by the holes.
TEST_F(CliEnclosure, FrameAnswersAreTypedAndEachBelongsToItsStep) {
  fs::path cat = dir / "TOVEK.txt";
  std::ofstream(cat, std::ios::binary)
      << "breaker\tNF32\t2P\t\t\t50\t130\t68\t90\t60\t\t\t\tC:4.5 0 55\r\n"
         "flat\tFLAT0\t\t\t\t20\t30\t0\t\t\t\t\t\tC:3\r\n";
  fs::path dxf = dir / "t.dxf";
  std::string in = " --catalogue " + cat.string() + " --dxf " + dxf.string();
  CliRun side = run("frame --model NF32 --side 300,100" + in);
  ASSERT_EQ(side.code, 0) << side.out;
  qarn::cad::sim::DxfDrawing d = qarn::cad::sim::readDxfFile(dxf.string());
  int views = 0;
  for (const auto& h : d.drawing.modelSpace().entities) {
    const auto* e = d.drawing.findEntity(h);
    if (e->blockName != "NF32_SIDE") continue;
    ++views;
    EXPECT_EQ(e->p1.x, 300);
    EXPECT_EQ(e->p1.y, 100);
  }
  EXPECT_EQ(views, 1);
  CliRun flat = run("frame --model FLAT0 --side 300,100 --holes" + in);
  EXPECT_NE(flat.out.find(", side view +0, holes +1, "), std::string::npos) << flat.out;
}

TEST_F(CliEnclosure, FrameSaysWhyNothingWasPlaced) {
  fs::path cat = dir / "TOVEK.txt";
  std::ofstream(cat, std::ios::binary) << "r\tMY4N\t\t\t\t28\t36\r\nr\tFLAT\t\t\t\t28\tx\r\n";
  std::string in = " --catalogue " + cat.string() + " --dxf " + (dir / "x.dxf").string();
  struct Case {
    std::string args, message;
  };
  for (const Case& c : std::vector<Case>{
           {"frame --model MY4N --catalogue " + (dir / "none.txt").string(), "no catalogue file"},
           {"frame --model NOPE" + in, "model \"NOPE\" is not in"},
           {"frame --model FLAT" + in, "FLAT: the width (W) or height (H) is zero or not a number"},
           {"frame --model MY4N --base 9" + in, "--base needs a base point code 0 to 8"},
           {"frame --model MY4N --offset ten" + in, "--offset needs a number"},
           {"frame --model MY4N --array 2 --terminal 4" + in, "cannot be used together"},
           {"frame --model MY4N --dimscale x" + in, "--dimscale needs a number"},
           {"frame --model MY4N --side 5" + in, "--side needs X,Y"},
           {"frame" + in, "no --model given"},
       }) {
    CliRun r = run(c.args);
    EXPECT_NE(r.code, 0) << c.args;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one line: " << r.out;
  }
  EXPECT_FALSE(fs::exists(dir / "x.dxf"));
}

TEST_F(CliEnclosure, PanelPlacesDevicesFromTheCatalogue) {
  fs::path cat = dir / "TPBPL.txt";
  std::ofstream(cat, std::ios::binary)
      << "\xEF\xBB\xBF押釦\tPB22\t赤\t\t\t22\t22\t50\t\t\t0\t\t\tC:22\r\n"
         "計器\tFLAT\t\t\t\t80\t0\t\t\t\t6\r\n";
  std::string in = " --catalogue " + cat.string() + " --dxf " + (dir / "p.dxf").string();
  CliRun row =
      run("panel --model PB22 --number pb1 --array 3 --pitch 60 --model PB22 --no-plate"
          " --number X --at 0,-100 --down" +
          in);
  EXPECT_EQ(row.code, 0) << row.out;
  EXPECT_NE(row.out.find(": TOVEKPB122NP, 3 devices placed, device number pb4, "),
            std::string::npos)
      << row.out;
  EXPECT_NE(row.out.find(": TOVEKPB122, 1 devices placed, device number X, "), std::string::npos)
      << row.out;
  EXPECT_EQ(std::count(row.out.begin(), row.out.end(), '\n'), 2);
  CliRun cancelled = run("panel --model PB22 --number Q1 --cancel" + in);
  EXPECT_NE(cancelled.out.find("0 devices placed, device number Q1,"), std::string::npos);
  for (const auto& [args, message] : std::vector<std::pair<std::string, std::string>>{
           {"panel --model FLAT" + in, "FLAT: 寸法 H がありません"},
           {"panel --model NOPE" + in, "model \"NOPE\" is not in"},
           {"panel --array 2 --model PB22" + in, "--array before --model"},
           {"panel --model PB22 --pitch x" + in, "--pitch needs a number"},
           {"panel" + in, "no --model given"}}) {
    CliRun r = run(args);
    EXPECT_NE(r.code, 0) << args;
    EXPECT_NE(r.out.find(message), std::string::npos) << r.out;
  }
}

TEST_F(CliEnclosure, ThumbnailSaysWhatADrawingStores) {
  QARN_NEEDS_SAMPLES("dwg");
  fs::path samples = qarn::testing::samplesFolder("dwg");
  fs::path png = dir / "t.png";
  CliRun r14 = run("thumbnail " + (samples / "R14.dwg").string() + " --png " + png.string() +
                   " --box 90x90");
  EXPECT_EQ(r14.code, 0) << r14.out;
  EXPECT_NE(r14.out.find(": AC1014, preview BMP 8-bit, 512x512\n"), std::string::npos) << r14.out;
  std::ifstream f(png, std::ios::binary);
  std::string head(8, '\0');
  f.read(head.data(), 8);
  EXPECT_EQ(head, "\x89PNG\r\n\x1a\n");
  CliRun none = run("thumbnail " + (samples / "Leader.dwg").string());
  EXPECT_EQ(none.code, 0);
  EXPECT_NE(none.out.find("preview none, 0x0"), std::string::npos) << none.out;
  std::ofstream(dir / "bad.dwg", std::ios::binary) << "AC1018";
  CliRun bad = run("thumbnail " + (dir / "bad.dwg").string() + " --png " + png.string());
  EXPECT_NE(bad.code, 0);
  EXPECT_NE(bad.out.find("too short"), std::string::npos) << bad.out;
  EXPECT_NE(run("thumbnail " + (samples / "v.dwg").string() + " --box 0x5").code, 0);
}

}  // namespace

namespace {

// A bill of materials from a drawing file: frames drawn by the frame job, read back from DXF.
TEST_F(CliEnclosure, BomCountsTheFramesOfADrawingFile) {
  fs::path cat = dir / "TOVEK.txt";
  std::ofstream(cat, std::ios::binary)
      << "\xEF\xBB\xBFリレー\tMY4N\tAC200V, 4c\tO\t\t28\t36\t60\r\n"
         "ブレーカ\tNF32\t3P\tM\t\t50\t80\t60\r\n";
  fs::path dxf = dir / "panel board.dxf";
  ASSERT_EQ(run("frame --catalogue " + cat.string() +
                " --model MY4N --number CR1 --array 3 --gap 2"
                " --dxf \"" +
                dxf.string() + "\"")
                .code,
            0);
  fs::path csv = dir / "bom.csv";
  CliRun r = run("bom \"" + dxf.string() + "\" --csv " + csv.string());
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out, "No\tTYPE\tSPEC\tAUX1\t個数\n1\tMY4N\tAC200V, 4c\t\t3\n");
  std::ifstream f(csv, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "\xEF\xBB\xBFNo,TYPE,SPEC,AUX1,個数\r\n1,MY4N,\"AC200V, 4c\",,3\r\n");

  std::ofstream(dir / "bad.dxf")
      << "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nten\n0\nENDSEC\n0\nEOF\n";
  struct Case {
    std::string args, says;
    int code;
  } cases[] = {
      {"bom " + (dir / "missing.dxf").string(), "cannot open", 1},
      {"bom " + (dir / "bad.dxf").string(), "line 8: group code 10 needs a number", 1},
      {"bom", "no drawing file given", 2},
      {"bom x.dxf --csv", "missing value after --csv", 2},
  };
  for (const Case& c : cases) {
    CliRun b = run(c.args);
    EXPECT_EQ(b.code, c.code) << c.args;
    EXPECT_NE(b.out.find(c.says), std::string::npos) << b.out;
    EXPECT_EQ(std::count(b.out.begin(), b.out.end(), '\n'), 1) << "one line: " << b.out;
  }
}

}  // namespace

namespace {

TEST_F(CliEnclosure, LayoutPlacesTheListAndSaysWhatDidNotFit) {
  fs::path dxf = dir / "plate.dxf", bom = dir / "plate.csv";
  // The sample list beside the program, wherever the test runs from.
  std::string sample = (fs::path(QARN_CLI).parent_path() / "LAYOUT_SAMPLE.txt").string();
  CliRun all = run("layout " + sample + " --enclosure RA:RA14-8010 --at 10,20 --dxf " +
                   dxf.string() + " --bom " + bom.string());
  EXPECT_EQ(all.code, 0) << all.out;
  EXPECT_EQ(all.out.substr(0, all.out.find(" automation")),
            "wrote " + dxf.string() +
                ": 20 of 20 frames placed in 3 rows, DINレール 35: 3 pieces 1980 mm, "
                "配線ダクト 40: 7 pieces 5180 mm, エンドストップ 10: 6 pieces, 859");
  // Stock lengths cut first-fit decreasing, and the heat of the list's 44.6 W in 800 x 1000 x 250.
  EXPECT_NE(all.out.find("\n切断計画 DINレール 35 (定尺 2000 mm): 1 本\n  1: 660 + 660 + 660 残り 20\n"),
            std::string::npos)
      << all.out;
  EXPECT_NE(all.out.find("\n発熱 44.6 W 放熱面積 1.85 m² 盤内温度上昇 4.4 K\n"), std::string::npos);
  std::ifstream f(bom, std::ios::binary);
  std::string csv((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_NE(csv.find(",DINレール,35,,3,1980\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n  1: 660 + 660 + 660 残り 20\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n発熱 44.6 W"), std::string::npos) << csv;
  // The frames' texts at DIMSCALE 10 unless told.
  std::ifstream d(dxf, std::ios::binary);
  std::string drawing((std::istreambuf_iterator<char>(d)), std::istreambuf_iterator<char>());
  EXPECT_NE(drawing.find("$DIMSCALE\n40\n10\n"), std::string::npos);

  // The sample does not fit the smaller enclosure: the enclosure that would, and a warning when
  // the heat is too much for it.
  CliRun over = run("layout " + sample + " --enclosure RA:RA12-6080 --max-rise 5 --bom " +
                    bom.string() + " --dxf " + (dir / "over.dxf").string());
  EXPECT_EQ(over.code, 3) << over.out;
  EXPECT_NE(over.out.find("\nRA12-6080 には入りません。RA14-8010 なら全て配置できます。\n"),
            std::string::npos)
      << over.out;
  EXPECT_NE(over.out.find("\n警告: 盤内温度上昇が 5 K を超えます。"), std::string::npos);
  std::ifstream f2(bom, std::ios::binary);
  csv.assign((std::istreambuf_iterator<char>(f2)), std::istreambuf_iterator<char>());
  EXPECT_NE(csv.find("\r\nRA12-6080 には入りません。"), std::string::npos) << csv;
  CliRun packed = run("layout " + sample + " --enclosure RA:RA12-6080 --pack --clearance 10 "
                      "--mount free --dxf " + (dir / "packed.dxf").string());
  EXPECT_EQ(packed.code, 0) << packed.out;
  EXPECT_NE(packed.out.find("盤内温度上昇 5.7 K"), std::string::npos) << packed.out;

  // A small plate: what does not fit is listed, the drawing is still written, exit 3.
  std::ofstream(dir / "list.txt", std::ios::binary)
      << "NF1\tZRGT2006-M\r\nCB1\tNF63-CV 3P\r\nCB2\tNF63-CV 3P\r\n";
  CliRun some = run("layout " + (dir / "list.txt").string() + " --enclosure RA:RA12-3530 --dxf " +
                    (dir / "small.dxf").string());
  EXPECT_EQ(some.code, 3) << some.out;
  EXPECT_NE(some.out.find("\nnot placed: CB2 (NF63-CV 3P, line 3)\n"), std::string::npos)
      << some.out;
  EXPECT_TRUE(fs::exists(dir / "small.dxf"));

  std::ofstream(dir / "bad.txt", std::ios::binary) << "MC1\tS-T10\r\n// x\r\nX1\tNOPE\r\n";
  struct Case {
    std::string args, says;
    int code;
  } cases[] = {
      {"layout " + (dir / "bad.txt").string() + " --enclosure RA:RA12-6080",
       "line 3: model \"NOPE\" is not in the catalogue", 1},
      {"layout LAYOUT_SAMPLE.txt --enclosure RA:NOPE", "enclosure \"NOPE\" is not in", 1},
      {"layout LAYOUT_SAMPLE.txt", "--enclosure FAMILY:MODEL is needed", 2},
      {"layout LAYOUT_SAMPLE.txt --enclosure RA:RA12-6080 --duct 0", "--duct needs", 2},
      {"layout LAYOUT_SAMPLE.txt --enclosure RA:RA12-6080 --clearance -1", "--clearance needs", 2},
      {"layout LAYOUT_SAMPLE.txt --enclosure RA:RA12-6080 --rail-stock 0", "--rail-stock needs", 2},
      {"layout LAYOUT_SAMPLE.txt --enclosure RA:RA12-6080 --mount roof", "--mount needs", 2},
      {"layout " + (dir / "none.txt").string() + " --enclosure RA:RA12-6080", "no device list", 1},
  };
  for (const Case& c : cases) {
    CliRun b = run(c.args);
    EXPECT_EQ(b.code, c.code) << c.args;
    EXPECT_NE(b.out.find(c.says), std::string::npos) << b.out;
    EXPECT_EQ(std::count(b.out.begin(), b.out.end(), '\n'), 1) << "one line: " << b.out;
  }
}

}  // namespace

#include "catalogue/user_collation.h"

namespace {

// The command-line tool and the window sort a catalogue with one collation: a line number that
// one prints is the line the other shows, non-ASCII lines included.
TEST_F(CliEnclosure, SearchNumbersLinesAsTheWindowDoes) {
  fs::path cat = dir / "TOVEK.txt";
  std::string text =
      "\xEF\xBB\xBFリレー\tMY4N\r\nabc\tx\r\nÄpfel\tA\r\n端子台\tTB\r\nZeta\tZ\r\nalpha\ta\r\n";
  std::ofstream(cat, std::ios::binary) << text;
  const char* before = std::getenv("LANG");
  std::string saved = before ? before : "";
  for (const char* lang : {"C", "C.UTF-8"}) {
    SCOPED_TRACE(lang);
    ::setenv("LANG", lang, 1);
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_COLLATE");
    qarn::catalogue::CatalogueCache cache(qarn::catalogue::userCollationSorter());
    auto shown = cache.load(cat.string());
    ASSERT_TRUE(shown);
    std::string expected;
    for (const auto& r : shown->records)
      expected += std::to_string(r.lineNumber) + "\t" + r.field(0) + "\n";
    CliRun r = run("search " + cat.string());
    std::string got;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
      got += line.substr(0, line.find('\t', line.find('\t') + 1)) + "\n";
    EXPECT_EQ(got, expected);
  }
  if (before)
    ::setenv("LANG", saved.c_str(), 1);
  else
    ::unsetenv("LANG");
}

}  // namespace

#include "cad/numbers.h"
#include "cad/sim/display_list.h"
#include "cad/sim/dxf_reader.h"

namespace {

// resave: another program's drawing opened and saved as the drawing window does; it says what the
// saved file holds per kind, what the opened one held beyond it, and the extents.
TEST_F(CliEnclosure, ResaveSaysWhatTheSavedFileKeepsAndTheExtents) {
  QARN_NEEDS_SAMPLES("dxf");
  fs::path sample = qarn::testing::samplesFolder("dxf");
  fs::path out = dir / "resaved.dxf";
  CliRun r = run("resave " + (sample / "sample_2018.dxf").string() + " --dxf " + out.string());
  ASSERT_EQ(r.code, 0) << r.out;
  auto x = qarn::cad::sim::buildDisplayList(
               qarn::cad::sim::readDxfFile((sample / "sample_2018.dxf").string()).drawing)
               .extents;
  using qarn::cad::writeNumber;
  std::string extents = "extents\t" + writeNumber(x.min.x) + "," + writeNumber(x.min.y) + "\t" +
                        writeNumber(x.max.x) + "," + writeNumber(x.max.y) + "\n";
  EXPECT_EQ(
      r.out.rfind("wrote " + out.string() +
                      "\nkept\tCIRCLE\t1\nkept\tLINE\t3\nkept\tLWPOLYLINE\t1\nkept\tTEXT\t1\n",
                  0),
      0u)
      << r.out;
  EXPECT_NE(r.out.find("\nnot kept\tHEADER: "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - extents.size()), extents);
  EXPECT_FALSE(x.empty());

  r = run("resave " + (dir / "none.dxf").string() + " --dxf " + out.string());
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out.rfind("qarn-cli resave: cannot open ", 0), 0u) << r.out;
  EXPECT_EQ(run("resave " + (sample / "sample_2018.dxf").string()).code, 2);
}

}  // namespace
