// The device-frame and panel-device pages: the catalogue grids with their search fields, the
// device fields a row click fills, the device-number steps and the row menu.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "cad/numbers.h"
#include "cad/text.h"
#include "catalogue/catalogue_rows.h"
#include "catalogue/row_edit_dialog.h"
#include "frames/frame_row.h"
#include "widgets/named_button.h"

namespace qarn::app {

namespace {

QLineEdit* edit(QWidget* parent, const char* name, const char* text = "", bool visible = true) {
  auto* e = new QLineEdit(QString::fromUtf8(text), parent);
  e->setObjectName(name);
  e->setVisible(visible);
  return e;
}

QToolButton* stepButton(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(QString::fromUtf8(caption));
  return b;
}

QCheckBox* check(QWidget* parent, const char* name, const char* caption) {
  auto* c = new QCheckBox(QString::fromUtf8(caption), parent);
  c->setObjectName(name);
  return c;
}

QLabel* label(QWidget* parent, const char* text) {
  return new QLabel(QString::fromUtf8(text), parent);
}

// Captioned fields side by side.
void addCaptioned(QHBoxLayout* row, QWidget* page,
                  std::initializer_list<std::pair<const char*, QLineEdit*>> fields,
                  int stretch = 0) {
  for (auto [caption, e] : fields) {
    row->addWidget(label(page, caption));
    row->addWidget(e, stretch);
  }
}

// The search field, then the device number with its two step buttons.
QHBoxLayout* searchRow(QWidget* page, QLineEdit* search, QLineEdit* number, QToolButton* up,
                       QToolButton* down) {
  auto* top = new QHBoxLayout;
  top->addWidget(label(page, "検索文字列"));
  top->addWidget(search, 1);
  top->addWidget(label(page, "器具番号"));
  top->addWidget(number);
  top->addWidget(up);
  top->addWidget(down);
  return top;
}

void setUpCatalogueGrid(StringGrid* g, QMenu* menu) {
  g->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(g, &QWidget::customContextMenuRequested, g,
                   [g, menu](const QPoint& at) { menu->popup(g->viewport()->mapToGlobal(at)); });
}

// Upper case (ASCII letters only) with the caret where it was.
void upperCaseKeepingCaret(QLineEdit* e) {
  QString upper = QString::fromStdString(cad::asciiUpper(e->text().toStdString()));
  if (upper == e->text()) return;
  int caret = e->cursorPosition();
  QSignalBlocker quiet(e);
  e->setText(upper);
  e->setCursorPosition(caret);
}

void stepNumber(QLineEdit* e, int step) {
  auto next = catalogue::stepDeviceNumber(e->text().toStdString(), step);
  if (!next) return;
  int caret = e->cursorPosition();
  e->setText(QString::fromStdString(*next));
  e->setCursorPosition(std::min<int>(caret, e->text().size()));
}

}  // namespace

QMenu* TForm2::buildRowMenu() {
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  N1 = PopupMenu1->addAction(QString::fromUtf8("現在行を編集後、更新または追加"));
  N1->setObjectName("N1");
  PopupMenu1->addSeparator();
  N3 = PopupMenu1->addAction(QString::fromUtf8("現在行を削除"));
  N3->setObjectName("N3");
  connect(N1, &QAction::triggered, this, [this] { runHandler([this] { N1Click(); }); });
  connect(N3, &QAction::triggered, this, [this] { runHandler([this] { N3Click(); }); });
  return PopupMenu1;
}

QWidget* TForm2::buildDeviceFramePage() {
  auto* page = new QWidget;
  QMenu* menu = buildRowMenu();
  Edit1 = edit(page, "Edit1");
  Edit6 = edit(page, "Edit6");
  SpeedButton1 = stepButton(page, "SpeedButton1", "▲");
  SpeedButton2 = stepButton(page, "SpeedButton2", "▼");
  Edit2 = edit(page, "Edit2");
  Edit7 = edit(page, "Edit7");
  Edit12 = edit(page, "Edit12");
  Edit3 = edit(page, "Edit3");
  Edit4 = edit(page, "Edit4");
  Edit5 = edit(page, "Edit5");
  Edit28 = edit(page, "Edit28");
  Edit9 = edit(page, "Edit9");
  Edit27 = edit(page, "Edit27");
  for (QLineEdit* e : {Edit3, Edit4, Edit5, Edit28, Edit9, Edit27}) {
    e->setFocusPolicy(Qt::ClickFocus);
    e->setFixedWidth(40);
  }
  Edit31 = edit(page, "Edit31", "", false);
  Edit23 = edit(page, "Edit23", "", false);
  CheckBox1 = check(page, "CheckBox1", "端子台モード");
  Edit8 = edit(page, "Edit8", "4");
  Edit8->setEnabled(false);
  CheckBox2 = check(page, "CheckBox2", "配列モード");
  Edit10 = edit(page, "Edit10", "2");
  Edit11 = edit(page, "Edit11", "0");
  for (QLineEdit* e : {Edit8, Edit10, Edit11}) {
    e->setEnabled(false);
    e->setFixedWidth(36);
  }
  Button2 = widgets::namedButton(page, "Button2", "側面");
  Button2->setEnabled(false);
  StringGrid1 = new StringGrid(page);
  StringGrid1->setObjectName("StringGrid1");
  setUpCatalogueGrid(StringGrid1, menu);

  QHBoxLayout* top = searchRow(page, Edit1, Edit6, SpeedButton1, SpeedButton2);
  auto* texts = new QHBoxLayout;
  addCaptioned(texts, page, {{"型　番", Edit2}, {"定　格", Edit7}, {"補　助", Edit12}}, 1);
  auto* sizes = new QHBoxLayout;
  addCaptioned(sizes, page,
               {{"W:", Edit3},
                {"H:", Edit4},
                {"D:", Edit5},
                {"H2:", Edit28},
                {"D2:", Edit9},
                {"E:", Edit27}});
  sizes->addStretch();
  sizes->addWidget(Button2);
  auto* modes = new QHBoxLayout;
  modes->addWidget(CheckBox1);
  modes->addWidget(Edit8);
  modes->addWidget(label(page, "P"));
  modes->addWidget(CheckBox2);
  modes->addWidget(Edit10);
  modes->addWidget(label(page, "個"));
  modes->addWidget(label(page, "配置スペース"));
  modes->addWidget(Edit11);
  modes->addStretch();
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(3);
  for (QHBoxLayout* row : {top, texts, sizes, modes})
    layout->addLayout(row);
  layout->addWidget(buildFramePlacement(page));
  layout->addWidget(StringGrid1, 1);

  auto handle = [this](auto f) { return [this, f] { runHandler([this, f] { (this->*f)(); }); }; };
  connect(Edit1, &QLineEdit::textChanged, this, handle(&TForm2::Edit1Change));
  connect(Edit6, &QLineEdit::textChanged, this, handle(&TForm2::Edit6Change));
  connect(Edit5, &QLineEdit::textChanged, this, handle(&TForm2::Edit5Change));
  connect(CheckBox1, &QCheckBox::clicked, this, handle(&TForm2::CheckBox1Click));
  connect(CheckBox2, &QCheckBox::clicked, this, handle(&TForm2::CheckBox2Click));
  connect(StringGrid1, &StringGrid::cellClicked, this, handle(&TForm2::StringGrid1Click));
  // The fields follow the current row however it was reached, so that "正面" acts on the row the
  // user sees.
  connect(StringGrid1, &StringGrid::currentRowChanged, this, handle(&TForm2::StringGrid1Click));
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(+1); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton1Click(-1); });
  return page;
}

