#include "inspect/grid_table.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "cad/numbers.h"
#include "cad/text.h"

namespace qarn::inspect {

GridTable::GridTable(int cols, int rows)
    : cols_(std::max(cols, 1)),
      cells_(std::max(rows, 2), std::vector<std::string>(cols_)),
      visible_(cols_, true) {}

void GridTable::setRowCount(int n) {
  cells_.resize(std::max(n, 2), std::vector<std::string>(cols_));
}

const std::string& GridTable::cell(int col, int row) const {
  static const std::string none;
  if (col < 0 || col >= cols_ || row < 0 || row >= rowCount()) return none;
  return cells_[row][col];
}

void GridTable::setCell(int col, int row, std::string text) {
  if (col < 0 || col >= cols_ || row < 0 || row >= rowCount()) return;
  cells_[row][col] = std::move(text);
}

void GridTable::clearRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  for (auto& c : cells_[row])
    c.clear();
}

void GridTable::swapRows(int a, int b) {
  std::swap(cells_[a], cells_[b]);
}

double gridNumber(std::string_view text) {
  return cad::readNumber(text, 0.0);
}

namespace {

// The next UTF-16 code unit sequence of a UTF-8 text: one unit, or two for a character past
// U+FFFF.
struct Utf16Units {
  std::string_view s;
  std::size_t i = 0;
  unsigned pendingLow = 0;

  bool next(unsigned& unit) {
    if (pendingLow) {
      unit = pendingLow;
      pendingLow = 0;
      return true;
    }
    if (i >= s.size()) return false;
    auto c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    unsigned cp = len == 1 ? c : c & (0xFFu >> (len + 1));
    for (int k = 1; k < len && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    if (cp > 0xFFFF) {
      cp -= 0x10000;
      unit = 0xD800 + (cp >> 10);
      pendingLow = 0xDC00 + (cp & 0x3FF);
    } else {
      unit = cp;
    }
    return true;
  }
};

}  // namespace

int compareUtf16(std::string_view a, std::string_view b) {
  Utf16Units x{a}, y{b};
  for (;;) {
    unsigned u = 0, v = 0;
    bool hasU = x.next(u), hasV = y.next(v);
    if (!hasU || !hasV) return hasU ? 1 : hasV ? -1 : 0;
    if (u != v) return u < v ? -1 : 1;
  }
}

// Both sorts are exchange sorts: after a swap the key of the row swapped in is the one compared
// further, which fixes the order of equal keys. Each row's key is worked out once and travels
// with its row, so that a summary of thousands of frames sorts in a moment.
void SortGridRowsByNumber(GridTable& grid, int column, bool descending) {
  int n = grid.rowCount();
  if (n < 3) return;
  std::vector<double> keys(n);
  for (int r = 1; r < n; ++r)
    keys[r] = gridNumber(grid.cell(column, r));
  for (int i = 1; i <= n - 2; ++i) {
    double key = keys[i];
    for (int j = i + 1; j <= n - 1; ++j) {
      double v = keys[j];
      if (descending ? v > key : v < key) {
        grid.swapRows(i, j);
        std::swap(keys[i], keys[j]);
        key = v;
      }
    }
  }
}

namespace {
std::u16string utf16(std::string_view s) {
  std::u16string out;
  Utf16Units units{s};
  for (unsigned u; units.next(u);)
    out += static_cast<char16_t>(u);
  return out;
}
}  // namespace

namespace {

bool sameRow(const GridTable& grid, int a, int b) {
  for (int col = 0; col < grid.colCount(); ++col)
    if (grid.cell(col, a) != grid.cell(col, b)) return false;
  return true;
}

// The exchange sort leaves rows of distinct keys in plain key order, and rows alike may stand in
// any order among themselves. So when no two different rows share a key, the rows are put in key
// order at n log n (the summary of thousands of frames sorts them all); otherwise nothing is done
// and false returned, for the exchange sort to place the rows of equal keys as it always has.
template <class Key, class Before>
bool sortWhenKeysDecide(GridTable& grid, const std::vector<Key>& keys, Before before) {
  int n = grid.rowCount();
  std::vector<int> order(n - 1);
  for (int r = 1; r < n; ++r)
    order[r - 1] = r;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return before(keys[a], keys[b]); });
  for (std::size_t k = 1; k < order.size(); ++k)
    if (!before(keys[order[k - 1]], keys[order[k]]) && !sameRow(grid, order[k - 1], order[k]))
      return false;
  // Row `order[p - 1]` of the table as it was goes to row p, by swaps.
  std::vector<int> at(n), where(n);
  for (int r = 0; r < n; ++r)
    at[r] = where[r] = r;
  for (int p = 1; p < n; ++p) {
    int from = where[order[p - 1]];
    if (from == p) continue;
    grid.swapRows(p, from);
    std::swap(at[p], at[from]);
    where[at[p]] = p;
    where[at[from]] = from;
  }
  return true;
}

}  // namespace

