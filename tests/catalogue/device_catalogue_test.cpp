#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <sstream>
#include <thread>

#include "../scratch_folder.h"
#include "cad/text_file.h"
#include "catalogue/device_catalogue.h"

namespace qarn::catalogue {
namespace {

namespace fs = std::filesystem;

class DeviceCatalogue : public ::testing::Test {
 protected:
  DeviceCatalogue() : dir(scratch::folder("qarn-cat")) { path = scratch::text(dir / "TOVEK.txt"); }
  ~DeviceCatalogue() override { fs::remove_all(dir); }
  void write(const std::string& bytes) {
    std::ofstream(cad::filePath(path), std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string bytes() {
    std::ifstream in(cad::filePath(path), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // The line numbers of the records that match.
  std::vector<int> numbers(const std::string& mask) {
    CatalogueCache cache;
    auto s = cache.load(path);
    std::vector<int> out;
    for (int i : s->filter(mask))
      out.push_back(s->records[i].lineNumber);
    return out;
  }
  fs::path dir;
  std::string path;
};

TEST_F(DeviceCatalogue, NumbersCountCommentLinesInTheSortedFile) {
  write("relay\tMY4N\r\n// comment\r\nBreaker\tNF-32\r\n\r\nContactor\tS-T10\r\n");
  // Sorted ignoring case: "", "// comment", "Breaker", "Contactor", "relay".
  CatalogueCache cache;
  auto s = cache.load(path);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->lines, (std::vector<std::string_view>{"", "// comment", "Breaker\tNF-32",
                                                     "Contactor\tS-T10", "relay\tMY4N"}));
  std::vector<int> all;
  for (const Record& r : s->records)
    all.push_back(r.lineNumber);
  EXPECT_EQ(all, (std::vector<int>{1, 3, 4, 5}))
      << "the empty line is a record, the comment is counted";
  EXPECT_EQ(s->records[0].fields(), Fields{});
  EXPECT_EQ(s->records[1].field(1), "NF-32");
  EXPECT_EQ(s->records[1].field(13), "") << "missing trailing fields are empty";
}

TEST_F(DeviceCatalogue, SearchTermsIgnoreHyphensBlanksAndCaseAndAllMustOccur) {
  write(
      "Breaker\tNF-30 2P\tAC 200V\tMaker A\tmemo\t30\t40\r\n"
      "Breaker\tNF30\t\tMaker B\r\n"
      "Relay\tMY4N\tDC24V\tMaker A\t\t40\r\n"
      "// Breaker NF30 comment\r\n"
      "Lamp\tDR22\tred\tMaker \"Q\"\t\t22\t\t\t\t\t\t\tNF30\r\n");
  // Sorted: the comment (1), Breaker NF-30 (2), Breaker NF30 (3), Lamp (4), Relay (5).
  EXPECT_EQ(numbers("nf30"), (std::vector<int>{2, 3}));
  EXPECT_EQ(numbers("NF-30"), (std::vector<int>{2, 3}));
  EXPECT_EQ(numbers("nf30 2p"), (std::vector<int>{2}));
  EXPECT_EQ(numbers("2p,nf30"), (std::vector<int>{2}));
  EXPECT_EQ(numbers("makera"), (std::vector<int>{2, 5}));
  EXPECT_EQ(numbers("\"maker a\""), (std::vector<int>{2, 5}))
      << "a quoted term loses its blank as the key does";
  EXPECT_EQ(numbers("40"), std::vector<int>{}) << "the size columns are not searched";
  EXPECT_EQ(numbers(" , ,  "), (std::vector<int>{2, 3, 4, 5}))
      << "only blanks and commas filter nothing";
  EXPECT_EQ(numbers("zzz"), std::vector<int>{});
}

TEST(DeviceSearch, FindsEveryKeyHoldingTheTermsWhereverTheyLie) {
  // Keys of every length from a few letters, so that terms fall on every place of a 16-byte
  // block, across the end of one key into the next, and at the very end of the last; the
  // records found are those a plain look at each key finds.
  std::mt19937 rng(3);
  Snapshot s;
  std::vector<std::string> keyTexts;
  for (int i = 0; i < 400; ++i) {
    std::string k;
    for (int n = static_cast<int>(rng() % 40); n > 0; --n)
      k += "ABM4\t"[rng() % 5];
    k += '\t';
    s.keys += k;
    s.keyEnd.push_back(s.keys.size());
  }
  for (const char* mask : {"a", "m", "z", "ab", "ba", "m4", "4m", "bbb", "abm4", "aaaaa",
                           "ab4ma", "m4ab,ba", "a,b,m,4", "mabbam4ab4", "q"}) {
    std::vector<std::string> terms = searchTerms(mask);
    std::vector<int> expected;
    for (std::size_t r = 0; r < s.keyEnd.size(); ++r)
      if (matches(s.key(r), terms)) expected.push_back(static_cast<int>(r));
    EXPECT_EQ(s.filter(mask), expected) << mask;
  }
  // A term found at the very beginning of a key far after the last find.
  s.keys = std::string(30 * 5, 'A');
  s.keyEnd.clear();
  for (std::size_t i = 0; i < 30; ++i) {
    s.keys[i * 5 + 4] = '\t';
    s.keyEnd.push_back(i * 5 + 5);
  }
  s.keys += "BQ\t";
  s.keyEnd.push_back(s.keys.size());
  EXPECT_EQ(s.filter("bq"), std::vector<int>{30});
}

TEST(DeviceSearch, KeyIsTheFirstFiveFieldsInCapitalsWithoutHyphensAndBlanks) {
  struct Case {
    const char* line;
    const char* key;
  } cases[] = {
      {"ab-c d", "ABCD\t"},
      {"m42-1\tx", "M421\tX\t"},
      {"abcdefghijklmnopqrstuvwxyz{`@[\t1\t2\t3\tfifth\tsixth\t7",
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ{`@[\t1\t2\t3\tFIFTH\t"},
      {"\t\t\t\t\t\t", "\t\t\t\t\t"},
      {"端子台 ｱ-á\tdevice", "端子台ｱá\tDEVICE\t"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(searchKey(c.line), c.key) << c.line;
}

TEST(DeviceSort, PlainCollationIgnoresAsciiCaseOnly) {
  // Eight bytes and more, so that whole words of the lines are turned to capitals at once;
  // bytes of UTF-8 text that look like small letters once their top bit is off stay as they are.
  std::vector<std::string_view> lines{"abcdefgh{x", "ABCDEFGH[x", "abcdefgh`x", "ABCDEFGH@x",
                                      "abcdefghá", "ABCDEFGHÁ", "abcdefgha", "ABCDEFGHZ",
                                      "abcdefgh", "ｱｲｳabc", "ｱｲｳABD", "ｱｲｳabb",
                                      "Ёabcdefgh", "zzzzzzzzA", "ZZZZZZZZB"};
  std::vector<std::pair<std::string, std::uint32_t>> reference;
  for (std::uint32_t i = 0; i < lines.size(); ++i) {
    std::string upper(lines[i]);
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    reference.emplace_back(upper, i);
  }
  std::stable_sort(reference.begin(), reference.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  LineOrder order = sortIgnoringCase(lines);
  ASSERT_EQ(order.size(), lines.size());
  for (std::size_t k = 0; k < order.size(); ++k)
    EXPECT_EQ(lines[order[k]], lines[reference[k].second]) << k;
}

TEST(DeviceSort, KeysOrderAsTheirBytesWithTiesByLineThenPlace) {
  // Keys of a few bytes (0 and 0xFF among them) with long shared beginnings, so that runs go
  // several eight-byte steps deep; equal keys, and keys one a prefix of another.
  std::mt19937 rng(5);
  std::string keys;
  std::vector<std::size_t> keyEnd;
  std::vector<std::string> key, line;
  for (int i = 0; i < 3000; ++i) {
    std::string k = std::string(rng() % 3 * 8, 'P');
    for (int n = static_cast<int>(rng() % 12); n > 0; --n)
      k += "\0\x01\x7F\x80\xFF"[rng() % 5];
    key.push_back(k);
    line.push_back(std::string(1, static_cast<char>('a' + rng() % 3)));
    keys += k;
    keyEnd.push_back(keys.size());
  }
  std::vector<std::string_view> tie(line.begin(), line.end());
  for (bool withTie : {false, true}) {
    std::vector<std::uint32_t> expected(key.size());
    std::iota(expected.begin(), expected.end(), 0u);
    std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
      auto ka = reinterpret_cast<const unsigned char*>(key[a].data());
      auto kb = reinterpret_cast<const unsigned char*>(key[b].data());
      if (std::lexicographical_compare(ka, ka + key[a].size(), kb, kb + key[b].size())) return true;
      if (key[a] != key[b]) return false;
      return withTie && line[a] < line[b];
    });
    EXPECT_EQ(orderByKeys(keys, keyEnd, withTie ? &tie : nullptr), expected) << withTie;
  }
}

TEST(DeviceRecord, DimensionStringOfFiveNumbers) {
  Fields f = splitFields("x\tm\ts\tmk\tmemo\t30\t45.5\t\tabc\t1e2");
  EXPECT_EQ(dimensionString(f), "30 45.5 0 0 100");
  EXPECT_EQ(dimensionString(Fields{}), "0 0 0 0 0");
  Fields many = splitFields("1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16");
  EXPECT_EQ(many[13], "14") << "fields beyond the fourteenth are ignored";
}

TEST_F(DeviceCatalogue, TheCacheServesUntilTheFileChanges) {
  write("A\tone\r\n");
  CatalogueCache cache;
  auto first = cache.load(path);
  EXPECT_EQ(cache.load(path), first);
  write("A\ttwo\r\n");  // same size, written later
  fs::last_write_time(cad::filePath(path),
                      fs::last_write_time(cad::filePath(path)) + std::chrono::seconds(1));
  auto second = cache.load(path);
  ASSERT_NE(second, first);
  EXPECT_EQ(second->records[0].field(1), "two");
  write("A\tthree\r\nB\r\n");
  EXPECT_EQ(cache.load(path)->records.size(), 2u);
  fs::remove(cad::filePath(path));
  EXPECT_EQ(cache.load(path), nullptr);
}

// An edit writes the lines it does not change in their own bytes: 纊 stays ED 40, though a
// fresh encoding would spell it FA 5C.
TEST_F(DeviceCatalogue, AnUpdateKeepsTheBytesOfTheOtherLines) {
  write("\xED\x40\tA\r\nB\r\n");
  updateLine(path, 1, "B", "C", sortIgnoringCase);  // sorted: B, then 纊
  EXPECT_EQ(bytes(), "C\r\n\xED\x40\tA\r\n");
}

// An edit outside QARN that keeps the size and the modification time (a tool that restores the
// time) is seen: the file's change time moved.
TEST_F(DeviceCatalogue, AChangeKeepingSizeAndModificationTimeIsSeen) {
  write("A\tone\r\n");
  auto old = fs::last_write_time(cad::filePath(path)) - std::chrono::hours(1);
  fs::last_write_time(cad::filePath(path), old);
  CatalogueCache cache;
  auto first = cache.load(path);
  write("A\ttwo\r\n");
  fs::last_write_time(cad::filePath(path), old);
  EXPECT_EQ(cache.load(path)->records[0].field(1), "two");
}

TEST_F(DeviceCatalogue, UpdateRewritesTheFileSortedWithFourteenFields) {
  write("zeta\tZ\r\n// note\r\nalpha\tA\tspec\r\n");
  // Sorted: "// note", "alpha...", "zeta..."; alpha is line 2.
  updateLine(path, 2, "alpha\tA\tspec", "alpha\tA2\tspec\t\t\t\t\t\t\t\t\t\t\t", sortIgnoringCase);
  EXPECT_EQ(bytes(), "// note\r\nalpha\tA2\tspec\t\t\t\t\t\t\t\t\t\t\t\r\nzeta\tZ\r\n");
  appendLine(path, "beta\tB");
  EXPECT_EQ(bytes(), "// note\r\nalpha\tA2\tspec\t\t\t\t\t\t\t\t\t\t\t\r\nzeta\tZ\r\nbeta\tB\r\n");
  deleteLine(path, 4, "zeta\tZ", sortIgnoringCase);  // sorted: note, alpha, beta, zeta
  EXPECT_EQ(bytes(), "// note\r\nalpha\tA2\tspec\t\t\t\t\t\t\t\t\t\t\t\r\nbeta\tB\r\n");
}

// The row editor is open on line 4 while line 2 is deleted from the grid: line 4 now holds the
// next record. Its update must not overwrite that record.
TEST_F(DeviceCatalogue, AnEditForALineThatMovedIsRefused) {
  write("a\tA\r\nb\tB\r\nc\tC\r\nd\tD\r\ne\tE\r\n");
  CatalogueCache cache;
  auto shown = cache.load(path);
  std::string editedLine(shown->lines[3]);  // "d\tD", open in the row editor
  deleteLine(path, 2, shown->lines[1], sortIgnoringCase);
  std::string after = bytes();
  try {
    updateLine(path, 4, editedLine, "d\tD2", sortIgnoringCase);
    FAIL() << "the record now on line 4 was overwritten";
  } catch (const EditRefused& e) {
    EXPECT_EQ(std::string(e.what()), kFileChangedMessage);
  }
  EXPECT_EQ(bytes(), after);
  // The same for a second delete of what the grid showed as line 2.
  EXPECT_THROW(deleteLine(path, 2, shown->lines[1], sortIgnoringCase), EditRefused);
  // Read again, the edit goes through.
  auto again = cache.load(path);
  updateLine(path, 3, again->lines[2], "d\tD2", sortIgnoringCase);
  EXPECT_EQ(bytes(), "a\tA\r\nc\tC\r\nd\tD2\r\ne\tE\r\n");
}

TEST(RecordLine, PastedValuesLoseTheirLineBreakAndATabIsRefused) {
  EXPECT_EQ(recordLine({"リレー", "MY4N\r\n", ""}, {"名称", "型番", "仕様"}), "リレー\tMY4N\t");
  try {
    recordLine({"リレー", "MY\t4N"}, {"名称", "型番"});
    FAIL();
  } catch (const cad::FieldError& e) {
    EXPECT_NE(std::string(e.what()).find("型番"), std::string::npos);
  }
}

TEST_F(DeviceCatalogue, RefusedEditsLeaveTheBytesAlone) {
  std::string before = "b\r\na\r\n";
  write(before);
  EXPECT_THROW(updateLine(path, 3, "", "c", sortIgnoringCase), EditRefused) << "beyond the end";
  EXPECT_THROW(updateLine(path, 0, "", "c", sortIgnoringCase), EditRefused);
  EXPECT_THROW(deleteLine(path, 9, "", sortIgnoringCase), EditRefused);
  EXPECT_THROW(updateLine(path, 1, "a", "한국어", sortIgnoringCase), cad::EncodingError);
  // Line 1 holds "a": an edit made for another text there is refused.
  EXPECT_THROW(updateLine(path, 1, "b", "c", sortIgnoringCase), EditRefused);
  EXPECT_THROW(deleteLine(path, 2, "a", sortIgnoringCase), EditRefused);
  EXPECT_THROW(appendLine(path, "🙂"), cad::EncodingError);
  EXPECT_EQ(bytes(), before);
  fs::remove(cad::filePath(path));
  EXPECT_THROW(appendLine(path, "x"), EditRefused);
  EXPECT_FALSE(fs::exists(cad::filePath(path))) << "no file is made";
}

TEST_F(DeviceCatalogue, EachEncodingRoundTripsByteForByteThroughAnUnchangedUpdate) {
  std::string lines =
      "端子台\tTB-15\t15A\t春日\t\t10\t40\t30\t\t\t4.5\t\t\t\r\n"
      "表示灯\tDR22\t赤\t富士\t\t22\t22\t60\t\t\t1\t\t\tC:22\r\n";
  std::string utf16;
  for (unsigned char c : std::string("A\tB\r\nC\tD\r\n")) {
    utf16 += static_cast<char>(c);
    utf16 += '\0';
  }
  for (const std::string& file : {cad::encodeText(lines, cad::TextEncoding::ShiftJis),
                                  "\xEF\xBB\xBF" + lines, "\xFF\xFE" + utf16}) {
    write(file);
    CatalogueCache cache;
    auto s = cache.load(path);
    const Record& r = s->records[0];
    std::string line(s->lines[r.lineNumber - 1]);
    updateLine(path, r.lineNumber, line, line, sortIgnoringCase);
    EXPECT_EQ(bytes(), file);
  }
}

// A large file is read and decoded a run of lines at a time: wherever the runs are cut (inside a
// character or a surrogate pair, between CR and LF, inside a line longer than a run, among bytes
// Shift-JIS does not define), the lines are those of the whole file decoded at once.
TEST_F(DeviceCatalogue, ALargeFileReadInRunsHoldsTheLinesOfTheWholeFile) {
  std::mt19937 rng(3);
  const char* words[] = {"端子台", "TB-15", "赤", "\t", "12", "富士", "\r\n", "\n", "𠀋"};
  auto some = [&](std::size_t bytes) {
    std::string t;
    while (t.size() < bytes)
      t += words[rng() % std::size(words)];
    return t;
  };
  // 一 and ਅ side by side spell a line feed in UTF-16 across two characters, ahead of the first
  // line feed of the file and of the first line feed after the piece the long line crosses.
  std::string head = "ਅ一ਅ" + some(300000), tail = "ਅ一ਅ" + some(400000), line, sjisLine;
  for (int i = 0; i < 180000; ++i) {
    line += "端子𠀋";  // one line longer than a run in every encoding
    sjisLine += "端子表";  // the same without what Shift-JIS lacks
  }
  auto sjis = [](std::string t) {  // what Shift-JIS lacks written 表
    std::string out;
    for (std::size_t at = 0; at < t.size();) {
      std::size_t n = t.compare(at, 4, "𠀋") == 0 ? 4 : t.compare(at, 3, "ਅ") == 0 ? 3 : 0;
      out += n ? "表" : t.substr(at++, 1);
      at += n;
    }
    return cad::encodeText(out, cad::TextEncoding::ShiftJis);
  };
  std::string sjisHead = sjis(head), sjisTail = sjis(tail);
  sjisLine = cad::encodeText(sjisLine, cad::TextEncoding::ShiftJis);
  std::vector<std::string> files;
  for (std::string pad : {"", "p", "pp", "ppp"}) {
    std::string text = pad + head + line + tail + "\r\nend";
    files.push_back(pad + sjisHead + sjisLine + sjisTail + "\x80\xA0\r\n\xFD");
    files.push_back("\xEF\xBB\xBF" + text + "\xC3");
    std::string utf16 = cad::encodeText(text, cad::TextEncoding::Utf16LeBom);
    files.push_back("\xFF\xFE" + utf16);
    for (std::size_t i = 0; i + 1 < utf16.size(); i += 2)
      std::swap(utf16[i], utf16[i + 1]);
    files.push_back("\xFE\xFF" + utf16);
  }
  for (const std::string& file : files) {
    write(file);
    std::size_t mark = 0;
    cad::TextEncoding encoding = cad::detectEncoding(file, mark);
    std::string whole = cad::decodeText(file.substr(mark), encoding);
    std::vector<std::string_view> lines = cad::splitLineViews(whole);
    LineOrder order = sortIgnoringCase(lines);
    CatalogueCache cache;
    auto s = cache.load(path);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->encoding, encoding);
    ASSERT_EQ(s->lines.size(), lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k)
      ASSERT_EQ(s->lines[k], lines[order[k]]) << "line " << k << " of a file in encoding "
                                               << static_cast<int>(encoding);
  }
}

// A sorter of the caller's own, which hands back no buffer of its own, orders the lines as well.
TEST_F(DeviceCatalogue, ASorterOfTheCallersOwnOrdersTheLines) {
  std::string file;
  for (int i = 0; i < 3000; ++i)
    file += "line " + std::to_string(i) + "\tA\r\n";
  write(file);
  CatalogueCache cache([](const std::vector<std::string_view>& lines) {
    LineOrder backwards(lines.size());
    std::iota(backwards.rbegin(), backwards.rend(), 0u);
    return backwards;
  });
  auto s = cache.load(path);
  ASSERT_EQ(s->lines.size(), 3000u);
  EXPECT_EQ(s->lines.front(), "line 2999\tA");
  EXPECT_EQ(s->lines[1500], "line 1499\tA");
  EXPECT_EQ(s->lines.back(), "line 0\tA");
}

// An update writes a file larger than the pieces it is written in whole, once.
TEST_F(DeviceCatalogue, AnUpdateOfALargeFileWritesEveryLineOnce) {
  std::string file;
  char line[32];
  for (int i = 0; i < 90000; ++i) {
    std::snprintf(line, sizeof line, "line %06d\tA\r\n", i);
    file += line;
  }
  write(file);
  updateLine(path, 45001, "line 045000\tA", "line 045000\tB", sortIgnoringCase);
  std::string want = file;
  want.replace(want.find("line 045000\tA"), 13, "line 045000\tB");
  EXPECT_EQ(bytes(), want);
}

TEST(DeviceNumber, StepsAroundTheLastDigits) {
  struct Case {
    std::string text;
    int step;
    std::optional<std::string> want;
  };
  for (const Case& c : std::vector<Case>{
           {"X09", +1, "X10"},
           {"A01", -1, "A0"},
           {"A0", -1, std::nullopt},
           {"CB-09A", +1, "CB-10A"},
           {"MC", +1, std::nullopt},
           {"", +1, std::nullopt},
           {"X1-23", +1, "X1-24"},
           {"99999999999999999999", +1, std::nullopt},
           // Found by the device-catalogue fuzzer (tests/fuzz/seeds/tovek-last-number.txt): the
           // largest number stepped on overflowed.
           {"S-0009223372036854775807V", +1, std::nullopt},
           {"S-0009223372036854775806V", +1, "S-9223372036854775807V"},
           {"S-9223372036854775807V", -1, "S-9223372036854775806V"},
       }) {
    EXPECT_EQ(stepDeviceNumber(c.text, c.step), c.want) << c.text << " " << c.step;
  }
}

}  // namespace
}  // namespace qarn::catalogue

#include "catalogue/user_collation.h"

#ifndef _WIN32
#include <locale.h>

#include <cwchar>
#include <cwctype>
#endif

namespace qarn::catalogue {
namespace {

#ifndef _WIN32
// The user's collation ignores case whichever locale it runs under; equal lines keep their order.
TEST(UserCollation, IgnoresCaseUnderThePlainAndAUtf8Locale) {
  const char* before = std::getenv("LANG");
  std::string saved = before ? before : "";
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_COLLATE");
  struct Case {
    const char* lang;
    std::vector<std::string> order;
  };
  // Under "C" the lines that differ only in case follow their bytes; under a locale of the
  // platform they keep their order.
  for (const Case& c : {Case{"C", {"A", "a", "B", "b"}}, Case{"C.UTF-8", {"A", "a", "b", "B"}}}) {
    ::setenv("LANG", c.lang, 1);
    std::vector<std::string> lines{"b", "A", "a", "B", "端子台", "Ä"};
    sortLines(lines, userCollationSorter());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4), c.order) << c.lang;
    std::vector<std::string> again = lines;
    sortLines(again, userCollationSorter());
    EXPECT_EQ(again, lines) << c.lang << ": sorted already";
  }
  // Under "C", lines of equal keys in the wrong order of their bytes are not left as they stand.
  ::setenv("LANG", "C", 1);
  std::vector<std::string> tied{"a", "A", "b"};
  sortLines(tied, userCollationSorter());
  EXPECT_EQ(tied, (std::vector<std::string>{"A", "a", "b"}));
  if (before)
    ::setenv("LANG", saved.c_str(), 1);
  else
    ::unsetenv("LANG");
}

// The keys made a character at a time and sorted eight bytes at a time give the order of the
// locale's own transform of each whole line, lower-cased, equal lines in their order.
TEST(UserCollation, KeysGiveTheLocalesOwnOrder) {
  std::vector<std::string> pieces{"端子台", "たんしだい", "タンシダイ", "ﾀﾝｼ", "Ａ", "ａ", "a", "B",
                                  "b", "1", "１", "-", " ", "\t", "配線", "（", "(", "Ä", "ß"};
  std::vector<std::string> lines;
  std::uint32_t seed = 1;
  for (int i = 0; i < 400; ++i) {
    std::string line;
    for (int k = 0; k < 1 + i % 9; ++k) {
      seed = seed * 1103515245u + 12345u;
      line += pieces[(seed >> 16) % pieces.size()];
    }
    lines.push_back(line);
  }
  for (const char* name : {"C.UTF-8", "ja_JP.UTF-8"}) {
    locale_t loc = newlocale(LC_COLLATE_MASK | LC_CTYPE_MASK, name, static_cast<locale_t>(0));
    if (!loc) continue;  // the locale is not made on this system
    std::vector<std::pair<std::wstring, std::string>> reference;
    for (const std::string& l : lines) {
      std::wstring w;
      for (std::size_t i = 0; i < l.size();) {
        auto c = static_cast<unsigned char>(l[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        wint_t cp = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n; ++k)
          cp = cp << 6 | (static_cast<unsigned char>(l[i + k]) & 0x3F);
        i += n;
        w += static_cast<wchar_t>(towlower_l(cp, loc));
      }
      std::wstring x(wcsxfrm_l(nullptr, w.c_str(), 0, loc) + 1, L'\0');
      x.resize(wcsxfrm_l(x.data(), w.c_str(), x.size(), loc));
      reference.emplace_back(x, l);
    }
    freelocale(loc);
    std::stable_sort(reference.begin(), reference.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    ::setenv("LC_ALL", name, 1);
    std::vector<std::string> sorted = lines;
    sortLines(sorted, userCollationSorter());
    ::unsetenv("LC_ALL");
    for (std::size_t i = 0; i < lines.size(); ++i)
      ASSERT_EQ(sorted[i], reference[i].second) << name << ", line " << i;
    // Lines sorted already stay as they are; two neighbours of different keys swapped are put
    // back.
    std::size_t k = 200;
    while (reference[k].first == reference[k + 1].first)
      ++k;
    ::setenv("LC_ALL", name, 1);
    std::vector<std::string> again = sorted, swapped = sorted;
    std::swap(swapped[k], swapped[k + 1]);
    sortLines(again, userCollationSorter());
    sortLines(swapped, userCollationSorter());
    ::unsetenv("LC_ALL");
    EXPECT_EQ(again, sorted) << name;
    EXPECT_EQ(swapped, sorted) << name;
  }
}

#else
// Windows' collation of the user's locale: case ignored, equal lines in their order, Japanese
// after Latin letters.
TEST(UserCollation, IgnoresCaseWithTheUsersLocale) {
  std::vector<std::string> lines{"b", "端子台", "A", "a", "B"};
  sortLines(lines, userCollationSorter());
  EXPECT_EQ(lines, (std::vector<std::string>{"A", "a", "b", "B", "端子台"}));
}
#endif

}  // namespace
}  // namespace qarn::catalogue
