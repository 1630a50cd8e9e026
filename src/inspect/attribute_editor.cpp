#include "inspect/attribute_editor.h"

#include <algorithm>
#include <cmath>

#include "cad/automation_error.h"
#include "cad/connection.h"
#include "cad/numbers.h"
#include "cad/text.h"
#include "cad/text_file.h"
#include "inspect/picking.h"

namespace qarn::inspect {

const char* attributeTag(int textColumn) {
  static const char* const tags[] = {"NAME", "NAME1", "TYPE", "SPEC", "AUX1", "AUX2"};
  return textColumn >= 1 && textColumn <= 6 ? tags[textColumn - 1] : "";
}

AttributeGrid::AttributeGrid() : table(kAttributeColumns, 2) {
  for (int c = 0; c < kAttributeColumns; ++c) {
    table.setCell(c, 0, kAttributeHeaders[c]);
    table.setVisible(c, c < kColAux2);
  }
}

GetResult GetAttributes(cad::Session& session, AttributeGrid& grid) {
  cad::CadCommand c(session);
  GetResult r;
  if (!c.running()) return r;
  try {
    cad::SelectionSet ss = pickOnScreen(c, {0}, {cad::Value("INSERT")});
    int count = ss.count();
    if (count == 0) {
      r.status = GetResult::Status::NothingPicked;
      return r;
    }
    // The rows are built aside: a failure half-way leaves the grid as it was, never rows of two
    // reads mixed.
    GridTable t(kAttributeColumns, count + 1);
    for (int col = 0; col < kAttributeColumns; ++col) {
      t.setCell(col, 0, grid.table.cell(col, 0));
      t.setVisible(col, grid.table.visible(col));
    }
    int row = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int i = 0; i < count; ++i) {
      cad::BlockReference ref(ss.item(i));
      if (!ref.hasAttributes()) continue;
      ++row;
      cad::Point3 p = ref.insertionPoint();
      if (row == 1) {
        minX = maxX = p.x;
        minY = maxY = p.y;
      } else {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
      }
      t.clearRow(row);
      t.setCell(kColNo, row, std::to_string(i + 1));
      t.setCell(kColBlock, row, ref.handle());
      t.setCell(kColX, row, cad::writeNumber(p.x));
      t.setCell(kColY, row, cad::writeNumber(p.y));
      int matches = 0;
      for (const cad::Attribute& a : ref.getAttributes()) {
        std::string tag = a.tagString();
        for (int col = kColName; col <= kColAux1; ++col) {
          if (tag != attributeTag(col)) continue;
          t.setCell(col, row, a.textString());
          t.setCell(col + 9, row, a.handle());
          ++matches;
          break;
        }
      }
      if (matches == 0) --row;  // the next block takes the row
    }
    grid.document = documentKey(c.doc());
    grid.documentName = c.doc().object().get("Name").toText();
    if (row == 0) {
      grid.table.setRowCount(2);
      grid.table.clearRow(1);
      r.status = GetResult::Status::NoBlocks;
      return r;
    }
    t.setRowCount(row + 1);
    if (maxY - minY > maxX - minX)
      SortGridRowsByNumber(t, kColY, true);
    else
      SortGridRowsByNumber(t, kColX, false);
    grid.table = std::move(t);
    r.status = GetResult::Status::Rows;
    r.rows = row;
  } catch (const cad::AutomationError&) {
    r.status = GetResult::Status::Failed;
  }
  return r;
}