QWidget* TForm2::buildPanelDevicePage() {
  auto* page = new QWidget;
  Edit13 = edit(page, "Edit13");
  Edit18 = edit(page, "Edit18");
  SpeedButton3 = stepButton(page, "SpeedButton3", "▲");
  SpeedButton4 = stepButton(page, "SpeedButton4", "▼");
  Edit14 = edit(page, "Edit14");
  Edit19 = edit(page, "Edit19");
  Edit24 = edit(page, "Edit24");
  Edit15 = edit(page, "Edit15");
  Edit16 = edit(page, "Edit16");
  Edit20 = edit(page, "Edit20");
  Edit29 = edit(page, "Edit29");
  Edit26 = edit(page, "Edit26");
  Edit17 = edit(page, "Edit17");
  for (QLineEdit* e : {Edit15, Edit16, Edit20, Edit29, Edit26, Edit17})
    e->setFixedWidth(36);
  Edit25 = edit(page, "Edit25", "", false);
  Edit30 = edit(page, "Edit30", "", false);
  CheckBox5 = check(page, "CheckBox5", "銘板を付ける");
  CheckBox5->setChecked(true);
  CheckBox6 = check(page, "CheckBox6", "配列モード");
  Edit21 = edit(page, "Edit21", "2");
  Edit22 = edit(page, "Edit22", "60");
  CheckBox7 = check(page, "CheckBox7", "縦方向に複写");
  for (QWidget* w : std::initializer_list<QWidget*>{Edit21, Edit22, CheckBox7})
    w->setEnabled(false);
  Edit21->setFixedWidth(36);
  Edit22->setFixedWidth(36);
  Button6 = widgets::namedButton(page, "Button6", "作成");
  Button8 = widgets::namedButton(page, "Button8", "側面");
  Image1 = new QLabel(page);
  Image1->setObjectName("Image1");
  Image1->setFixedSize(90, 90);
  StringGrid4 = new StringGrid(page);
  StringGrid4->setObjectName("StringGrid4");
  setUpCatalogueGrid(StringGrid4, PopupMenu1);

  QHBoxLayout* top = searchRow(page, Edit13, Edit18, SpeedButton3, SpeedButton4);
  auto* texts = new QHBoxLayout;
  texts->addWidget(Edit14, 1);
  texts->addWidget(Edit19, 1);
  texts->addWidget(Edit24, 1);
  auto* sizes = new QHBoxLayout;
  addCaptioned(
      sizes, page,
      {{"W", Edit15}, {"H", Edit16}, {"D", Edit20}, {"H2", Edit29}, {"D2", Edit26}, {"M", Edit17}});
  sizes->addStretch();
  sizes->addWidget(Button6);
  sizes->addWidget(Button8);
  auto* modes = new QHBoxLayout;
  modes->addWidget(CheckBox5);
  modes->addWidget(CheckBox6);
  modes->addWidget(Edit21);
  modes->addWidget(label(page, "ピッチ"));
  modes->addWidget(Edit22);
  modes->addWidget(CheckBox7);
  modes->addStretch();
  auto* fields = new QVBoxLayout;
  for (QHBoxLayout* row : {top, texts, sizes, modes})
    fields->addLayout(row);
  auto* head = new QHBoxLayout;
  head->addLayout(fields, 1);
  head->addWidget(Image1);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(3);
  layout->addLayout(head);
  layout->addWidget(StringGrid4, 1);

  auto handle = [this](auto f) { return [this, f] { runHandler([this, f] { (this->*f)(); }); }; };
  connect(Edit13, &QLineEdit::textChanged, this, handle(&TForm2::Edit13Change));
  connect(Edit18, &QLineEdit::textChanged, this, handle(&TForm2::Edit18Change));
  connect(CheckBox5, &QCheckBox::clicked, this, handle(&TForm2::CheckBox5Click));
  connect(CheckBox6, &QCheckBox::clicked, this, handle(&TForm2::CheckBox6Click));
  connect(Button8, &QPushButton::clicked, this, handle(&TForm2::Button8Click));
  connect(Button6, &QPushButton::clicked, this, handle(&TForm2::Button6Click));
  connect(StringGrid4, &StringGrid::cellClicked, this, handle(&TForm2::StringGrid4Click));
  connect(StringGrid4, &StringGrid::currentRowChanged, this, handle(&TForm2::StringGrid4Click));
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(+1); });
  connect(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton3Click(-1); });
  return page;
}

