#include <gtest/gtest.h>

#include "cad/numbers.h"
#include "cad/text.h"

namespace qarn::cad {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitTabs, KeepsEveryFieldIncludingEmptyOnes) {
  struct Case {
    std::string line;
    Fields fields;
  };
  for (const Case& c : std::vector<Case>{
           {"", {""}},
           {"a\tb\t", {"a", "b", ""}},
           {"\t", {"", ""}},
           {"MCCB\t\tNF32\t", {"MCCB", "", "NF32", ""}},
           {" a b ", {" a b "}},
       }) {
    Fields out{"stale"};
    SplitTabs(c.line, out);
    EXPECT_EQ(out, c.fields) << "line \"" << c.line << "\"";
  }
}

TEST(SplitDeviceNumber, SplitsAroundTheFirstOrLastDigitRun) {
  struct Case {
    std::string text;
    bool fromEnd;
    DeviceNumber want;
  };
  for (const Case& c : std::vector<Case>{
           {"MC12A", true, {"MC", "12", "A"}},
           {"MC12A", false, {"MC", "12", "A"}},
           {"X1-23", true, {"X1-", "23", ""}},
           {"X1-23", false, {"X", "1", "-23"}},
           {"105", true, {"", "105", ""}},
           {"", true, {"", "", ""}},
           {"ABC", false, {"ABC", "", ""}},
           {"  PL09  ", true, {"PL", "09", ""}},
           {"盤1A", true, {"盤", "1", "A"}},
       }) {
    EXPECT_EQ(SplitDeviceNumber(c.text, c.fromEnd), c.want) << c.text << " fromEnd=" << c.fromEnd;
  }
}

TEST(ToCadSymbols, WritesDiameterPlusMinusAndDegreeAsCadCodes) {
  EXPECT_EQ(ToCadSymbols("Φ22 φ30 ±5 90°"), "%%C22 %%C30 %%P5 90%%D");
  EXPECT_EQ(ToCadSymbols("ABC 表示灯"), "ABC 表示灯");
}

TEST(CommaText, BlanksAndCommasSeparateQuotesGroup) {
  struct Case {
    std::string text;
    Fields items;
  };
  for (const Case& c : std::vector<Case>{
           {"C:4 -20 30, C:4 20 -30", {"C:4", "-20", "30", "C:4", "20", "-30"}},
           {"NF32,SW", {"NF32", "SW"}},
           {"a,,b", {"a", "", "b"}},
           {"a,", {"a", ""}},
           {"\"two words\" x", {"two words", "x"}},
           {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
           {"   ", {}},
           {"", {}},
       }) {
    EXPECT_EQ(splitCommaText(c.text), c.items) << "text \"" << c.text << "\"";
  }
}

TEST(Text, UpperCasesAsciiOnlyAndTrimsBlanks) {
  EXPECT_EQ(asciiUpper("abc-ÄöΦ表z"), "ABC-ÄöΦ表Z");
  EXPECT_EQ(trim("\t x y \r\n"), "x y");
  EXPECT_EQ(replaceAll("a-b-c", "-", ""), "abc");
}

TEST(CleanBlockName, NamesThatDifferStayDifferentAndCleanNamesStayAsTheyAre) {
  for (std::string clean : {"ABC_SIDE", "RC_TALL_X", "TOVEKHALABC", "A B", "A_B", ""})
    EXPECT_EQ(cleanBlockName(clean), clean);
  std::vector<std::string> names = {"A/B",  "A:B",       "A\\B",      "A_B",  " A_B",
                                    "A_B ", "RC TALL/X", "RC_TALL_X", "a<b>", "a_b_"};
  std::vector<std::string> cleaned;
  for (const std::string& n : names) {
    std::string c = cleanBlockName(n);
    EXPECT_EQ(c.find_first_of("<>/\\\":;?*|,=`"), std::string::npos) << n;
    EXPECT_EQ(cleanBlockName(c), c) << "a cleaned name needs no more cleaning: " << n;
    EXPECT_EQ(cleanBlockName(n), c) << "the same name always gives the same block";
    for (const std::string& other : cleaned)
      EXPECT_NE(asciiUpper(c), asciiUpper(other)) << n;
    cleaned.push_back(c);
  }
  EXPECT_EQ(cleaned[0].substr(0, 4), "A_B_");
  EXPECT_EQ(cleaned[0].size(), 10u) << "a short suffix: " << cleaned[0];
  EXPECT_EQ(asciiUpper(cleanBlockName("a/b")), asciiUpper(cleaned[0]))
      << "names the CAD takes for one stay one";
  // For a command line a blank is refused too.
  EXPECT_EQ(cleanBlockName("RC_TALL_X", true), "RC_TALL_X");
  std::string tall = cleanBlockName("RC TALL/X", true);
  EXPECT_EQ(tall.substr(0, 10), "RC_TALL_X_");
  EXPECT_NE(tall, cleanBlockName("RC TALL:X", true));
}

TEST(Numbers, FieldsReadWithBlanksTrimmedAndZeroForNonNumbers) {
  EXPECT_DOUBLE_EQ(readNumber(" 123.5 "), 123.5);
  EXPECT_DOUBLE_EQ(readNumber("+7"), 7);
  EXPECT_DOUBLE_EQ(readNumber("-0.25"), -0.25);
  EXPECT_DOUBLE_EQ(readNumber("1e3"), 1000);
  EXPECT_DOUBLE_EQ(readNumber("1,000"), 0) << "a thousands separator makes it no number";
  EXPECT_DOUBLE_EQ(readNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(readNumber(""), 0);
  EXPECT_DOUBLE_EQ(readNumber("12mm", -1), -1);
  EXPECT_DOUBLE_EQ(readNumber("nan"), 0);
  EXPECT_DOUBLE_EQ(readNumber("--1"), 0);
  EXPECT_FALSE(tryReadNumber("+-1"));
  EXPECT_EQ(readInteger(" 42 "), 42);
  EXPECT_EQ(readInteger("4.5"), 0);
}

TEST(Numbers, WholeNumbersOnlyWhereAnIntHoldsThem) {
  EXPECT_EQ(tryReadWholeNumber(" 12 "), 12);
  EXPECT_EQ(tryReadWholeNumber("12.0"), 12);
  EXPECT_EQ(tryReadWholeNumber("-2147483648"), -2147483647 - 1);
  for (const char* no : {"12.5", "2147483648", "-2147483649", "1e300", "x", "", "nan"})
    EXPECT_FALSE(tryReadWholeNumber(no)) << no;
}

TEST(Numbers, WrittenInTheShortestFormThatReadsBackWithoutExponent) {
  EXPECT_EQ(writeNumber(120), "120");
  EXPECT_EQ(writeNumber(-80), "-80");
  EXPECT_EQ(writeNumber(0.1), "0.1");
  EXPECT_EQ(writeNumber(-0.0), "0");
  EXPECT_EQ(writeNumber(1e21), "1000000000000000000000");
  EXPECT_EQ(writeNumber(0.00001), "0.00001");
  for (double v : {1.0 / 3.0, 0.1 + 0.2, 123.456789012345, -9876.54321, 2.5e-7}) {
    std::string s = writeNumber(v);
    EXPECT_EQ(s.find('e'), std::string::npos) << s;
    EXPECT_EQ(std::stod(s), v) << s;
  }
}

}  // namespace
}  // namespace qarn::cad
