#include "widgets/string_grid.h"

#include <QFontInfo>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace qarn::widgets {

namespace {
// Lets the page draw over a cell after the grid has drawn it.
class CellDelegate : public QStyledItemDelegate {
 public:
  explicit CellDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(p, option, index);
    if (grid_->drawCell) {
      p->save();
      grid_->drawCell(p, option.rect, index.column(), index.row() + 1);
      p->restore();
    }
  }

 private:
  StringGrid* grid_;
};

void styleAsGrid(QTableView* v) {
  v->verticalHeader()->hide();
  v->verticalHeader()->setDefaultSectionSize(20);
  v->verticalHeader()->setMinimumSectionSize(16);
  v->horizontalHeader()->setDefaultSectionSize(60);
  v->horizontalHeader()->setMinimumSectionSize(1);
  v->horizontalHeader()->setHighlightSections(false);
  v->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  v->setEditTriggers(QAbstractItemView::NoEditTriggers);
  v->setWordWrap(false);
  v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}
}  // namespace

StringGrid::StringGrid(QWidget* parent)
    : QTableView(parent), model_(new GridModel(this)), frozen_(new QTableView(this)) {
  model_->setColumns(5);
  model_->setRows(1);
  setModel(model_);
  styleAsGrid(this);
  setItemDelegate(new CellDelegate(this));
  setSelectionMode(QAbstractItemView::ContiguousSelection);

  frozen_->setModel(model_);
  styleAsGrid(frozen_);
  frozen_->setItemDelegate(new CellDelegate(this));
  frozen_->setSelectionModel(selectionModel());
  frozen_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setStyleSheet("QTableView { border: none; }");
  frozen_->hide();
  viewport()->stackUnder(frozen_);

  connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(),
          &QScrollBar::setValue);
  connect(frozen_->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(),
          &QScrollBar::setValue);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int size) {
    if (col < fixedCols_) {
      frozen_->setColumnWidth(col, size);
      placeFrozen();
    }
  });
  auto clicked = [this](const QModelIndex& i) { emit cellClicked(i.column(), i.row() + 1); };
  connect(this, &QTableView::clicked, this, clicked);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& now, const QModelIndex&) {
            if (now.isValid()) emit currentRowChanged(now.row() + 1);
          });
  connect(frozen_, &QTableView::clicked, this, clicked);
}

StringGrid::~StringGrid() = default;

void StringGrid::setColCount(int n) {
  model_->setColumns(std::max(n, 1));
  updateFrozen();
}

void StringGrid::setRowCount(int n) {
  model_->setRows(std::max(n, 2) - 1);
}

void StringGrid::setRowSource(std::shared_ptr<const RowSource> source) {
  model_->setSource(std::move(source));
  if (model_->rowCount() == 0) model_->setRows(1);  // a grid always shows one data row
}

void StringGrid::setEditableColumn(int col) {
  model_->setEditableColumn(col);
  setEditTriggers(QAbstractItemView::AllEditTriggers);
}

void StringGrid::setEditableColumns(int first, int last) {
  model_->setEditableColumns(first, last);
  setEditTriggers(QAbstractItemView::AllEditTriggers);
}

QString StringGrid::cell(int col, int row) const {
  if (row == 0) return model_->header(col);
  return model_->text(row - 1, col);
}

void StringGrid::setCell(int col, int row, const QString& text) {
  if (row == 0)
    model_->setHeader(col, text);
  else
    model_->setText(row - 1, col, text);
}

QStringList StringGrid::rowCells(int row) const {
  QStringList out;
  for (int c = 0; c < colCount(); ++c)
    out << cell(c, row);
  return out;
}

void StringGrid::clearRow(int row) {
  for (int c = 0; c < colCount(); ++c)
    setCell(c, row, QString());
}

void StringGrid::setRowCells(int row, const QStringList& texts) {
  clearRow(row);
  for (int c = 0; c < std::min<int>(colCount(), texts.size()); ++c)
    setCell(c, row, texts[c]);
}

void StringGrid::setHeaderText(const QString& commaText) {
  QStringList names = commaText.split(',');
  if (names.size() > colCount()) setColCount(static_cast<int>(names.size()));
  for (int c = 0; c < colCount(); ++c)
    setCell(c, 0, c < names.size() ? names[c] : QString());
}

int StringGrid::colWidth(int col) const {
  return isColumnHidden(col) ? -1 : columnWidth(col);
}