void TForm2::Edit1Change() {
  ReadTovekTxt(catalogue::kFrameCatalogue, Edit1->text(), StringGrid1);
}
void TForm2::Edit13Change() {
  ReadTovekTxt(catalogue::kPanelCatalogue, Edit13->text(), StringGrid4);
}

void TForm2::ReadTovekTxt(const QString& tabfileName, const QString& maskStr, StringGrid* sg) {
  auto snapshot = catalogues_.load(catalogueFilePath(tabfileName));
  if (!snapshot) {
    showMessage(QString::fromUtf8(catalogue::kMissingFileMessage));
    return;
  }
  std::vector<int> hits = snapshot->filter(maskStr.toStdString());
  if (hits.empty()) {
    sg->setRowSource(nullptr);
    sg->setRowCount(2);
    sg->clearRow(1);
    sg->setCurrentCell(sg->fixedCols(), 1);
    emptyDeviceFields(sg);
    return;
  }
  auto& widths = widths_[sg == StringGrid1 ? 0 : 1];
  if (!widths || !widths->fits(snapshot.get(), sg->font()))
    widths = std::make_shared<catalogue::WidthCache>(snapshot, sg->font());
  sg->setRowSource(std::make_shared<catalogue::CatalogueRows>(widths, std::move(hits)));
  sg->fitColumns();
  sg->setCurrentCell(sg->fixedCols(), 1);
  if (sg == StringGrid1)
    StringGrid1Click();
  else
    StringGrid4Click();
}

