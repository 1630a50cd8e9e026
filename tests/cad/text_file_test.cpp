#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "../scratch_folder.h"
#include "cad/huge_pages.h"
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
  EXPECT_EQ(decodeText("\x85\x40\xB1", TextEncoding::ShiftJis), "\xEF\xBF\xBD@ｱ")
      << "an undefined pair: its second byte stands on its own";
  EXPECT_EQ(decodeText("\x92", TextEncoding::ShiftJis), "\xEF\xBF\xBD") << "a lead byte at the end";
  EXPECT_EQ(decodeText("\xA0\xFD\xFF", TextEncoding::ShiftJis),
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD")
      << "bytes some code pages map to private characters are no Shift-JIS text";
  EXPECT_EQ(decodeText(encodeText("Φ22 😀", TextEncoding::Utf16LeBom), TextEncoding::Utf16LeBom),
            "Φ22 😀");
  EXPECT_EQ(decodeText("A\xFF\xC0\x8A端\xE7", TextEncoding::Utf8Bom),
            "A\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD端\xEF\xBF\xBD")
      << "a stray byte, an overlong line feed and a cut character in UTF-8";
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
  TextFileOnDisk() : dir(scratch::folder("qarn-text")) {}
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
    auto f = readTextFile(scratch::text(p));
    ASSERT_TRUE(f) << c.name;
    EXPECT_EQ(f->encoding, c.encoding) << c.name;
    writeTextFile(scratch::text(p), *f);
    EXPECT_EQ(bytesOf(p), c.bytes) << c.name;
  }
  EXPECT_FALSE(readTextFile(scratch::text(dir / "none.txt")));
}

TEST_F(TextFileOnDisk, ARefusedCharacterLeavesTheFileUntouched) {
  fs::path p = dir / "cat.txt";
  std::string before = "\x92\x5B\x8E\x71\x91\xE4\r\n";
  std::ofstream(p, std::ios::binary) << before;
  TextFile f = *readTextFile(scratch::text(p));
  f.lines.push_back("리레이");  // Hangul: not in Shift-JIS
  EXPECT_THROW(writeTextFile(scratch::text(p), f), EncodingError);
  EXPECT_EQ(bytesOf(p), before);
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename(), "cat.txt");
}

TEST_F(TextFileOnDisk, AFolderThatCannotTakeTheFileIsAClearError) {
  fs::path target = dir / "gone" / "x.txt";
  try {
    writeFileAtomically(scratch::text(target), "x");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(scratch::text(target)), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(dir / "gone"));
}

// A file read with bytes its encoding does not define is not written back: the replacement
// characters would take the place of the user's bytes for good.
TEST_F(TextFileOnDisk, AFileWithUndefinedBytesIsNotRewritten) {
  struct Case {
    const char* name;
    std::string bytes;
    int line;
  };
  for (const Case& c : std::vector<Case>{
           {"utf8.txt", "\xEF\xBB\xBFok\r\nbad \xC3\x28 here\r\n", 2},
           {"utf8-literal.txt", "\xEF\xBB\xBF\xEF\xBF\xBD spelled out\r\n", 0},
           {"utf16.txt", std::string("\xFF\xFEo\0k\0\r\0\n\0\x00\xDC\r\0\n\0", 16), 2},
           {"utf16-odd.txt", std::string("\xFF\xFEo\0k", 5), 1},
           {"sjis.txt", "A\r\nB\r\nC\x80\r\n", 3},
       }) {
    fs::path p = dir / c.name;
    std::ofstream(p, std::ios::binary) << c.bytes;
    TextFile f = *readTextFile(scratch::text(p));
    EXPECT_EQ(f.badLine, c.line) << c.name;
    if (c.line == 0) continue;
    try {
      writeTextFile(scratch::text(p), f);
      ADD_FAILURE() << c.name << " was rewritten";
    } catch (const EncodingError& e) {
      EXPECT_NE(std::string(e.what()).find(std::to_string(c.line) + " 行目"), std::string::npos)
          << e.what();
    }
    EXPECT_EQ(bytesOf(p), c.bytes) << c.name;
  }
}

