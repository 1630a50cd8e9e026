#pragma once
// The cells of the inspection grids as plain text, with what is done to them without the CAD:
// the two exchange sorts, the clipboard keys, adding to device numbers and replacing text. The
// window copies its grid into a table, lets these work on it and shows the result.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qarn::inspect {

class GridTable {
 public:
  GridTable(int cols, int rows);  // rows include the header row 0; at least 2

  int colCount() const { return cols_; }
  int rowCount() const { return static_cast<int>(cells_.size()); }
  // Rows are added empty or dropped at the end; a grid always keeps one data row.
  void setRowCount(int n);
  const std::string& cell(int col, int row) const;
  void setCell(int col, int row, std::string text);
  void clearRow(int row);
  void swapRows(int a, int b);
  // Columns of width 0 or less (hidden) are left out of what the clipboard copies.
  bool visible(int col) const { return visible_[col]; }
  void setVisible(int col, bool v) { visible_[col] = v; }

 private:
  int cols_;
  std::vector<std::vector<std::string>> cells_;
  std::vector<bool> visible_;
};

// A block of cells: columns left..right, rows top..bottom.
struct GridSelection {
  int left, top, right, bottom;
};

// A cell's text as a number: blanks trimmed, 0 for a text that is not a number.
double gridNumber(std::string_view text);
// Ordinal comparison by UTF-16 code unit: negative, 0 or positive.
int compareUtf16(std::string_view a, std::string_view b);

// Exchange sort of the data rows by the number in `column` (nothing below 3 rows).
void SortGridRowsByNumber(GridTable& grid, int column, bool descending);
// Exchange sort by the key "first column text + second column text" (a column below 0 adds
// nothing), compared as text by UTF-16 code unit or as numbers.
void SortGridRows(GridTable& grid, int firstKeyColumn, int secondKeyColumn, bool descending,
                  bool numeric);

enum class GridKey { Delete, CtrlC, CtrlX, CtrlV, Other };

struct ClipboardResult {
  bool consumed = false;              // the grid's own handling of the key is skipped
  std::optional<std::string> copied;  // the new clipboard text (Ctrl+C, Ctrl+X)
};

// The clipboard keys of a grid over the working columns (the selection narrowed to
// firstColumn..lastColumn) and the selected rows. A paste reaches no column past lastColumn and
// no row past the grid's last one, so pasted text never lands in hidden columns.
ClipboardResult GridClipboardKeys(GridTable& grid, GridSelection selection, GridKey key,
                                  int lastColumn, int firstColumn,
                                  const std::string& clipboard = {});

// "加算": `n` added to the last number inside each non-empty selected cell of the columns 1..4.
// A cell without digits, or whose number would become negative or too large, is left as it is.
void AddToDeviceNumbers(GridTable& grid, GridSelection selection, int n);
// "置換": the first occurrence of `search` replaced in each selected cell of the columns 1..4.
void ReplaceInCells(GridTable& grid, GridSelection selection, const std::string& search,
                    const std::string& replacement);

}  // namespace qarn::inspect
