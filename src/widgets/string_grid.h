#pragma once
// A string grid as the pages use it: row 0 is the header row, cells are addressed by column and
// row, a column width of -1 hides the column, the first columns can stay fixed while the rest
// scrolls sideways, and cells may be drawn by the page.
#include <QTableView>
#include <functional>

#include "widgets/grid_model.h"

namespace qarn::widgets {

class StringGrid : public QTableView {
  Q_OBJECT
 public:
  explicit StringGrid(QWidget* parent = nullptr);
  ~StringGrid() override;

  int colCount() const { return model_->columnCount(); }
  GridModel* gridModel() const { return model_; }
  // Data rows served by `source` (row 1 is its row 0) until the rows are set again.
  void setRowSource(std::shared_ptr<const RowSource> source);
  // Cells of this column can be edited in place.
  void setEditableColumn(int col);
  void setEditableColumns(int first, int last);
  void setColCount(int n);
  // Rows including the header row 0; at least 2 (one data row), as a grid with a fixed row.
  int rowCount() const { return model_->rowCount() + 1; }
  void setRowCount(int n);

  QString cell(int col, int row) const;
  void setCell(int col, int row, const QString& text);
  QStringList rowCells(int row) const;
  // Clears the row, then puts the texts into it from column 0 on (extra texts are dropped).
  void setRowCells(int row, const QStringList& texts);
  void clearRow(int row);
  // Row 0 from a comma-separated text; the column count grows to fit.
  void setHeaderText(const QString& commaText);

  int colWidth(int col) const;
  void setColWidth(int col, int width);  // -1 hides the column
  // Every visible column as wide as its widest text (header included) plus the font's point size.
  void fitColumns();

  int fixedCols() const { return fixedCols_; }
  void setFixedCols(int n);
  void setRowSelect(bool wholeRows);

  // The current cell; row 1 is the first data row.
  int currentRow() const;
  int currentCol() const;
  void setCurrentCell(int col, int row);
  // A cell's editor is open.
  bool editing() const { return state() == EditingState; }
  struct Selection {
    int left, top, right, bottom;
  };
  Selection selection() const;

  // Drawn after the grid's own drawing of a data cell.
  std::function<void(QPainter*, const QRect&, int col, int row)> drawCell;

 signals:
  void cellClicked(int col, int row);
  // The current row changed, by the mouse or the keyboard (row 1 is the first data row).
  void currentRowChanged(int row);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 private:
  void updateFrozen();
  void placeFrozen();
  GridModel* model_;
  QTableView* frozen_;  // the fixed columns, laid over the left edge
  int fixedCols_ = 0;
};

// A page that holds one grid, filling it; `grid` receives the new grid.
QWidget* gridPage(StringGrid*& grid, const char* gridName);

}  // namespace qarn::widgets