TEST_F(TextFileOnDisk, AtomicWritesKeepPermissionsRefuseReadOnlyFilesAndLeaveNoTemporary) {
  fs::path p = dir / "keep.txt";
  std::ofstream(p) << "old";
#ifndef _WIN32
  fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  writeFileAtomically(scratch::text(p), "new");
  EXPECT_EQ(bytesOf(p), "new");
  EXPECT_EQ(fs::status(p).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#else
  writeFileAtomically(scratch::text(p), "new");
  EXPECT_EQ(bytesOf(p), "new");
#endif
  // A read-only file is refused (also for a user whom the system would let write it).
  fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
  try {
    writeFileAtomically(scratch::text(p), "newer");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("読み取り専用"), std::string::npos) << e.what();
  }
  EXPECT_EQ(bytesOf(p), "new");
  fs::permissions(p, fs::perms::owner_all);
  // Two writers of one file never share a temporary name.
  writeFileAtomically(scratch::text(p), "a");
  writeFileAtomically(scratch::text(p), "b");
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1) << "no temporary left";
  // Content made in pieces: all of it arrives; a maker that fails half-way changes nothing and
  // leaves no temporary.
  writeFileAtomically(scratch::text(p), [](const ByteSink& sink) {
    sink("one ");
    sink(std::string(3 << 20, 'x'));
    sink("two");
  });
  EXPECT_EQ(bytesOf(p), "one " + std::string(3 << 20, 'x') + "two");
  EXPECT_THROW(writeFileAtomically(scratch::text(p),
                                   [](const ByteSink& sink) {
                                     sink("half");
                                     throw EncodingError("x", "x");
                                   }),
               EncodingError);
  EXPECT_EQ(bytesOf(p), "one " + std::string(3 << 20, 'x') + "two");
  files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1) << "no temporary left";
  try {
    writeFileAtomically(scratch::text(dir / "no" / "such.txt"), "x");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("書き込めません"), std::string::npos) << e.what();
  }
}

// A character spelt in more bytes than it needs, or a surrogate spelt in UTF-8, is no character:
// read as one, C0 8A would be a line feed that splits a record.
TEST_F(TextFileOnDisk, OverlongUtf8AndEncodedSurrogatesAreMalformed) {
  for (const std::string& bad : {std::string("\xC0\x8A"), std::string("\xC1\xBF"),
                                 std::string("\xE0\x80\x8A"), std::string("\xED\xA0\x80"),
                                 std::string("\xF0\x80\x80\x8A"), std::string("\xF4\x90\x80\x80")}) {
    fs::path p = dir / "bad.txt";
    std::string bytes = "\xEF\xBB\xBF" "a" + bad + "b\r\nline 2\r\n";
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
    TextFile f = *readTextFile(scratch::text(p));
    EXPECT_EQ(f.lines.size(), 2u) << "no line is split";
    EXPECT_EQ(f.badLine, 1);
    f.lines[1] = "line two";
    EXPECT_THROW(writeTextFile(scratch::text(p), f), EncodingError);
    EXPECT_EQ(bytesOf(p), bytes);
  }
  EXPECT_EQ(decodeText("\xED\x9F\xBF\xEE\x80\x80", TextEncoding::Utf8Bom), "\uD7FF\uE000")
      << "the code points around the surrogates are characters";
}

// Code page 932 has no yen sign, overline, em dash, wave dash or minus of their own; writing
// them as the backslash or the full-width look-alikes would change the user's text.
TEST(TextFile, CharactersShiftJisCannotHoldAreRefused) {
  for (const char* ch : {"¥", "‾", "—", "〜", "−", "¢", "£", "¬", "‖"}) {
    try {
      encodeText(std::string("A") + ch, TextEncoding::ShiftJis);
      ADD_FAILURE() << ch << " was written";
    } catch (const EncodingError& e) {
      EXPECT_EQ(e.character(), ch);
    }
  }
  EXPECT_EQ(encodeText("\\~￥―～－￠￡￢∥", TextEncoding::ShiftJis),
            "\\~\x81\x8F\x81\x5C\x81\x60\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x61");
}

