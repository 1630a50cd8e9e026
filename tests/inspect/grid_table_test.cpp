#include "inspect/grid_table.h"

#include <gtest/gtest.h>

namespace qarn::inspect {
namespace {

GridTable table(const std::vector<std::vector<std::string>>& dataRows, int cols = 6) {
  GridTable t(cols, static_cast<int>(dataRows.size()) + 1);
  for (int r = 0; r < static_cast<int>(dataRows.size()); ++r)
    for (int c = 0; c < static_cast<int>(dataRows[r].size()); ++c)
      t.setCell(c, r + 1, dataRows[r][c]);
  return t;
}

std::vector<std::string> column(const GridTable& t, int col) {
  std::vector<std::string> out;
  for (int r = 1; r < t.rowCount(); ++r)
    out.push_back(t.cell(col, r));
  return out;
}

// The exchange sort keeps the key it swapped in, so equal keys come out in the order worked out
// by hand for each pass, not as a stable sort would leave them.
TEST(GridSorts, ExchangeSortByNumberAgainstOrdersWorkedOutByHand) {
  GridTable t = table({{"a", "3"}, {"b", "1"}, {"c", "3"}, {"d", "x"}, {"e", "2"}});
  SortGridRowsByNumber(t, 1, false);
  EXPECT_EQ(column(t, 0), (std::vector<std::string>{"d", "b", "e", "a", "c"}));
  SortGridRowsByNumber(t, 1, true);
  EXPECT_EQ(column(t, 0), (std::vector<std::string>{"a", "c", "e", "b", "d"}));

  GridTable two = table({{"z", "5"}});
  SortGridRowsByNumber(two, 1, false);  // fewer than 3 rows: nothing to do
  EXPECT_EQ(column(two, 0), (std::vector<std::string>{"z"}));
}

TEST(GridSorts, TextSortComparesUtf16CodeUnitsAndNumericSortReadsNumbers) {
  // U+FF21 (full-width A) sorts after "B"; a character past U+FFFF (a surrogate pair, D840..)
  // sorts before U+FF21 by code unit although its code point is larger.
  GridTable t = table({{"1", "Ａ"}, {"2", "𠀋"}, {"3", "B"}, {"4", "a"}, {"5", "AB"}});
  SortGridRows(t, 1, -1, false, false);
  EXPECT_EQ(column(t, 1), (std::vector<std::string>{"AB", "B", "a", "𠀋", "Ａ"}));
  SortGridRows(t, 1, -1, true, false);
  EXPECT_EQ(column(t, 1), (std::vector<std::string>{"Ａ", "𠀋", "a", "B", "AB"}));
  // The key joins two columns.
  GridTable k = table({{"B", "1"}, {"A", "2"}, {"A", "1"}});
  SortGridRows(k, 0, 1, false, false);
  EXPECT_EQ(column(k, 1), (std::vector<std::string>{"1", "2", "1"}));
  EXPECT_EQ(column(k, 0), (std::vector<std::string>{"A", "A", "B"}));
  GridTable n = table({{"10"}, {"9"}, {""}, {"100"}});
  SortGridRows(n, 0, -1, true, true);
  EXPECT_EQ(column(n, 0), (std::vector<std::string>{"100", "10", "9", ""}));
  EXPECT_LT(compareUtf16("A", "AB"), 0);
  EXPECT_EQ(compareUtf16("機", "機"), 0);
}

// The exchange sort as the grids have always sorted, written out plainly: the order every sort
// must give, whatever way it takes.
void exchangeSort(GridTable& t, int col, bool descending, bool numeric) {
  for (int i = 1; i <= t.rowCount() - 2; ++i)
    for (int j = i + 1; j <= t.rowCount() - 1; ++j) {
      const std::string &a = t.cell(col, i), &b = t.cell(col, j);
      bool swap = numeric
                      ? (descending ? gridNumber(a) < gridNumber(b) : gridNumber(a) > gridNumber(b))
                      : (descending ? compareUtf16(a, b) < 0 : compareUtf16(a, b) > 0);
      if (swap) t.swapRows(i, j);
    }
}

// Tables of distinct keys, of keys shared by rows alike (cleared rows), and of keys shared by
// rows that differ: each sorted both ways, as numbers and as texts, in the exchange sort's order.
TEST(GridSorts, EverySortGivesTheExchangeSortsOrder) {
  std::vector<std::vector<std::vector<std::string>>> cases = {
      {{"3", "c"}, {"1", "a"}, {"2", "b"}, {"10", "j"}},
      {{"3", "c"}, {"", ""}, {"1", "a"}, {"", ""}, {"2", "b"}, {"", ""}},
      {{"2", "x"}, {"1", "a"}, {"2", "y"}, {"1", "b"}, {"2", "z"}, {"0", "q"}},
      {{"b", "1"}, {"a", "2"}, {"b", "3"}, {"ｂ", "4"}, {"a", "5"}},
  };
  for (std::size_t k = 0; k < cases.size(); ++k)
    for (bool descending : {false, true})
      for (bool numeric : {false, true}) {
        GridTable sorted = table(cases[k]), expected = table(cases[k]);
        SortGridRows(sorted, 0, -1, descending, numeric);
        exchangeSort(expected, 0, descending, numeric);
        for (int r = 1; r < expected.rowCount(); ++r)
          EXPECT_EQ(sorted.cell(1, r), expected.cell(1, r))
              << "case " << k << (descending ? " descending" : " ascending")
              << (numeric ? " numbers" : " texts") << ", row " << r;
      }
}

TEST(GridClipboard, CopyCutDeleteOverTheWorkingColumnsOnly) {
  GridTable t =
      table({{"1", "K1", "", "T1", "S1", "A1", "h"}, {"2", "K2", "N2", "T2", "S2", "A2"}}, 16);
  t.setVisible(2, true);
  // Columns 0..6 selected, narrowed to 1..5; two rows.
  ClipboardResult c = GridClipboardKeys(t, {0, 1, 6, 2}, GridKey::CtrlC, 5, 1);
  EXPECT_TRUE(c.consumed);
  EXPECT_EQ(*c.copied, "K1\t\tT1\tS1\tA1\r\nK2\tN2\tT2\tS2\tA2\r\n");
  // NAME..TYPE over two rows: two lines of three fields.
  c = GridClipboardKeys(t, {1, 1, 3, 2}, GridKey::CtrlC, 5, 1);
  EXPECT_EQ(*c.copied, "K1\t\tT1\r\nK2\tN2\tT2\r\n");
  // A hidden column is left out of the copy.
  t.setVisible(3, false);
  c = GridClipboardKeys(t, {1, 1, 3, 1}, GridKey::CtrlC, 5, 1);
  EXPECT_EQ(*c.copied, "K1\t\t");
  t.setVisible(3, true);

  c = GridClipboardKeys(t, {1, 2, 2, 2}, GridKey::CtrlX, 5, 1);
  EXPECT_EQ(*c.copied, "K2\tN2\r\n");
  EXPECT_EQ(t.cell(1, 2), "");
  EXPECT_EQ(t.cell(2, 2), "");
  EXPECT_EQ(t.cell(3, 2), "T2");

  // Delete on one cell is the grid's own; on a block it empties the working cells, never the
  // fixed or hidden columns outside them.
  EXPECT_FALSE(GridClipboardKeys(t, {3, 1, 3, 1}, GridKey::Delete, 5, 1).consumed);
  EXPECT_EQ(t.cell(3, 1), "T1");
  EXPECT_TRUE(GridClipboardKeys(t, {0, 1, 6, 1}, GridKey::Delete, 5, 1).consumed);
  EXPECT_EQ(column(t, 0), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(t.cell(1, 1), "");
  EXPECT_EQ(t.cell(5, 1), "");
  EXPECT_EQ(t.cell(6, 1), "h");
  EXPECT_FALSE(GridClipboardKeys(t, {1, 1, 1, 1}, GridKey::Other, 5, 1).consumed);
}

TEST(GridClipboard, PasteRepeatsLinesDownTheSelectionAndStaysInsideTheGrid) {
  GridTable t(16, 6);
  // One line fills every selected row; the text after the last line break is not pasted.
  GridClipboardKeys(t, {1, 1, 1, 4}, GridKey::CtrlV, 5, 1, "A\tB\r\ntail");
  EXPECT_EQ(column(t, 1), (std::vector<std::string>{"A", "A", "A", "A", ""}));
  EXPECT_EQ(column(t, 2), (std::vector<std::string>{"B", "B", "B", "B", ""}));
  // Two lines repeat in blocks of two.
  GridClipboardKeys(t, {3, 1, 3, 5}, GridKey::CtrlV, 5, 1, "x\r\ny\r\n");
  EXPECT_EQ(column(t, 3), (std::vector<std::string>{"x", "y", "x", "y", "x"}));
  // No final line break: nothing of that line.
  GridClipboardKeys(t, {4, 1, 4, 1}, GridKey::CtrlV, 5, 1, "lost");
  EXPECT_EQ(t.cell(4, 1), "");
  // Fields past the last working column and lines past the last row are dropped: the hidden
  // handle columns keep what Get put there.
  t.setCell(10, 5, "2A");
  GridClipboardKeys(t, {4, 4, 4, 4}, GridKey::CtrlV, 5, 1,
                    "s\ta\tAUX2\tID\tX\tY\tEVIL\r\nn\r\nm\r\n");
  EXPECT_EQ(t.cell(4, 4), "s");
  EXPECT_EQ(t.cell(5, 4), "a");
  EXPECT_EQ(t.cell(6, 4), "");
  EXPECT_EQ(t.cell(10, 4), "");
  EXPECT_EQ(t.cell(4, 5), "n");
  EXPECT_EQ(t.cell(10, 5), "2A");
  EXPECT_EQ(t.rowCount(), 6);
}

TEST(GridEdits, AddCountsOnTheLastNumberOfNameNameOneTypeAndSpec) {
  GridTable t = table({{"1", "CR-12A", "LAMP", "A09", "A01", "X1"},
                       {"2", " MC3 ", "", "T-4", "9999999999", "Y7"},
                       {"3", "A1B2", "", "", "", ""}});
  AddToDeviceNumbers(t, {1, 1, 5, 3}, 1);
  EXPECT_EQ(t.cell(1, 1), "CR-13A");
  EXPECT_EQ(t.cell(2, 1), "LAMP");
  EXPECT_EQ(t.cell(3, 1), "A10");
  EXPECT_EQ(t.cell(4, 1), "A2");
  EXPECT_EQ(t.cell(5, 1), "X1") << "AUX1 is never changed";
  EXPECT_EQ(t.cell(1, 2), "MC4");
  EXPECT_EQ(t.cell(4, 2), "9999999999") << "too long for a counter";
  EXPECT_EQ(t.cell(1, 3), "A1B3");
  EXPECT_EQ(t.cell(3, 2), "T-5");
  // A negative step that would go below zero leaves the cell as it was ("A-4" is no number).
  t.setCell(1, 3, "A1");
  AddToDeviceNumbers(t, {1, 3, 1, 3}, -5);
  EXPECT_EQ(t.cell(1, 3), "A1");
  AddToDeviceNumbers(t, {3, 2, 3, 2}, -5);
  EXPECT_EQ(t.cell(3, 2), "T-0");
  // Only the selected rows, and n = 0 does nothing.
  AddToDeviceNumbers(t, {1, 1, 1, 1}, 0);
  EXPECT_EQ(t.cell(1, 1), "CR-13A");
  EXPECT_EQ(t.cell(0, 1), "1");
}

TEST(GridEdits, ReplaceTakesTheFirstOccurrenceCaseSensitively) {
  GridTable t = table({{"1", "AA", "aA", "A", "xA", "AA"}});
  ReplaceInCells(t, {1, 1, 5, 1}, "A", "B");
  EXPECT_EQ(t.cell(1, 1), "BA");
  EXPECT_EQ(t.cell(2, 1), "aB");
  EXPECT_EQ(t.cell(3, 1), "B");
  EXPECT_EQ(t.cell(4, 1), "xB");
  EXPECT_EQ(t.cell(5, 1), "AA");
  ReplaceInCells(t, {1, 1, 1, 1}, "B", "");
  EXPECT_EQ(t.cell(1, 1), "A");
  ReplaceInCells(t, {1, 1, 1, 1}, "", "Z");
  EXPECT_EQ(t.cell(1, 1), "A");
}

}  // namespace
}  // namespace qarn::inspect
