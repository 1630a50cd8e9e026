// The box page of the main window: the enclosure families, their list and filters, the copy of
// a row into the fields, and the create button.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "enclosure/enclosure_catalogue.h"
#include "enclosure/enclosure_drawing.h"

namespace qarn::app {

namespace {
QLineEdit* field(QWidget* parent, const char* name, bool visible) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setVisible(visible);
  return e;
}
std::string text(const QLineEdit* e) {
  return e->text().toStdString();
}
}  // namespace

QWidget* TForm2::buildBoxPage() {
  auto* page = new QWidget;
  ComboBox1 = new QComboBox(page);
  ComboBox1->setObjectName("ComboBox1");
  for (const auto& f : enclosure::families())
    ComboBox1->addItem(QString::fromStdString(f));
  ComboBox1->setCurrentIndex(0);
  Edit40 = field(page, "Edit40", true);
  Edit41 = field(page, "Edit41", true);
  Edit42 = field(page, "Edit42", true);
  for (QLineEdit* e : {Edit40, Edit41, Edit42})
    e->setFixedWidth(52);
  CheckBox3 = new QCheckBox(QString::fromUtf8("両扉"), page);
  CheckBox3->setObjectName("CheckBox3");
  Button27 = new QPushButton("CAD", page);
  Button27->setObjectName("Button27");
  Button12 = new QPushButton(QString::fromUtf8("作成"), page);
  Button12->setObjectName("Button12");
  Edit32 = field(page, "Edit32", true);
  Edit33 = field(page, "Edit33", true);
  Edit32->setReadOnly(true);
  Edit33->setReadOnly(true);
  Edit33->setFixedWidth(60);
  Edit34 = field(page, "Edit34", false);
  Edit35 = field(page, "Edit35", false);
  Edit36 = field(page, "Edit36", false);
  Edit37 = field(page, "Edit37", false);
  Edit38 = field(page, "Edit38", false);
  Edit39 = field(page, "Edit39", false);
  Edit43 = field(page, "Edit43", false);
  Edit44 = field(page, "Edit44", false);

  StringGrid6 = new StringGrid(page);
  StringGrid6->setObjectName("StringGrid6");
  StringGrid6->setColCount(15);
  StringGrid6->setRowCount(2);
  StringGrid6->setFixedCols(2);
  StringGrid6->setRowSelect(true);

  auto* filters = new QHBoxLayout;
  filters->addWidget(ComboBox1);
  for (auto [label, edit] :
       {std::pair{"ヨコ：", Edit40}, {"タテ：", Edit41}, {"フカサ：", Edit42}}) {
    filters->addWidget(new QLabel(QString::fromUtf8(label), page));
    filters->addWidget(edit);
  }
  filters->addWidget(CheckBox3);
  filters->addStretch();
  filters->addWidget(Button27);

  auto* chosen = new QHBoxLayout;
  chosen->addWidget(Edit32, 1);
  chosen->addWidget(Edit33);
  chosen->addWidget(Button12);
  auto* notes = new QHBoxLayout;
  notes->addWidget(new QLabel(QString::fromUtf8("寸法の基準は"), page));
  notes->addWidget(new QLabel("DIMSCALE=10", page));
  notes->addStretch();
  notes->addWidget(new QLabel(QString::fromUtf8("CAD によっては、DIM UP が必要"), page));

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  layout->addLayout(filters);
  layout->addWidget(StringGrid6, 1);
  layout->addLayout(chosen);
  layout->addLayout(notes);

  connect(ComboBox1, &QComboBox::currentIndexChanged, this,
          [this] { runHandler([this] { ComboBox1Change(); }); });
  for (QLineEdit* e : {Edit40, Edit41, Edit42})
    connect(e, &QLineEdit::textChanged, this, [this] { runHandler([this] { Edit40Change(); }); });
  // Enter moves on to the next filter.
  connect(Edit40, &QLineEdit::returnPressed, Edit41, [this] { Edit41->setFocus(); });
  connect(Edit41, &QLineEdit::returnPressed, Edit42, [this] { Edit42->setFocus(); });
  connect(CheckBox3, &QCheckBox::clicked, this,
          [this] { runHandler([this] { CheckBox3Click(); }); });
  connect(StringGrid6, &StringGrid::cellClicked, this,
          [this] { runHandler([this] { StringGrid6Click(); }); });
  connect(StringGrid6, &StringGrid::currentRowChanged, this,
          [this] { runHandler([this] { StringGrid6Click(); }); });
  connect(Button12, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button12Click(); }); });
  connect(Button27, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button28Click(); }); });
  return page;
}

void TForm2::Edit40Change() {
  ComboBox1Change();
}
void TForm2::CheckBox3Click() {
  ComboBox1Change();
}

void TForm2::ComboBox1Change() {
  std::string family = ComboBox1->currentText().toStdString();
  if (family.empty()) return;
  StringGrid6->setHeaderText(QString::fromStdString(enclosure::headerText(family)));
  bool door = enclosure::hasDoorColumn(family);
  CheckBox3->setEnabled(door);
  if (!door && CheckBox3->isChecked()) {
    QSignalBlocker quiet(CheckBox3);
    CheckBox3->setChecked(false);
  }
  enclosure::EnclosureFilters filters{text(Edit40), text(Edit41), text(Edit42),
                                      CheckBox3->isChecked()};
  auto list = enclosure::loadEnclosureList(paths().folder.toStdString(), family, filters);
  if (list.status != enclosure::EnclosureList::Status::Loaded) return;

  int row = StringGrid6->currentRow();
  if (list.rows.empty()) {
    StringGrid6->setRowCount(2);
    StringGrid6->clearRow(1);
  } else {
    StringGrid6->setRowCount(static_cast<int>(list.rows.size()) + 1);
    for (std::size_t m = 0; m < list.rows.size(); ++m) {
      QStringList cells;
      for (const auto& f : list.rows[m])
        cells << QString::fromStdString(f);
      StringGrid6->setRowCells(static_cast<int>(m) + 1, cells);
    }
    StringGrid6->fitColumns();
  }
  StringGrid6->setCurrentCell(StringGrid6->fixedCols(),
                              std::clamp(row, 1, StringGrid6->rowCount() - 1));
  StringGrid6Click();
}

void TForm2::StringGrid6Click() {
  std::vector<std::string> row;
  for (const QString& c : StringGrid6->rowCells(StringGrid6->currentRow()))
    row.push_back(c.toStdString());
  enclosure::ChosenEnclosure c = enclosure::copyEnclosureRow(row);
  Edit43->clear();
  Edit44->clear();
  auto set = [](QLineEdit* e, const std::string& v) { e->setText(QString::fromStdString(v)); };
  set(Edit32, c.model);
  set(Edit33, c.doorType);
  set(Edit34, c.width);
  set(Edit35, c.height);
  set(Edit36, c.depth);
  set(Edit37, c.plateWidth);
  set(Edit38, c.plateHeight);
  set(Edit39, c.usableDepth);
  set(Edit43, c.windowWidth);
  set(Edit44, c.windowHeight);
}

void TForm2::Button12Click() {
  enclosure::EnclosureInput input;
  input.family = ComboBox1->currentText().toStdString();
  input.fields = {text(Edit32), text(Edit33), text(Edit34), text(Edit35), text(Edit36),
                  text(Edit37), text(Edit38), text(Edit39), text(Edit43), text(Edit44)};
  enclosure::drawEnclosure(session(), input);
}

}  // namespace qarn::app
