#pragma once
// The summary: the device frames and panel devices picked on the front-view layer counted into
// one line per kind (TYPE, SPEC, AUX1 and the number of pieces), a bill of materials that can be
// saved for a spreadsheet.
#include <string>

#include "cad/command.h"
#include "inspect/grid_table.h"

namespace qarn::inspect {

enum SummaryColumn { kSumNo = 0, kSumType = 1, kSumSpec = 2, kSumAux1 = 3, kSumCount = 4 };
inline constexpr int kSummaryColumns = 7;  // 5 and 6 are hidden and unused
inline const char* const kSummaryHeaders[5] = {"No", "TYPE", "SPEC", "AUX1", "個数"};

// An empty summary grid with its headers.
GridTable newSummaryTable();

struct SummaryResult {
  enum class Status { NotRunning, NothingPicked, NoBlocks, Rows, Failed };
  Status status = Status::NotRunning;
  int lines = 0;
};

// "取得": the user picks block references on "TOVEK_FRONT"; each with one of the five tags is
// counted, equal TYPE, SPEC and AUX1 grouped into the line of the first picked, the lines sorted
// by TYPE. Nothing picked, or an automation error, leaves the grid as it was.
SummaryResult GetSummary(cad::Session& session, GridTable& grid);

// The grouping and the two sorts, on a grid whose data rows hold one picked block each.
void GroupSummaryRows(GridTable& grid);

// What the grid shows, header first: tab-separated lines ending in LF.
std::string summaryText(const GridTable& grid);
// The same as CSV for a spreadsheet: UTF-8 with a byte-order mark, CR LF line ends, a field
// quoted where it holds a comma, a quote or a line break.
std::string summaryCsv(const GridTable& grid);
// One field of such a CSV: quoted where needed, and a text that begins like a formula (=, +, -,
// @, a tab or a carriage return) led by an apostrophe, unless it reads whole as a number.
std::string csvField(const std::string& value);
// The CSV written through a temporary file beside `path`; std::runtime_error when it cannot be.
void saveSummaryCsv(const std::string& path, const GridTable& grid);

}  // namespace qarn::inspect
