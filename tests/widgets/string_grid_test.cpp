#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include "widgets/string_grid.h"

namespace qarn::widgets {
namespace {

TEST(StringGrid, CellsByColumnAndRowWithRowZeroAsHeader) {
  StringGrid g;
  g.setColCount(4);
  g.setHeaderText("No,型番,ヨコ");
  EXPECT_EQ(g.rowCells(0), (QStringList{"No", "型番", "ヨコ", ""}));
  EXPECT_EQ(g.rowCount(), 2);
  g.setRowCount(1);
  EXPECT_EQ(g.rowCount(), 2) << "a grid with a fixed row keeps one data row";
  g.setCell(2, 5, "450");
  EXPECT_EQ(g.rowCount(), 6);
  EXPECT_EQ(g.cell(2, 5), "450");
  EXPECT_EQ(g.cell(9, 9), "") << "outside the grid reads empty";
  g.setRowCells(5, {"1", "RA", "450", "600", "extra"});
  EXPECT_EQ(g.rowCells(5), (QStringList{"1", "RA", "450", "600"}));
  g.setRowCells(5, {"2"});
  EXPECT_EQ(g.rowCells(5), (QStringList{"2", "", "", ""}));
}

TEST(StringGrid, WidthsHideAndFitColumns) {
  StringGrid g;
  g.setColCount(3);
  g.setHeaderText("A,B,C");
  g.setCell(0, 1, "a long cell text");
  g.setColWidth(2, -1);
  EXPECT_EQ(g.colWidth(2), -1);
  EXPECT_TRUE(g.isColumnHidden(2));
  g.fitColumns();
  QFontMetrics fm(g.font());
  int pt = QFontInfo(g.font()).pointSize();
  EXPECT_EQ(g.colWidth(0), fm.horizontalAdvance("a long cell text") + pt);
  EXPECT_EQ(g.colWidth(1), fm.horizontalAdvance("B") + pt);
  EXPECT_EQ(g.colWidth(2), -1) << "hidden columns stay hidden";
}

TEST(StringGrid, CurrentCellAndRectangularSelection) {
  StringGrid g;
  g.setColCount(5);
  g.setRowCount(6);
  g.setCurrentCell(2, 3);
  EXPECT_EQ(g.currentRow(), 3);
  EXPECT_EQ(g.currentCol(), 2);
  g.selectionModel()->select(QItemSelection(g.model()->index(1, 1), g.model()->index(3, 2)),
                             QItemSelectionModel::ClearAndSelect);
  auto s = g.selection();
  EXPECT_EQ(s.left, 1);
  EXPECT_EQ(s.top, 2);
  EXPECT_EQ(s.right, 2);
  EXPECT_EQ(s.bottom, 4);
}

TEST(StringGrid, FixedColumnsStayAndCellsCanBeDrawnByThePage) {
  StringGrid g;
  g.resize(200, 120);
  g.setColCount(6);
  g.setRowCount(3);
  for (int c = 0; c < 6; ++c)
    g.setColWidth(c, 80);
  g.setFixedCols(2);
  std::vector<std::pair<int, int>> drawn;
  g.drawCell = [&](QPainter* p, const QRect& r, int col, int row) {
    drawn.emplace_back(col, row);
    p->fillRect(r.adjusted(0, 2, -4, -2), QColor(192, 192, 192));
  };
  g.show();
  QImage img = g.grab().toImage();
  EXPECT_FALSE(drawn.empty());
  bool silver = false;
  for (int y = 0; y < img.height() && !silver; ++y)
    for (int x = 0; x < img.width() && !silver; ++x)
      silver = img.pixelColor(x, y) == QColor(192, 192, 192);
  EXPECT_TRUE(silver);
  // Scrolled all the way right, the fixed columns still cover the left edge.
  g.horizontalScrollBar()->setValue(g.horizontalScrollBar()->maximum());
  auto* frozen = g.findChild<QTableView*>();
  ASSERT_NE(frozen, nullptr);
  EXPECT_TRUE(frozen->isVisible());
  EXPECT_EQ(frozen->width(), 160);
}

}  // namespace
}  // namespace qarn::widgets
