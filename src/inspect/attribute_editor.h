#pragma once
// The attribute editor: the device numbers, models and ratings of picked blocks read into a grid
// of 16 columns, edited there and written back by handle; a NAME typed with "^" split into NAME
// and a new NAME1; a click that centres the CAD's view on an attribute and marks it.
#include <string>

#include "cad/command.h"
#include "inspect/grid_table.h"

namespace qarn::inspect {

// The grid's columns: texts 1..6, each with its attribute's handle in column + 9.
enum AttributeColumn {
  kColNo = 0,
  kColName = 1,
  kColName1 = 2,
  kColType = 3,
  kColSpec = 4,
  kColAux1 = 5,
  kColAux2 = 6,
  kColBlock = 7,
  kColX = 8,
  kColY = 9,
  kColFirstHandle = 10,
  kColLastHandle = 15,
  kAttributeColumns = 16,
};

inline const char* const kAttributeHeaders[kAttributeColumns] = {
    "No", "NAME", "NAME1", "TYPE", "SPEC", "AUX1", "AUX2", "ID",
    "X",  "Y",    "ID1",   "ID2",  "ID3",  "ID4",  "ID5",  "ID6"};

// The tag a text column shows ("NAME" for column 1, ...).
const char* attributeTag(int textColumn);

// The grid and the drawing its rows were read from: handles repeat across drawings made from
// one template, so rows are only ever written back into that drawing.
struct AttributeGrid {
  AttributeGrid();
  GridTable table;
  std::string document;      // the drawing's name and window, as Get found it
  std::string documentName;  // for the message
};

inline const char* const kOtherDrawing =
    "この表は別の図面「%s」から取得したものです。その図面に切り替えてから書き込んでください。";

struct GetResult {
  enum class Status { NotRunning, NothingPicked, NoBlocks, Rows, Failed };
  Status status = Status::NotRunning;
  int rows = 0;
};

// "取得": the user picks block references; every one with a NAME, NAME1, TYPE, SPEC or AUX1
// attribute becomes a row, sorted by X (left to right) or, when they spread more in Y, by Y (top
// to bottom). Nothing picked, or an automation error, leaves the grid as it was.
GetResult GetAttributes(cad::Session& session, AttributeGrid& grid);

struct WriteResult {
  std::string message;  // for the user; empty when there is nothing to say
  int written = 0;      // attribute texts written
};

// "更新": every text with an attribute written back in one undo group, each write on its own
// (a cell whose attribute is gone is passed over); then a regeneration.
WriteResult UpdateAttributes(cad::Session& session, AttributeGrid& grid);

// The Enter key in a text cell: that one cell written back (when "[Enter] で更新" is ticked).
WriteResult EnterKeyWrite(cad::Session& session, AttributeGrid& grid, int col, int row);

// The row the Enter key moves to: the next one, or the first after the last.
int EnterKeyNextRow(const GridTable& table, int row);

// A click on a text cell: the view centred on its attribute's insertion point and marked there.
void MarkClickedAttribute(cad::Session& session, const AttributeGrid& grid, int col, int row);

// Centres the view at the present magnification and draws an arrow whose tip is the centre.
void MarkViewCenter(const cad::Application& app, cad::Desktop& desktop, const std::string& progId,
                    cad::Point3 centre, int penWidth, bool xorMode, double size);

}  // namespace qarn::inspect