// NEC and IBM extensions spell some characters twice; a rewrite leaves the lines the user did
// not touch in the bytes they had, and spells a new line as the code page prefers.
TEST_F(TextFileOnDisk, ARewriteKeepsTheBytesOfUntouchedLines) {
  fs::path p = dir / "dup.txt";
  const std::string kept = "\xED\x40\t\x87\x90\r\n\xEE\xF9\r\n\xFA\x5C\r\nA\r\n\xED\x40\r\n";
  std::ofstream(p, std::ios::binary) << kept;
  TextFile f = *readTextFile(scratch::text(p));
  ASSERT_EQ(f.lines[0], "纊\t≒");
  f.lines[3] = "B";
  f.lines.push_back("纊≒￢");
  writeTextFile(scratch::text(p), f);
  EXPECT_EQ(bytesOf(p), "\xED\x40\t\x87\x90\r\n\xEE\xF9\r\n\xFA\x5C\r\nB\r\n\xED\x40\r\n"
                        "\xFA\x5C\x81\xE0\x81\xCA\r\n");
}

// A file full of bytes Shift-JIS does not define reads in linear time (it took seconds).
TEST(TextFile, ShiftJisAfterRunsOfAsciiOfEveryLength) {
  // A half-width kana (one byte) or a kanji (two) after a run of ASCII of every length, and
  // ASCII after it: runs of ASCII are read eight bytes at a time, so each place in an eight-byte
  // step must notice the byte that is not ASCII.
  for (const char* other : {"ｱ", "漢"}) {
    for (std::size_t k = 0; k < 20; ++k) {
      std::string text = std::string(k, 'A') + other + "BCDEFGHIJKLMNOP" + other;
      std::string sjis = encodeText(text, TextEncoding::ShiftJis);
      EXPECT_EQ(decodeText(sjis, TextEncoding::ShiftJis), text) << k;
    }
  }
}

TEST(TextFile, UndefinedShiftJisBytesReadInLinearTime) {
  std::string bytes;
  while (bytes.size() < 4000000) bytes += "\x80\xA0";
  auto start = std::chrono::steady_clock::now();
  std::string text = decodeText(bytes, TextEncoding::ShiftJis);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(text.size(), bytes.size() * 3);
}

