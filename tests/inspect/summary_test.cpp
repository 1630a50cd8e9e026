#include "inspect/summary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "inspect_fixture.h"

namespace qarn::inspect {
namespace {

class Summary : public testing::InspectTest {
 protected:
  std::vector<std::string> line(int row) const {
    std::vector<std::string> out;
    for (int c = 0; c < 5; ++c)
      out.push_back(grid.cell(c, row));
    return out;
  }
  GridTable grid = newSummaryTable();
};

TEST_F(Summary, EqualFramesPickedSecondFifthAndSeventhMakeOneLineOfThree) {
  std::vector<std::string> picked;
  for (int i = 1; i <= 7; ++i) {
    bool same = i == 2 || i == 5 || i == 7;
    picked.push_back(frame(i * 50, 0,
                           {"MC" + std::to_string(i), same ? "S-T10" : "T" + std::to_string(i),
                            same ? "AC200V" : "", ""}));
  }
  cad.operatorSelect(picked);
  SummaryResult r = GetSummary(session, grid);
  ASSERT_EQ(r.status, SummaryResult::Status::Rows);
  EXPECT_EQ(r.lines, 5);
  EXPECT_EQ(line(1), (std::vector<std::string>{"2", "S-T10", "AC200V", "", "3"}));
  EXPECT_EQ(line(2), (std::vector<std::string>{"1", "T1", "", "", "1"}));
  EXPECT_EQ(line(5), (std::vector<std::string>{"6", "T6", "", "", "1"}));
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));
}

TEST_F(Summary, CountsOnlyFrontViewFramesAndSplitsByAuxOne) {
  std::string a = frame(0, 0, {"CB1", "NF32", "3P 20A", "φ22"});
  std::string b = frame(50, 0, {"CB2", "NF32", "3P 20A", ""});
  std::string side = frame(100, 0, {"CB3", "NF32", "3P 20A", ""}, "TOVEK_SIDE");
  cad.operatorSelect({a, b, side});
  GetSummary(session, grid);
  ASSERT_EQ(grid.rowCount(), 3);
  // Equal TYPEs stay in the order of the descending sort by No.
  EXPECT_EQ(line(1), (std::vector<std::string>{"2", "NF32", "3P 20A", "", "1"}));
  EXPECT_EQ(line(2), (std::vector<std::string>{"1", "NF32", "3P 20A", "φ22", "1"}));
}

// The final order is by TYPE in code-unit order; equal TYPEs come out in the order the two
// exchange sorts leave them in, worked through by hand below.
TEST_F(Summary, OrdersLinesByTypeInCodeUnitOrder) {
  std::string p1 = frame(0, 0, {"", "b", "1", ""});
  std::string p2 = frame(0, 0, {"", "A", "1", ""});
  std::string p3 = frame(0, 0, {"", "a", "1", ""});
  std::string p4 = frame(0, 0, {"", "A", "2", ""});
  std::string p5 = frame(0, 0, {"", "Ａ", "", ""});
  cad.operatorSelect({p1, p2, p3, p4, p5});
  GetSummary(session, grid);
  // After the sort by No descending: 5 Ａ, 4 A2, 3 a, 2 A1, 1 b. The TYPE sort (ascending, key
  // swapped in kept): i=1 key Ａ: 4 "A" < Ａ swap -> [A2, Ａ, a, A1, b], key A; j=3 "a" no, j=4 "A"
  // no, j=5 "b" no. i=2 key Ａ: j=3 "a" swap -> [A2, a, Ａ, A1, b] key a; j=4 "A" swap -> [A2, A1,
  // Ａ, a, b] key A; j=5 no. i=3 key Ａ: j=4 "a" swap -> [.., a, Ａ, b] key a; j=5 no. i=4 key Ａ:
  // j=5 "b" swap -> [A2, A1, a, b, Ａ].
  EXPECT_EQ(line(1), (std::vector<std::string>{"4", "A", "2", "", "1"}));
  EXPECT_EQ(line(2), (std::vector<std::string>{"2", "A", "1", "", "1"}));
  EXPECT_EQ(line(3), (std::vector<std::string>{"3", "a", "1", "", "1"}));
  EXPECT_EQ(line(4), (std::vector<std::string>{"1", "b", "1", "", "1"}));
  EXPECT_EQ(line(5), (std::vector<std::string>{"5", "Ａ", "", "", "1"}));
}

