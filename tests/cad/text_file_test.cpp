#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cad/text_file.h"

namespace qarn::cad {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(TextFile, LinesEndWithCrLfOrEitherAlone) {
  using L = std::vector<std::string>;
  EXPECT_EQ(splitLines(""), L{});
  EXPECT_EQ(splitLines("a"), L{"a"});
  EXPECT_EQ(splitLines("a\r\nb\rc\nd"), (L{"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines("a\r\n\r\n"), (L{"a", ""}));
  EXPECT_EQ(splitLines("\n"), L{""});
}

TEST(TextFile, ShiftJisAndUtf16DecodeAndEncode) {
  // 端子台 in code page 932.
  std::string sjis = "\x92\x5B\x8E\x71\x91\xE4";
  EXPECT_EQ(decodeText(sjis, TextEncoding::ShiftJis), "端子台");
  EXPECT_EQ(encodeText("端子台", TextEncoding::ShiftJis), sjis);
  EXPECT_EQ(encodeText("①～", TextEncoding::ShiftJis), "\x87\x40\x81\x60")
      << "code page 932 extensions";
  EXPECT_EQ(decodeText("A\x80Z", TextEncoding::ShiftJis), "A\xEF\xBF\xBDZ") << "an undefined byte";
  EXPECT_EQ(decodeText(encodeText("Φ22 😀", TextEncoding::Utf16LeBom), TextEncoding::Utf16LeBom),
            "Φ22 😀");
  EXPECT_EQ(encodeText("A端", TextEncoding::Utf16BeBom), std::string("\x00\x41\x7A\xEF", 4));
  try {
    encodeText("AB😀C", TextEncoding::ShiftJis);
    FAIL();
  } catch (const EncodingError& e) {
    EXPECT_EQ(e.character(), "😀");
  }
}

class TextFileOnDisk : public ::testing::Test {
 protected:
  TextFileOnDisk() : dir(fs::temp_directory_path() / ("qarn-text-" + std::to_string(::getpid()))) {
    fs::create_directories(dir);
  }
  ~TextFileOnDisk() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(TextFileOnDisk, EachEncodingRoundTripsByteForByte) {
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
  };
  for (const Case& c : std::vector<Case>{
           {"sjis.txt", "\x92\x5B\x8E\x71\x91\xE4\t1,200\r\nMC\r\n", TextEncoding::ShiftJis},
           {"utf8.txt", "\xEF\xBB\xBF端子台\t1,200\r\nMC\r\n", TextEncoding::Utf8Bom},
           {"utf16.txt", std::string("\xFF\xFE\x2F\x7AP\0\r\0\n\0", 10), TextEncoding::Utf16LeBom},
       }) {
    fs::path p = dir / c.name;
    std::ofstream(p, std::ios::binary) << c.bytes;
    auto f = readTextFile(p.string());
    ASSERT_TRUE(f) << c.name;
    EXPECT_EQ(f->encoding, c.encoding) << c.name;
    writeTextFile(p.string(), *f);
    EXPECT_EQ(bytesOf(p), c.bytes) << c.name;
  }
  EXPECT_FALSE(readTextFile((dir / "none.txt").string()));
}

TEST_F(TextFileOnDisk, ARefusedCharacterLeavesTheFileUntouched) {
  fs::path p = dir / "cat.txt";
  std::string before = "\x92\x5B\x8E\x71\x91\xE4\r\n";
  std::ofstream(p, std::ios::binary) << before;
  TextFile f = *readTextFile(p.string());
  f.lines.push_back("리레이");  // Hangul: not in Shift-JIS
  EXPECT_THROW(writeTextFile(p.string(), f), EncodingError);
  EXPECT_EQ(bytesOf(p), before);
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename(), "cat.txt");
}

TEST_F(TextFileOnDisk, AFolderThatCannotTakeTheFileIsAClearError) {
  fs::path target = dir / "gone" / "x.txt";
  try {
    writeFileAtomically(target.string(), "x");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(target.string()), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(dir / "gone"));
}

}  // namespace
}  // namespace qarn::cad
