// The attribute, summary and layer pages: the grids and their buttons. The grids' cells are
// copied into the core's tables for each command and back afterwards.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "cad/numbers.h"
#include "inspect/summary.h"
#include "widgets/field_text.h"
#include "widgets/named_button.h"

namespace qarn::app {

namespace {

// The grid's cells (and which columns are shown) as a core table.
inspect::GridTable toTable(const StringGrid* g) {
  inspect::GridTable t(g->colCount(), g->rowCount());
  for (int r = 0; r < g->rowCount(); ++r)
    for (int c = 0; c < g->colCount(); ++c)
      t.setCell(c, r, g->cell(c, r).toStdString());
  for (int c = 0; c < g->colCount(); ++c)
    t.setVisible(c, g->colWidth(c) > 0);
  return t;
}

void fromTable(const inspect::GridTable& t, StringGrid* g) {
  g->setRowCount(t.rowCount());
  for (int r = 1; r < t.rowCount(); ++r)
    for (int c = 0; c < std::min(g->colCount(), t.colCount()); ++c)
      g->setCell(c, r, QString::fromStdString(t.cell(c, r)));
}

inspect::GridSelection selectionOf(const StringGrid* g) {
  StringGrid::Selection s = g->selection();
  return {s.left, s.top, s.right, s.bottom};
}

inspect::GridKey gridKey(const QKeyEvent* k) {
  bool ctrl = k->modifiers() & Qt::ControlModifier;
  if (k->key() == Qt::Key_Delete) return inspect::GridKey::Delete;
  if (ctrl && k->key() == Qt::Key_C) return inspect::GridKey::CtrlC;
  if (ctrl && k->key() == Qt::Key_X) return inspect::GridKey::CtrlX;
  if (ctrl && k->key() == Qt::Key_V) return inspect::GridKey::CtrlV;
  return inspect::GridKey::Other;
}

// The clipboard keys over a grid's table; true when the key was used.
bool clipboardKeys(StringGrid* g, inspect::GridKey key, int lastColumn, int firstColumn,
                   inspect::GridTable& t) {
  QString clip = key == inspect::GridKey::CtrlV ? QApplication::clipboard()->text() : QString();
  inspect::ClipboardResult r =
      GridClipboardKeys(t, selectionOf(g), key, lastColumn, firstColumn, clip.toStdString());
  if (r.copied) QApplication::clipboard()->setText(QString::fromStdString(*r.copied));
  if (r.consumed) fromTable(t, g);
  return r.consumed;
}

QLineEdit* namedEdit(QWidget* parent, const char* name, const char* text, int width) {
  auto* e = new QLineEdit(QString::fromUtf8(text), parent);
  e->setObjectName(name);
  e->setFixedWidth(width);
  return e;
}

QToolButton* namedToolButton(QWidget* parent, const char* name, const char* text) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(QString::fromUtf8(text));
  return b;
}

}  // namespace

QWidget* TForm2::buildAttributePage() {
  auto* page = new QWidget;
  Button3 = widgets::namedButton(page, "Button3", "取得");
  Button4 = widgets::namedButton(page, "Button4", "更新");
  Button4->setEnabled(false);
  CheckBox9 = new QCheckBox(QString::fromUtf8("[Enter]で下へ↓"), page);
  CheckBox9->setObjectName("CheckBox9");
  CheckBox9->setChecked(true);
  CheckBox4 = new QCheckBox(QString::fromUtf8("[Enter] で更新"), page);
  CheckBox4->setObjectName("CheckBox4");
  CheckBox4->setChecked(true);
  Edit45 = namedEdit(page, "Edit45", "1", 30);
  SpeedButton5 = namedToolButton(page, "SpeedButton5", "加算");
  Edit46 = namedEdit(page, "Edit46", "", 60);
  Edit47 = namedEdit(page, "Edit47", "", 60);
  SpeedButton6 = namedToolButton(page, "SpeedButton6", "置換");
  Label34 = new QLabel(QString::fromUtf8("NAME 入力時、 ^ 入力で NAME1 作成"), page);
  Label34->setObjectName("Label34");

  auto* bar = new QHBoxLayout;
  bar->addWidget(Button3);
  bar->addWidget(Button4);
  bar->addWidget(CheckBox9);
  bar->addWidget(CheckBox4);
  bar->addStretch();
  auto* edits = new QHBoxLayout;
  edits->addWidget(Edit45);
  edits->addWidget(SpeedButton5);
  edits->addSpacing(8);
  edits->addWidget(Edit46);
  edits->addWidget(new QLabel(QString::fromUtf8("＞"), page));
  edits->addWidget(Edit47);
  edits->addWidget(SpeedButton6);
  edits->addSpacing(8);
  edits->addWidget(Label34);
  edits->addStretch();

  StringGrid2 = new StringGrid(page);
  StringGrid2->setObjectName("StringGrid2");
  StringGrid2->setFixedCols(1);
  StringGrid2->setEditableColumns(inspect::kColName, inspect::kColAux2);
  StringGrid2->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
  // A text cell whose block has no such attribute is shaded: it is never written.
  StringGrid2->drawCell = [this](QPainter* p, const QRect& r, int col, int row) {
    if (col < inspect::kColName || col > inspect::kColAux2) return;
    if (!StringGrid2->cell(col + 9, row).isEmpty()) return;
    p->fillRect(r.adjusted(0, 2, -4, -2), QColor(192, 192, 192));
  };
  StringGrid2->installEventFilter(this);
  // Enter that ends the editing of a cell is the grid's Enter key too, once the typed text is in
  // the cell.
  connect(StringGrid2->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
          [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
            if (hint == QAbstractItemDelegate::SubmitModelCache)
              runHandler([this] { StringGrid2KeyPress(QChar(13)); });
          });

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(bar);
  layout->addLayout(edits);
  layout->addWidget(StringGrid2);

  auto handle = [this](void (TForm2::*f)()) {
    return [this, f] { runHandler([this, f] { (this->*f)(); }); };
  };
  connect(Button3, &QPushButton::clicked, this, handle(&TForm2::Button3Click));
  connect(Button4, &QPushButton::clicked, this, handle(&TForm2::Button4Click));
  connect(SpeedButton5, &QToolButton::clicked, this, handle(&TForm2::SpeedButton5Click));
  connect(SpeedButton6, &QToolButton::clicked, this, handle(&TForm2::SpeedButton6Click));
  connect(StringGrid2, &StringGrid::cellClicked, this,
          [this](int col, int row) { runHandler([=, this] { StringGrid2Click(col, row); }); });
  return page;
}