void StringGrid::setColWidth(int col, int width) {
  if (width < 0) {
    setColumnHidden(col, true);
    frozen_->setColumnHidden(col, true);
  } else {
    setColumnHidden(col, false);
    setColumnWidth(col, width);
    if (col < fixedCols_) {
      frozen_->setColumnHidden(col, false);
      frozen_->setColumnWidth(col, width);
    }
  }
  placeFrozen();
}

void StringGrid::fitColumns() {
  QFontMetrics fm(font());
  int extra = QFontInfo(font()).pointSize();
  for (int c = 0; c < colCount(); ++c) {
    if (colWidth(c) <= 0) continue;
    int widest = fm.horizontalAdvance(cell(c, 0));
    std::optional<int> fast = model_->source() ? model_->source()->widestText(c, fm) : std::nullopt;
    if (fast) {
      widest = std::max(widest, *fast);
    } else {
      for (int r = 1; r < rowCount(); ++r)
        widest = std::max(widest, fm.horizontalAdvance(cell(c, r)));
    }
    setColWidth(c, widest + extra);
  }
}

void StringGrid::setFixedCols(int n) {
  fixedCols_ = n;
  updateFrozen();
}

void StringGrid::setRowSelect(bool wholeRows) {
  auto b = wholeRows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems;
  setSelectionBehavior(b);
  frozen_->setSelectionBehavior(b);
}

int StringGrid::currentRow() const {
  QModelIndex i = currentIndex();
  return i.isValid() ? i.row() + 1 : 1;
}

int StringGrid::currentCol() const {
  QModelIndex i = currentIndex();
  return i.isValid() ? i.column() : fixedCols_;
}

void StringGrid::setCurrentCell(int col, int row) {
  if (row < 1 || row >= rowCount() || col < 0 || col >= colCount()) return;
  setCurrentIndex(model_->index(row - 1, col));
}

StringGrid::Selection StringGrid::selection() const {
  QModelIndexList sel = selectionModel()->selectedIndexes();
  if (sel.isEmpty()) return {currentCol(), currentRow(), currentCol(), currentRow()};
  Selection s{INT_MAX, INT_MAX, -1, -1};
  for (const QModelIndex& i : sel) {
    s.left = std::min(s.left, i.column());
    s.right = std::max(s.right, i.column());
    s.top = std::min(s.top, i.row() + 1);
    s.bottom = std::max(s.bottom, i.row() + 1);
  }
  return s;
}

void StringGrid::updateFrozen() {
  if (fixedCols_ <= 0) {
    frozen_->hide();
    return;
  }
  for (int c = 0; c < colCount(); ++c) {
    bool show = c < fixedCols_ && !isColumnHidden(c);
    frozen_->setColumnHidden(c, !show);
    if (show) frozen_->setColumnWidth(c, columnWidth(c));
  }
  frozen_->show();
  placeFrozen();
}

void StringGrid::placeFrozen() {
  if (fixedCols_ <= 0) return;
  int w = 0;
  for (int c = 0; c < std::min(fixedCols_, colCount()); ++c)
    if (!isColumnHidden(c)) w += columnWidth(c);
  frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
  frozen_->setGeometry(frameWidth(), frameWidth(), w,
                       viewport()->height() + horizontalHeader()->height());
}

void StringGrid::resizeEvent(QResizeEvent* e) {
  QTableView::resizeEvent(e);
  placeFrozen();
}

QModelIndex StringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  QModelIndex current = QTableView::moveCursor(action, modifiers);
  // Keep the cell the cursor moved to out from under the fixed columns.
  if (fixedCols_ > 0 && action == MoveLeft && current.column() >= fixedCols_) {
    int fixedWidth = frozen_->width();
    if (visualRect(current).topLeft().x() < fixedWidth) {
      int v = visualRect(current).topLeft().x() + horizontalScrollBar()->value() - fixedWidth;
      horizontalScrollBar()->setValue(std::max(0, v));
    }
  }
  return current;
}

void StringGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (index.column() >= fixedCols_) QTableView::scrollTo(index, hint);
}

QWidget* gridPage(StringGrid*& grid, const char* gridName) {
  auto* page = new QWidget;
  grid = new StringGrid(page);
  grid->setObjectName(gridName);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(grid);
  return page;
}

}  // namespace qarn::widgets