void TForm2::emptyDeviceFields(StringGrid* sg) {
  if (sg == StringGrid1) {
    for (QLineEdit* e :
         {Edit2, Edit3, Edit4, Edit5, Edit9, Edit7, Edit12, Edit23, Edit27, Edit28, Edit31})
      e->clear();
  } else {
    for (QLineEdit* e : {Edit14, Edit19, Edit24, Edit15, Edit16, Edit17, Edit20})
      e->clear();
  }
}

namespace {
catalogue::Fields rowFields(const StringGrid* g) {
  catalogue::Fields f;
  int row = g->currentRow();
  for (int c = 1; c <= catalogue::kFieldCount; ++c)
    f[c - 1] = g->cell(c, row).toStdString();
  return f;
}
void put(QLineEdit* e, const std::string& v) {
  e->setText(QString::fromStdString(v));
}
}  // namespace

void TForm2::StringGrid1Click() {
  frames::FrameRow r = frames::chooseFrameRow(rowFields(StringGrid1));
  put(Edit2, r.model);
  put(Edit7, r.rating);
  put(Edit3, r.width);
  put(Edit4, r.height);
  put(Edit5, r.depth);
  put(Edit28, r.height2);
  put(Edit9, r.depth2);
  put(Edit27, r.endWidth);
  put(Edit12, r.auxiliary);
  put(Edit31, r.cut);
  put(Edit23, r.dimensions);
  if (CheckBox1->isChecked() != r.terminalBlock) {
    CheckBox1->setChecked(r.terminalBlock);
    CheckBox1Click();
  }
  put(Edit2, frames::modelText(r.model, CheckBox1->isChecked(), Edit8->text().toStdString()));
}

void TForm2::StringGrid4Click() {
  catalogue::Fields f = rowFields(StringGrid4);
  put(Edit14, f[1]);
  put(Edit19, f[2]);
  put(Edit24, f[11]);
  put(Edit15, f[5]);
  put(Edit16, f[6]);
  put(Edit20, f[7]);
  put(Edit29, f[8]);
  put(Edit26, f[9]);
  put(Edit17, f[10]);
  put(Edit25, catalogue::dimensionString(f));
  put(Edit30, f[13]);
  DrawTovekImage();
}