namespace {

// The attribute behind a handle, when it still is an attribute with the column's tag; anything
// else (another drawing's entity under the same handle, an erased one) is not written.
std::optional<cad::Attribute> attributeFor(const cad::Document& doc, const std::string& handle,
                                           int textColumn) {
  cad::Entity e = doc.handleToObject(handle);
  if (e.objectName() != "AcDbAttribute") return std::nullopt;
  cad::Attribute a(e);
  if (cad::asciiUpper(a.tagString()) != attributeTag(textColumn)) return std::nullopt;
  return a;
}

// A NAME with "^" is split into two lines only in a row whose NAME1 cell is empty and that has no
// NAME1 attribute yet: text typed into the NAME1 cell is never overwritten by the split.
bool splitApplies(const GridTable& t, int col, int row) {
  return col == kColName && t.cell(kColName, row).find('^') != std::string::npos &&
         t.cell(kColName1, row).empty() && t.cell(kColName1 + 9, row).empty();
}

// NAME keeps the text before the first "^" and moves up 0.6 text heights; a copy of it, moved
// down as far, becomes NAME1 with the rest. Should the CAD refuse a step, what was done is taken
// back, so that no second NAME attribute is left behind.
void splitName(const cad::Attribute& a, GridTable& t, int row) {
  const std::string text = t.cell(kColName, row);
  std::size_t p = text.find('^');
  std::string before = text.substr(0, p), after = text.substr(p + 1);
  std::string oldText = a.textString();
  a.setTextString(before);
  std::optional<cad::Attribute> b;
  bool moved = false;
  double up = 0;
  try {
    b = cad::Attribute(a.copy());
    up = 0.6 * a.height();
    a.move({0, 0, 0}, {0, up, 0});
    moved = true;
    b->move({0, 0, 0}, {0, -0.6 * b->height(), 0});
    b->object().put("TagString", cad::Value("NAME1"));
    b->setTextString(after);
  } catch (const cad::AutomationError&) {
    try {
      if (b) b->erase();
      if (moved) a.move({0, up, 0}, {0, 0, 0});
      a.setTextString(oldText);
    } catch (const cad::AutomationError&) {
    }
    throw;
  }
  t.setCell(kColName, row, before);
  t.setCell(kColName1, row, after);
  t.setCell(kColName1 + 9, row, b->handle());
}

// Writes one text cell into its attribute: split or text.
bool writeCell(const cad::Document& doc, GridTable& t, int col, int row) {
  const std::string& handle = t.cell(col + 9, row);
  if (handle.empty()) return false;
  std::optional<cad::Attribute> a = attributeFor(doc, handle, col);
  if (!a) return false;
  if (splitApplies(t, col, row))
    splitName(*a, t, row);
  else
    a->setTextString(t.cell(col, row));
  return true;
}

// A text cell as one attribute value: one line break at its end (a pasted spreadsheet cell) is
// dropped; any other tab or line break is refused with cad::FieldError naming the cell.
void cleanCell(GridTable& t, int col, int row) {
  if (t.cell(col + 9, row).empty()) return;
  t.setCell(col, row,
            cad::fieldValue(t.cell(col, row),
                            std::string(attributeTag(col)) + " " + std::to_string(row) + " 行目"));
}

std::string otherDrawing(const AttributeGrid& grid) {
  std::string m = kOtherDrawing;
  return cad::replaceAll(m, "%s", grid.documentName);
}

}  // namespace

WriteResult UpdateAttributes(cad::Session& session, AttributeGrid& grid) {
  cad::CadCommand c(session);
  WriteResult r;
  if (!c.running()) return r;
  if (!grid.document.empty() && documentKey(c.doc()) != grid.document) {
    r.message = otherDrawing(grid);
    return r;
  }
  GridTable& t = grid.table;
  try {
    for (int row = 1; row < t.rowCount(); ++row)
      for (int col = kColName; col <= kColAux2; ++col)
        cleanCell(t, col, row);
  } catch (const cad::FieldError& e) {
    r.message = e.what();  // nothing is written
    return r;
  }
  c.openUndoGroup();
  for (int row = 1; row < t.rowCount(); ++row)
    for (int col = kColName; col <= kColAux2; ++col) {
      try {
        if (writeCell(c.doc(), t, col, row)) ++r.written;
      } catch (const cad::AutomationError&) {
        // One cell the CAD refuses (its attribute erased since) does not stop the others.
      }
    }
  c.closeUndoGroup();
  c.doc().regen(0);
  return r;
}