void SortGridRows(GridTable& grid, int firstKeyColumn, int secondKeyColumn, bool descending,
                  bool numeric) {
  int n = grid.rowCount();
  if (n < 3) return;
  auto keyOf = [&](int row) {
    std::string k;
    if (firstKeyColumn >= 0) k += grid.cell(firstKeyColumn, row);
    if (secondKeyColumn >= 0) k += grid.cell(secondKeyColumn, row);
    return k;
  };
  std::vector<double> numbers(n);
  std::vector<std::u16string> texts(n);
  for (int r = 1; r < n; ++r) {
    if (numeric)
      numbers[r] = gridNumber(keyOf(r));
    else
      texts[r] = utf16(keyOf(r));  // code-unit order is the order of these strings
  }
  if (numeric) {
    bool ordered = std::none_of(numbers.begin() + 1, numbers.end(),
                                [](double v) { return std::isnan(v); });
    if (ordered && sortWhenKeysDecide(grid, numbers, [descending](double a, double b) {
          return descending ? a > b : a < b;
        }))
      return;
  } else if (sortWhenKeysDecide(grid, texts,
                                [descending](const std::u16string& a, const std::u16string& b) {
                                  return descending ? b < a : a < b;
                                })) {
    return;
  }
  for (int i = 1; i <= n - 2; ++i) {
    // Row i's key is the one compared: after a swap it is the key of the row swapped in.
    for (int j = i + 1; j <= n - 1; ++j) {
      bool swap;
      if (numeric) {
        double a = numbers[i], b = numbers[j];
        swap = descending ? a < b : a > b;
      } else {
        int c = texts[i].compare(texts[j]);
        swap = descending ? c < 0 : c > 0;
      }
      if (swap) {
        grid.swapRows(i, j);
        std::swap(numbers[i], numbers[j]);
        std::swap(texts[i], texts[j]);
      }
    }
  }
}

ClipboardResult GridClipboardKeys(GridTable& grid, GridSelection sel, GridKey key, int lastColumn,
                                  int firstColumn, const std::string& clipboard) {
  ClipboardResult r;
  int left = sel.left, right = sel.right;
  if (firstColumn >= 0 && left < firstColumn) left = firstColumn;
  if (lastColumn >= firstColumn && right > lastColumn) right = lastColumn;
  int top = std::max(sel.top, 1), bottom = std::min(sel.bottom, grid.rowCount() - 1);
  auto emptyWorkingCells = [&] {
    for (int row = top; row <= bottom; ++row)
      for (int col = left; col <= right; ++col)
        grid.setCell(col, row, {});
  };
  switch (key) {
    case GridKey::Delete:
      // One cell is left to the grid's own editing.
      if (sel.bottom > sel.top || right > left) {
        r.consumed = true;
        emptyWorkingCells();
      }
      return r;
    case GridKey::CtrlC:
    case GridKey::CtrlX: {
      r.consumed = true;
      std::string text;
      for (int row = top; row <= bottom; ++row)
        for (int col = left; col <= right; ++col) {
          if (!grid.visible(col)) continue;
          text += grid.cell(col, row);
          text += col == right ? "\r\n" : "\t";
        }
      r.copied = text;
      if (key == GridKey::CtrlX) emptyWorkingCells();
      return r;
    }
    case GridKey::CtrlV: {
      r.consumed = true;
      // Lines end with CR LF; text after the last line break is not pasted.
      std::vector<std::string> lines;
      std::size_t start = 0;
      for (std::size_t at; (at = clipboard.find("\r\n", start)) != std::string::npos;
           start = at + 2)
        lines.push_back(clipboard.substr(start, at - start));
      if (lines.empty()) return r;
      int lineCount = static_cast<int>(lines.size());
      int lastRow = grid.rowCount() - 1;
      for (int k = 0; k < lineCount; ++k) {
        std::vector<std::string> fields = cad::SplitTabs(lines[k]);
        for (int f = 0; f < static_cast<int>(fields.size()); ++f) {
          int col = left + f;
          if ((lastColumn >= firstColumn && col > lastColumn) || col >= grid.colCount()) break;
          // The line's own row, then every lineCount-th row down to the selection's bottom.
          for (int row = top + k; row <= lastRow; row += lineCount) {
            if (row != top + k && row > sel.bottom) break;
            grid.setCell(col, row, fields[f]);
          }
        }
      }
      return r;
    }
    case GridKey::Other:
      break;
  }
  return r;
}

namespace {

template <class F>
void forEditableCells(GridTable& grid, GridSelection sel, F f) {
  for (int col = std::max(sel.left, 1); col <= sel.right && col < 5; ++col)
    for (int row = std::max(sel.top, 1); row <= sel.bottom && row < grid.rowCount(); ++row)
      f(col, row);
}

}  // namespace

void AddToDeviceNumbers(GridTable& grid, GridSelection sel, int n) {
  if (n == 0) return;
  forEditableCells(grid, sel, [&](int col, int row) {
    const std::string& text = grid.cell(col, row);
    if (text.empty()) return;
    cad::DeviceNumber d = cad::SplitDeviceNumber(cad::trim(text), true);
    if (d.number.empty()) return;
    // A number too long for the counter, or one that would go below zero, stays as it was:
    // "A-4" is no device number.
    if (d.number.size() > 9) return;
    long long value = std::stoll(d.number) + n;
    if (value < 0 || value > INT_MAX) return;
    grid.setCell(col, row, d.prefix + std::to_string(value) + d.suffix);
  });
}

void ReplaceInCells(GridTable& grid, GridSelection sel, const std::string& search,
                    const std::string& replacement) {
  if (search.empty()) return;
  forEditableCells(grid, sel, [&](int col, int row) {
    std::string text = grid.cell(col, row);
    std::size_t at = text.find(search);
    if (at == std::string::npos) return;
    text.replace(at, search.size(), replacement);
    grid.setCell(col, row, text);
  });
}

}  // namespace qarn::inspect