TEST_F(Summary, ASingleFrameANameOnlyBlockAndAPickWithoutFrames) {
  std::string a = frame(0, 0, {"MC1", "S-T10", "", ""});
  cad.operatorSelect({a});
  GetSummary(session, grid);
  ASSERT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(line(1), (std::vector<std::string>{"1", "S-T10", "", "", "1"}));

  // A block with only NAME counts with empty TYPE, SPEC and AUX1.
  cad::Block n = doc.blocks().add({0, 0, 0}, "ONLYNAME");
  n.addAttribute(5, 0, "p", {0, 0, 0}, "NAME", "X1");
  cad::BlockReference only = doc.modelSpace().insertBlock({0, 0, 0}, "ONLYNAME");
  only.setLayer("TOVEK_FRONT");
  cad.operatorSelect({only.handle()});
  GetSummary(session, grid);
  EXPECT_EQ(line(1), (std::vector<std::string>{"1", "", "", "", "1"}));

  // Nothing picked: the grid stays. A pick of blocks without the tags: an empty row 1.
  cad.operatorEnter();
  EXPECT_EQ(GetSummary(session, grid).status, SummaryResult::Status::NothingPicked);
  EXPECT_EQ(line(1)[4], "1");
  cad::Block cut = doc.blocks().add({0, 0, 0}, "CUTONLY");
  cut.addAttribute(5, 0, "p", {0, 0, 0}, "CUT", "C:22");
  cad::BlockReference c = doc.modelSpace().insertBlock({0, 0, 0}, "CUTONLY");
  c.setLayer("TOVEK_FRONT");
  cad.operatorSelect({c.handle()});
  EXPECT_EQ(GetSummary(session, grid).status, SummaryResult::Status::NoBlocks);
  EXPECT_EQ(grid.rowCount(), 2);
  EXPECT_EQ(line(1), (std::vector<std::string>(5, "")));
}

TEST_F(Summary, GroupingCountsOnAQuantityThatIsNotANumberAsOne) {
  GridTable t = newSummaryTable();
  t.setRowCount(4);
  const char* rows[3][5] = {
      {"1", "T", "S", "", "x"}, {"2", "T", "S", "", "1"}, {"3", "T", "S", "", "1"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c)
      t.setCell(c, r + 1, rows[r][c]);
  GroupSummaryRows(t);
  ASSERT_EQ(t.rowCount(), 2);
  EXPECT_EQ(t.cell(kSumCount, 1), "3");
}

TEST(SummaryFiles, CsvBytesAreExactAndTextIsTabSeparated) {
  GridTable t = newSummaryTable();
  t.setRowCount(4);
  const char* rows[3][5] = {{"2", "S-T10", "AC200V, 11kW", "", "3"},
                            {"5", "押釦\"緑\"", "φ22", "a\nb", "1"},
                            {"7", "NF32", "3P", "", "12"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c)
      t.setCell(c, r + 1, rows[r][c]);
  EXPECT_EQ(summaryCsv(t),
            "\xEF\xBB\xBFNo,TYPE,SPEC,AUX1,個数\r\n"
            "2,S-T10,\"AC200V, 11kW\",,3\r\n"
            "5,\"押釦\"\"緑\"\"\",φ22,\"a\nb\",1\r\n"
            "7,NF32,3P,,12\r\n");
  EXPECT_EQ(summaryText(t),
            "No\tTYPE\tSPEC\tAUX1\t個数\n2\tS-T10\tAC200V, 11kW\t\t3\n5\t押釦\"緑\"\tφ22\ta\nb\t1\n"
            "7\tNF32\t3P\t\t12\n");
  // The empty grid saves its header only.
  EXPECT_EQ(summaryCsv(newSummaryTable()), "\xEF\xBB\xBFNo,TYPE,SPEC,AUX1,個数\r\n");

  std::string path = ::testing::TempDir() + "bom.csv";
  saveSummaryCsv(path, t);
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  EXPECT_EQ(s.str(), summaryCsv(t));
  EXPECT_THROW(saveSummaryCsv(::testing::TempDir() + "no/such/folder/bom.csv", t),
               std::runtime_error);
}

}  // namespace
// A text that begins like a formula stays text in a spreadsheet; numbers stay numbers.
TEST(SummaryFiles, CsvKeepsFormulaLikeTextsAsText) {
  const std::pair<const char*, const char*> cases[] = {
      {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"+1+cmd", "'+1+cmd"},
      {"-2-3", "'-2-3"},
      {"-", "'-"},
      {"\t=1", "'\t=1"},
      {"\r=1", "\"'\r=1\""},
      {"-5", "-5"},
      {"+3.5", "+3.5"},
      {"-.5e-3", "-.5e-3"},
      {"-1e", "'-1e"},
      {"1=1", "1=1"},
      {"AC200V", "AC200V"},
      {"", ""},
  };
  for (auto [value, field] : cases)
    EXPECT_EQ(csvField(value), field) << value;
  GridTable t = newSummaryTable();
  t.setRowCount(2);
  const char* row[5] = {"1", "=1+1", "@A", "-12", "2"};
  for (int c = 0; c < 5; ++c)
    t.setCell(c, 1, row[c]);
  EXPECT_EQ(summaryCsv(t).substr(summaryCsv(t).find("\r\n") + 2), "1,'=1+1,'@A,-12,2\r\n");
}

}  // namespace qarn::inspect