WriteResult EnterKeyWrite(cad::Session& session, AttributeGrid& grid, int col, int row) {
  WriteResult r;
  if (col < kColName || col > kColAux2) return r;
  cad::CadCommand c(session);
  if (!c.running()) return r;
  try {
    if (!grid.document.empty() && documentKey(c.doc()) != grid.document) {
      r.message = otherDrawing(grid);
      return r;
    }
    cleanCell(grid.table, col, row);
    c.openUndoGroup();
    if (!grid.table.cell(kColBlock, row).empty() && writeCell(c.doc(), grid.table, col, row))
      ++r.written;
    c.closeUndoGroup();
    c.doc().regen(0);
  } catch (const cad::FieldError& e) {
    r.message = e.what();
  } catch (const cad::AutomationError&) {
    // The write-back of one cell ends quietly; the undo group is closed on the way out.
  }
  return r;
}

int EnterKeyNextRow(const GridTable& table, int row) {
  return row + 1 < table.rowCount() ? row + 1 : 1;
}

void MarkClickedAttribute(cad::Session& session, const AttributeGrid& grid, int col, int row) {
  const GridTable& t = grid.table;
  if (t.cell(kColX, row).empty() || t.cell(kColY, row).empty()) return;
  if (col < kColName || col > kColAux2 || t.cell(col + 9, row).empty()) return;
  try {
    cad::CadCommand c(session);
    if (!c.running() || !session.desktop) return;
    if (!grid.document.empty() && documentKey(c.doc()) != grid.document) return;
    std::optional<cad::Attribute> a = attributeFor(c.doc(), t.cell(col + 9, row), col);
    if (!a) return;
    MarkViewCenter(c.app(), *session.desktop, session.CadProgId, a->insertionPoint(), 3, false,
                   0.05);
  } catch (const cad::AutomationError&) {
  }
}

void MarkViewCenter(const cad::Application& app, cad::Desktop& desktop, const std::string& progId,
                    cad::Point3 centre, int penWidth, bool xorMode, double size) {
  try {
    cad::Document doc = app.activeDocument();
    double viewSize = doc.getVariable("VIEWSIZE").toDouble();
    app.zoomCenter(centre, viewSize);
    app.zoomCenter(centre, viewSize);
    cad::WindowHandle window = doc.hwnd();
    cad::Value screen = doc.getVariable("SCREENSIZE");
    int width = 0, height = 0;
    if (cad::cadKindIs(progId, "PCAD")) {
      int w = 0, h = 0;
      if (desktop.windowSize(window, w, h)) {
        int scale = cad::GetScreenScale(desktop);
        width = w * scale / 100;
        height = h * scale / 100;
      }
    } else {
      std::vector<double> wh;
      if (screen.kind() == cad::Value::Kind::DoubleArray) wh = screen.doubles();
      if (screen.kind() == cad::Value::Kind::ValueArray)
        for (const cad::Value& v : screen.values())
          wh.push_back(v.toDouble());
      if (wh.size() >= 2) {
        width = static_cast<int>(wh[0]);
        height = static_cast<int>(wh[1]);
      }
    }
    if (window == 0 || width <= 0 || height <= 0) return;
    int cx = width / 2, cy = height / 2;
    double length = width * size;
    int dx = static_cast<int>(std::trunc(length)), dy = static_cast<int>(std::trunc(length * 0.5));
    cad::ViewMarker m;
    m.penWidth = penWidth;
    m.xorMode = xorMode;
    m.lines = {{cx, cy, cx - dx, cy - dy},
               {cx - dx, cy - dy, cx - dx, cy + dy},
               {cx - dx, cy + dy, cx, cy}};
    desktop.drawViewMarker(window, m);
  } catch (const cad::AutomationError&) {
  }
}

}  // namespace qarn::inspect
