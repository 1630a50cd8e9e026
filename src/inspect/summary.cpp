#include "inspect/summary.h"

#include <map>
#include <string_view>
#include <tuple>

#include "cad/automation_error.h"
#include "cad/numbers.h"
#include "cad/text_file.h"
#include "frames/device_layers.h"
#include "inspect/picking.h"

namespace qarn::inspect {

GridTable newSummaryTable() {
  GridTable t(kSummaryColumns, 2);
  for (int c = 0; c < 5; ++c)
    t.setCell(c, 0, kSummaryHeaders[c]);
  t.setVisible(5, false);
  t.setVisible(6, false);
  return t;
}

SummaryResult GetSummary(cad::Session& session, GridTable& grid) {
  cad::CadCommand c(session);
  SummaryResult r;
  if (!c.running()) return r;
  try {
    cad::SelectionSet ss =
        pickOnScreen(c, {0, 8}, {cad::Value("INSERT"), cad::Value(frames::kFrontLayer)});
    int count = ss.count();
    if (count <= 0) {
      r.status = SummaryResult::Status::NothingPicked;
      return r;
    }
    GridTable t(grid.colCount(), count + 1);
    for (int col = 0; col < grid.colCount(); ++col) {
      t.setCell(col, 0, grid.cell(col, 0));
      t.setVisible(col, grid.visible(col));
    }
    int row = 0;
    for (int i = 0; i < count; ++i) {
      cad::BlockReference ref(ss.item(i));
      if (!ref.hasAttributes()) continue;
      ++row;
      t.clearRow(row);
      t.setCell(kSumNo, row, std::to_string(i + 1));
      t.setCell(kSumCount, row, "1");
      int matches = 0;
      for (const cad::Attribute& a : ref.getAttributes()) {
        std::string tag = a.tagString();
        if (tag == "NAME" || tag == "NAME1") {
          ++matches;
        } else if (tag == "TYPE" || tag == "SPEC" || tag == "AUX1") {
          int col = tag == "TYPE" ? kSumType : tag == "SPEC" ? kSumSpec : kSumAux1;
          t.setCell(col, row, a.textString());
          ++matches;
        }
      }
      if (matches == 0) --row;
    }
    if (row == 0) {
      grid.setRowCount(2);
      grid.clearRow(1);
      r.status = SummaryResult::Status::NoBlocks;
      return r;
    }
    t.setRowCount(row + 1);
    GroupSummaryRows(t);
    grid = std::move(t);
    r.status = SummaryResult::Status::Rows;
    r.lines = grid.rowCount() - 1;
  } catch (const cad::AutomationError&) {
    r.status = SummaryResult::Status::Failed;
  }
  return r;
}

void GroupSummaryRows(GridTable& t) {
  int rows = t.rowCount() - 1;
  if (rows > 1) {
    // Going up from the bottom, each row merges into the topmost row equal to it, which is the
    // first row of its kind: found once per kind rather than by searching from the top each time.
    std::map<std::tuple<std::string, std::string, std::string>, int> first;
    for (int r = rows; r >= 1; --r)
      first[{t.cell(kSumType, r), t.cell(kSumSpec, r), t.cell(kSumAux1, r)}] = r;
    for (int b = rows; b >= 2; --b) {
      int a = first[{t.cell(kSumType, b), t.cell(kSumSpec, b), t.cell(kSumAux1, b)}];
      if (a >= b) continue;
      // A quantity that is not a whole number counts as 1.
      int n = cad::tryReadWholeNumber(t.cell(kSumCount, a)).value_or(1);
      t.setCell(kSumCount, a, std::to_string(static_cast<long long>(n) + 1));
      t.clearRow(b);
    }
  }
  SortGridRows(t, kSumNo, -1, true, true);
  int last = t.rowCount() - 1;
  while (last > 1 && t.cell(kSumNo, last).empty())
    --last;
  t.setRowCount(last + 1);
  SortGridRows(t, kSumType, -1, false, false);
}

namespace {
// The rows a file shows: the header, and every data row with something in it (the one empty row
// of an empty grid is no line).
bool shown(const GridTable& t, int row) {
  if (row == 0) return true;
  for (int col = kSumNo; col <= kSumCount; ++col)
    if (!t.cell(col, row).empty()) return true;
  return false;
}
}  // namespace

std::string summaryText(const GridTable& t) {
  std::string out;
  for (int row = 0; row < t.rowCount(); ++row) {
    if (!shown(t, row)) continue;
    for (int col = kSumNo; col <= kSumCount; ++col) {
      if (col > kSumNo) out += '\t';
      out += t.cell(col, row);
    }
    out += '\n';
  }
  return out;
}

namespace {
// A decimal number as a spreadsheet reads one: sign, digits, a point, an exponent.
bool readsAsNumber(const std::string& s) {
  std::size_t i = 0, n = s.size();
  auto digits = [&] {
    std::size_t from = i;
    while (i < n && s[i] >= '0' && s[i] <= '9')
      ++i;
    return i - from;
  };
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t whole = digits(), fraction = 0;
  if (i < n && s[i] == '.') {
    ++i;
    fraction = digits();
  }
  if (whole + fraction == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == n;
}
}  // namespace

std::string csvField(const std::string& value) {
  // A spreadsheet runs a cell that begins like a formula (=HYPERLINK(...), @SUM(...)): such a
  // text is kept as text by a leading apostrophe. Numbers such as -5 stay numbers.
  std::string s = value;
  if (!s.empty() && std::string_view("=+-@\t\r").find(s.front()) != std::string_view::npos &&
      !readsAsNumber(s))
    s.insert(0, 1, '\'');
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

std::string summaryCsv(const GridTable& t) {
  std::string out = "\xEF\xBB\xBF";
  for (int row = 0; row < t.rowCount(); ++row) {
    if (!shown(t, row)) continue;
    for (int col = kSumNo; col <= kSumCount; ++col) {
      if (col > kSumNo) out += ',';
      out += csvField(t.cell(col, row));
    }
    out += "\r\n";
  }
  return out;
}

void saveSummaryCsv(const std::string& path, const GridTable& grid) {
  cad::writeFileAtomically(path, summaryCsv(grid));
}

}  // namespace qarn::inspect