// A link to a shared catalogue stays a link; a file with other names is not split from them;
// the owner and group stay where the system lets them.
TEST_F(TextFileOnDisk, WritesGoThroughLinksAndKeepOtherNamesAndOwners) {
  fs::create_directories(dir / "shared");
  fs::path shared = dir / "shared" / "cat.txt";
  std::ofstream(shared) << "old";
  std::error_code ec;
  fs::create_symlink(shared, dir / "link.txt", ec);
  if (!ec) {
    writeFileAtomically(scratch::text(dir / "link.txt"), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(bytesOf(shared), "new");
  }
  const std::string before = bytesOf(shared);
  fs::create_hard_link(shared, dir / "other-name.txt", ec);
  if (!ec) {
    try {
      writeFileAtomically(scratch::text(shared), "newer");
      ADD_FAILURE() << "a file with two names was replaced";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("ハードリンク"), std::string::npos) << e.what();
    }
    EXPECT_EQ(bytesOf(dir / "other-name.txt"), before);
    EXPECT_EQ(bytesOf(shared), before);
    fs::remove(dir / "other-name.txt");
  }
#ifndef _WIN32
  if (::geteuid() != 0) GTEST_SKIP() << "owners can be given away only by the administrator";
  ASSERT_EQ(::chown(shared.c_str(), 4242, 4343), 0);
  writeFileAtomically(scratch::text(shared), "by root");
  struct stat st {};
  ASSERT_EQ(::stat(shared.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4242u);
  EXPECT_EQ(st.st_gid, 4343u);
  // Another user whom the folder lets replace files but the file's mode does not let write.
  fs::permissions(dir, fs::perms::all);
  fs::permissions(shared.parent_path(), fs::perms::all);
  ASSERT_EQ(::chown(shared.c_str(), 0, 0), 0);
  fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write |
                              fs::perms::group_read | fs::perms::others_read);
  pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    try {
      writeFileAtomically(scratch::text(shared), "by nobody");
      ::_exit(1);
    } catch (const std::runtime_error& e) {
      ::_exit(std::string(e.what()).find("読み取り専用") != std::string::npos ? 0 : 2);
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written, 2: another message, 3: no such user";
  EXPECT_EQ(bytesOf(shared), "by root");
#endif
}

TEST(FieldValues, OneTrailingLineBreakGoesAnyOtherIsRefused) {
  EXPECT_EQ(fieldValue("MY4N\r\n", "型番"), "MY4N");
  EXPECT_EQ(fieldValue("MY4N\n", "型番"), "MY4N");
  EXPECT_EQ(fieldValue("", "型番"), "");
  for (const char* bad : {"a\tb", "a\r\nb", "a\r\n\r\n", "\t"}) {
    try {
      fieldValue(bad, "型番");
      ADD_FAILURE() << bad;
    } catch (const FieldError& e) {
      EXPECT_NE(std::string(e.what()).find("型番"), std::string::npos);
    }
  }
}

#ifdef __linux__
// The address ranges of this process advised for huge pages ("hg" among a mapping's flags).
std::vector<std::pair<std::uintptr_t, std::uintptr_t>> hugePageRanges() {
  std::ifstream smaps("/proc/self/smaps");
  std::vector<std::pair<std::uintptr_t, std::uintptr_t>> ranges;
  std::uintptr_t from = 0, to = 0;
  for (std::string line; std::getline(smaps, line);) {
    std::uintptr_t a = 0, b = 0;
    if (std::sscanf(line.c_str(), "%zx-%zx ", &a, &b) == 2) {
      from = a;
      to = b;
      continue;
    }
    if (line.rfind("VmFlags:", 0) == 0 && (line + " ").find(" hg ") != std::string::npos)
      ranges.emplace_back(from, to);
  }
  return ranges;
}

// A large buffer's whole 2 MB pages are advised, nothing beside it; a small one is left alone.
TEST(HugePages, AdviceCoversTheWhole2MbPagesInsideALargeBufferOnly) {
  if (!fs::exists("/sys/kernel/mm/transparent_hugepage"))
    GTEST_SKIP() << "this system's kernel has no huge pages to hand out";
  constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
  std::string small;
  std::vector<std::uint64_t> large;
  reserveLarge(small, kHuge - 4096);
  reserveLarge(large, (7 * kHuge + 12345) / sizeof(std::uint64_t));
  const auto begin = reinterpret_cast<std::uintptr_t>(large.data());
  const auto end = begin + large.capacity() * sizeof(std::uint64_t);
  const std::uintptr_t first = (begin + kHuge - 1) / kHuge * kHuge, last = end / kHuge * kHuge;
  bool inside = false;
  for (auto [from, to] : hugePageRanges()) {
    EXPECT_FALSE(from < reinterpret_cast<std::uintptr_t>(small.data()) + small.capacity() &&
                 to > reinterpret_cast<std::uintptr_t>(small.data()));
    if (from < end && to > begin) {  // neighbours advised alike may share its mapping
      EXPECT_GE(std::max(from, begin), first);
      EXPECT_LE(std::min(to, end), last);
      inside = inside || (from <= first && to >= last);
    }
  }
  EXPECT_TRUE(inside) << "the buffer's whole 2 MB pages are not advised";
}
#endif

}  // namespace
}  // namespace qarn::cad