QWidget* TForm2::buildSummaryPage() {
  auto* page = new QWidget;
  Button5 = widgets::namedButton(page, "Button5", "取得");
  Button29 = widgets::namedButton(page, "Button29", "CSV保存");
  auto* bar = new QHBoxLayout;
  bar->addWidget(Button5);
  bar->addWidget(new QLabel(QString::fromUtf8("TOVEK_FRONT 画層の図形のみ"), page));
  bar->addStretch();
  bar->addWidget(Button29);
  StringGrid3 = new StringGrid(page);
  StringGrid3->setObjectName("StringGrid3");
  StringGrid3->setFixedCols(1);
  StringGrid3->installEventFilter(this);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(bar);
  layout->addWidget(StringGrid3);
  connect(Button5, &QPushButton::clicked, this, [this] { runHandler([this] { Button5Click(); }); });
  connect(Button29, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button29Click(); }); });
  askCsvPath = [this] {
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
    QString path =
        QFileDialog::getSaveFileName(this, QString::fromUtf8("CSV保存"), "BOM.csv", "CSV (*.csv)");
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    return path;
  };
  return page;
}

QWidget* TForm2::buildLayerPage() {
  auto* page = new QWidget;
  Button20 = widgets::namedButton(page, "Button20", "再取得");
  StringGrid5 = new StringGrid(page);
  StringGrid5->setObjectName("StringGrid5");
  StringGrid5->setFixedCols(2);
  StringGrid5->installEventFilter(this);
  StringGrid5->viewport()->installEventFilter(this);
  auto* bar = new QHBoxLayout;
  bar->addWidget(Button20);
  bar->addStretch();
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(bar);
  layout->addWidget(StringGrid5);
  // "再取得" runs the page-change handler: it acts because its page is the active one.
  connect(Button20, &QPushButton::clicked, this,
          [this] { runHandler([this] { PageControl1Change(); }); });
  return page;
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    bool used = false;
    if (watched == StringGrid2) {
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        // The Enter that ends a cell's editing comes here from the editor before the editor's
        // text reaches the cell: the key press runs once that editor is closed (below).
        if (!StringGrid2->editing()) runHandler([this] { StringGrid2KeyPress(QChar(13)); });
        return true;
      }
      runHandler([&] { used = StringGrid2KeyDown(gridKey(k)); });
      return used;
    }
    if (watched == StringGrid3) {
      runHandler([&] { used = StringGrid3KeyDown(gridKey(k)); });
      return used;
    }
    if (watched == StringGrid5 && k->key() == Qt::Key_Space) {
      runHandler([&] { StringGrid5KeyDown(Qt::Key_Space); });
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonPress && StringGrid5 &&
      watched == StringGrid5->viewport()) {
    auto* m = static_cast<QMouseEvent*>(event);
    if (m->button() == Qt::LeftButton) {
      QModelIndex i = StringGrid5->indexAt(m->position().toPoint());
      if (i.isValid()) {
        StringGrid5->setCurrentCell(i.column(), i.row() + 1);
        runHandler([&] { StringGrid5MouseDown(i.column(), i.row() + 1); });
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TForm2::Button3Click() {
  attributes_.table = toTable(StringGrid2);
  inspect::GetResult r = inspect::GetAttributes(session(), attributes_);
  using S = inspect::GetResult::Status;
  if (r.status == S::Rows || r.status == S::NoBlocks) {
    fromTable(attributes_.table, StringGrid2);
    Button4->setEnabled(r.status == S::Rows);
    StringGrid2->fitColumns();
    StringGrid2->viewport()->update();
  }
}

void TForm2::Button4Click() {
  attributes_.table = toTable(StringGrid2);
  inspect::WriteResult r = inspect::UpdateAttributes(session(), attributes_);
  fromTable(attributes_.table, StringGrid2);
  if (!r.message.empty()) showMessage(QString::fromStdString(r.message));
}

void TForm2::StringGrid2KeyPress(QChar key) {
  if (key != QChar(13)) return;
  int col = StringGrid2->currentCol(), row = StringGrid2->currentRow();
  if (CheckBox4->isChecked()) {
    attributes_.table = toTable(StringGrid2);
    inspect::WriteResult r = inspect::EnterKeyWrite(session(), attributes_, col, row);
    fromTable(attributes_.table, StringGrid2);
    if (!r.message.empty()) showMessage(QString::fromStdString(r.message));
  }
  if (CheckBox9->isChecked())
    StringGrid2->setCurrentCell(col, inspect::EnterKeyNextRow(attributes_.table, row));
}

void TForm2::StringGrid2Click(int col, int row) {
  attributes_.table = toTable(StringGrid2);
  inspect::MarkClickedAttribute(session(), attributes_, col, row);
}

bool TForm2::StringGrid2KeyDown(inspect::GridKey key) {
  if (key == inspect::GridKey::Other) return false;
  inspect::GridTable t = toTable(StringGrid2);
  return clipboardKeys(StringGrid2, key, 5, 1, t);
}

void TForm2::SpeedButton5Click() {
  inspect::GridTable t = toTable(StringGrid2);
  inspect::AddToDeviceNumbers(t, selectionOf(StringGrid2),
                              cad::readInteger(Edit45->text().toStdString(), 0));
  fromTable(t, StringGrid2);
}

void TForm2::SpeedButton6Click() {
  inspect::GridTable t = toTable(StringGrid2);
  inspect::ReplaceInCells(t, selectionOf(StringGrid2), widgets::fieldText(Edit46, "置換する文字"),
                          widgets::fieldText(Edit47, "置換後の文字"));
  fromTable(t, StringGrid2);
}

void TForm2::Button5Click() {
  inspect::GridTable t = toTable(StringGrid3);
  inspect::SummaryResult r = inspect::GetSummary(session(), t);
  using S = inspect::SummaryResult::Status;
  if (r.status == S::Rows || r.status == S::NoBlocks) {
    fromTable(t, StringGrid3);
    if (r.status == S::Rows) StringGrid3->fitColumns();
  }
}

void TForm2::Button29Click() {
  QString path = askCsvPath ? askCsvPath() : QString();
  if (path.isEmpty()) return;
  inspect::saveSummaryCsv(path.toStdString(), toTable(StringGrid3));
}

bool TForm2::StringGrid3KeyDown(inspect::GridKey key) {
  if (key == inspect::GridKey::Other) return false;
  inspect::GridTable t = toTable(StringGrid3);
  return clipboardKeys(StringGrid3, key, 4, 1, t);
}

void TForm2::showLayerTable() {
  for (int row = 1; row <= static_cast<int>(layers_.rows.size()); ++row) {
    for (int col = inspect::kLayerOn; col <= inspect::kLayerPrint; ++col)
      StringGrid5->setCell(col, row, QString::fromStdString(layers_.text(col, row)));
    StringGrid5->setCell(inspect::kLayerHandle, row,
                         QString::fromStdString(layers_.rows[row - 1].handle));
  }
  StringGrid5->viewport()->update();
}

void TForm2::PageControl1Change() {
  if (PageControl1->currentIndex() == 8) showPlateEnclosure();
  if (PageControl1->currentIndex() != 4) return;
  inspect::FillLayerTable(session(), layers_);
  showLayerTable();
}

void TForm2::StringGrid5MouseDown(int col, int row) {
  // The grid shows the states even when writing them fails, so it never lies about the table.
  struct Show {
    TForm2* f;
    ~Show() { f->showLayerTable(); }
  } show{this};
  inspect::ClickLayerCell(session(), layers_, col, row);
}

void TForm2::StringGrid5KeyDown(int key) {
  if (key != Qt::Key_Space) return;
  struct Show {
    TForm2* f;
    ~Show() { f->showLayerTable(); }
  } show{this};
  StringGrid::Selection s = StringGrid5->selection();
  inspect::SpaceOverLayers(session(), layers_, s.left, s.top, s.bottom);
}

}  // namespace qarn::app