void TForm2::CheckBox1Click() {
  Edit8->setEnabled(CheckBox1->isChecked());
  if (CheckBox1->isChecked() && CheckBox2->isChecked()) {
    CheckBox2->setChecked(false);
    CheckBox2Click();
  }
  put(Edit2, frames::modelText(StringGrid1->cell(2, StringGrid1->currentRow()).toStdString(),
                               CheckBox1->isChecked(), Edit8->text().toStdString()));
}

void TForm2::CheckBox2Click() {
  if (CheckBox2->isChecked() && CheckBox1->isChecked()) {
    CheckBox1->setChecked(false);
    CheckBox1Click();
  }
  Edit10->setEnabled(CheckBox2->isChecked());
  Edit11->setEnabled(CheckBox2->isChecked());
}

void TForm2::CheckBox5Click() {
  StringGrid4Click();
}

void TForm2::CheckBox6Click() {
  bool on = CheckBox6->isChecked();
  Edit21->setEnabled(on);
  Edit22->setEnabled(on);
  CheckBox7->setEnabled(on);
}

void TForm2::Edit6Change() {
  upperCaseKeepingCaret(Edit6);
}
void TForm2::Edit18Change() {
  upperCaseKeepingCaret(Edit18);
}
void TForm2::SpeedButton1Click(int step) {
  stepNumber(Edit6, step);
}
void TForm2::SpeedButton3Click(int step) {
  stepNumber(Edit18, step);
}
void TForm2::Edit5Change() {
  Button2->setEnabled(!Edit5->text().isEmpty());
}

TForm2::PageCatalogue TForm2::pageCatalogue() const {
  if (PageControl1->currentIndex() == 0) return {catalogue::kFrameCatalogue, StringGrid1, Edit1};
  return {catalogue::kPanelCatalogue, StringGrid4, Edit13};
}

void TForm2::reloadCatalogue(const PageCatalogue& c, int row) {
  catalogues_.forget(catalogueFilePath(c.file));
  ReadTovekTxt(c.file, c.search->text(), c.grid);
  if (row < c.grid->rowCount()) c.grid->setCurrentCell(c.grid->currentCol(), row);
}

void TForm2::N1Click() {
  if (!Form1) return;
  PageCatalogue c = pageCatalogue();
  tgRow = c.grid->currentRow();
  Form1->fillFrom(c, tgRow);
  Form1->show();
  Form1->raise();
}

void TForm2::N3Click() {
  QMessageBox ask(QMessageBox::Question, QString::fromUtf8("削除の確認"),
                  QString::fromUtf8("現在行のデータを削除しますか？"),
                  QMessageBox::Yes | QMessageBox::No, this);
  if (ask.exec() != QMessageBox::Yes) return;
  PageCatalogue c = pageCatalogue();
  int row = c.grid->currentRow();
  int n = cad::readInteger(c.grid->cell(0, row).toStdString());
  if (n <= 0) return;
  auto* rows = dynamic_cast<const catalogue::CatalogueRows*>(c.grid->gridModel()->source());
  if (!rows || row < 1 || row > rows->rows()) return;
  try {
    catalogue::deleteLine(catalogueFilePath(c.file), n, rows->lineText(row - 1), catalogueSorter());
  } catch (const catalogue::EditRefused& e) {
    showMessage(QString::fromUtf8(e.what()));
    return;
  } catch (const cad::EncodingError& e) {  // a file with unreadable bytes, named by its line
    showMessage(QString::fromUtf8(e.what()));
    return;
  }
  reloadCatalogue(c, row);
  if (row >= c.grid->rowCount())
    c.grid->setCurrentCell(c.grid->currentCol(), c.grid->rowCount() - 1);
}

}  // namespace qarn::app
