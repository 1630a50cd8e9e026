#include "catalogue/row_edit_dialog.h"

#include "catalogue/catalogue_rows.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "cad/numbers.h"
#include "cad/text_file.h"
#include "catalogue/device_catalogue.h"
#include "widgets/named_button.h"

namespace qarn::catalogue {

TForm1::TForm1(app::TForm2* main) : QDialog(main), main_(main) {
  setObjectName("Form1");
  setWindowTitle(QString::fromUtf8("データの変更と追加"));
  setModal(false);
  StringGrid1 = new widgets::StringGrid(this);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setColCount(2);
  StringGrid1->setRowCount(kFieldCount + 1);
  StringGrid1->setEditableColumn(1);
  Button1 = widgets::namedButton(this, "Button1", "更新");
  Button2 = widgets::namedButton(this, "Button2", "追加");
  Button3 = widgets::namedButton(this, "Button3", "取り消し");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {Button1, Button2, Button3})
    buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(StringGrid1, 1);
  layout->addLayout(buttons);
  resize(420, 420);
  auto run = [this](void (TForm1::*f)()) {
    return [this, f] { main_->runHandler([this, f] { (this->*f)(); }); };
  };
  connect(Button1, &QPushButton::clicked, this, run(&TForm1::Button1Click));
  connect(Button2, &QPushButton::clicked, this, run(&TForm1::Button2Click));
  connect(Button3, &QPushButton::clicked, this, run(&TForm1::Button3Click));
}

void TForm1::fillFrom(const app::TForm2::PageCatalogue& catalogue, int row) {
  catalogue_ = catalogue;
  const widgets::StringGrid* grid = catalogue.grid;
  StringGrid1->setRowCount(grid->colCount());
  // Row 0 of this grid is its header row: it shows "No" and the line number.
  for (int c = 0; c < grid->colCount(); ++c) {
    StringGrid1->setCell(0, c, grid->cell(c, 0));
    StringGrid1->setCell(1, c, grid->cell(c, row));
  }
  StringGrid1->setColWidth(0, 70);
  StringGrid1->setColWidth(1, 300);
  StringGrid1->setCurrentCell(1, 1);
  shown_.clear();
  if (auto* rows = dynamic_cast<const CatalogueRows*>(grid->gridModel()->source()))
    if (row >= 1 && row <= rows->rows()) shown_ = rows->lineText(row - 1);
}

std::string TForm1::line() const {
  std::vector<std::string> values, names;
  for (int r = 1; r <= kFieldCount; ++r) {
    values.push_back(StringGrid1->cell(1, r).toStdString());
    names.push_back(StringGrid1->cell(0, r).toStdString());
  }
  return recordLine(values, names);
}

bool TForm1::confirm(const char* question, const char* caption) {
  QMessageBox ask(QMessageBox::Question, QString::fromUtf8(caption), QString::fromUtf8(question),
                  QMessageBox::Yes | QMessageBox::No, this);
  return ask.exec() == QMessageBox::Yes;
}

namespace {
// A refusal before writing, said in the user's terms; the file keeps its bytes.
QString refusal(const std::exception& e) {
  // A file read with bytes no character stands for names its line instead of a character.
  auto* enc = dynamic_cast<const cad::EncodingError*>(&e);
  if (enc && !enc->character().empty())
    return QString::fromUtf8(
               "文字「%1」はこのファイルの文字コードで保存できません。ファイルは変更していません。")
        .arg(QString::fromStdString(enc->character()));
  return QString::fromUtf8(e.what());
}
}  // namespace

bool TForm1::write(const std::function<void()>& change) {
  try {
    change();
    return true;
  } catch (const EditRefused& e) {
    main_->showMessage(refusal(e));
  } catch (const cad::EncodingError& e) {
    main_->showMessage(refusal(e));
  } catch (const cad::FieldError& e) {
    main_->showMessage(QString::fromUtf8(e.what()));
  }
  return false;
}

void TForm1::Button1Click() {
  if (!confirm("現在のデータを更新しますか？", "更新の確認")) return;
  const auto& c = catalogue_;
  if (!c.grid) return;
  QString number = StringGrid1->cell(1, 0).trimmed();
  int n = cad::readInteger(number.toStdString());
  if (number.isEmpty() || n <= 0) {
    main_->showMessage(
        QString::fromUtf8("行番号がないため更新できません。行を選んでから編集してください。"));
    return;
  }
  bool shown = false;
  for (int r = 1; r < c.grid->rowCount() && !shown; ++r)
    shown = c.grid->cell(0, r) == number;
  if (shown && !write([&] {
        updateLine(main_->catalogueFilePath(c.file), n, shown_, line(), main_->catalogueSorter());
      }))
    return;
  if (shown) main_->reloadCatalogue(c, main_->tgRow);
  hide();
}

void TForm1::Button2Click() {
  if (!confirm("現在のデータを追加しますか？", "追加の確認")) return;
  const auto& c = catalogue_;
  if (!c.grid) return;
  if (!write([&] { appendLine(main_->catalogueFilePath(c.file), line()); })) return;
  main_->reloadCatalogue(c, main_->tgRow);
  hide();
}

}  // namespace qarn::catalogue
