// The placement controls of the device-frame page: the base point choice, the offset and the
// "正面" button, which places the chosen device's front view.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "frames/frame_row.h"
#include "frames/front_placement.h"
#include "frames/mounting_holes.h"
#include "frames/partitions.h"
#include "frames/side_view.h"
#include "widgets/field_text.h"
#include "widgets/named_button.h"

namespace qarn::app {

using widgets::fieldText;

QWidget* TForm2::buildFramePlacement(QWidget* page) {
  auto* panel = new QWidget(page);
  RadioGroup1 = new QGroupBox(QString::fromUtf8("正面基点"), panel);
  RadioGroup1->setObjectName("RadioGroup1");
  RadioGroup1Items = new QButtonGroup(RadioGroup1);
  auto* grid = new QGridLayout(RadioGroup1);
  grid->setContentsMargins(4, 2, 4, 2);
  grid->setSpacing(2);
  // Item i sits in column i / 3 and row i % 3, so the grid shows where on the frame it lies.
  const char* items[] = {"左上", "左中", "左下", "中上", "中中", "中下", "右上", "右中", "右下"};
  for (int i = 0; i < 9; ++i) {
    auto* b = new QRadioButton(QString::fromUtf8(items[i]), RadioGroup1);
    b->setObjectName(QString("RadioGroup1Item%1").arg(i));
    RadioGroup1Items->addButton(b, i);
    grid->addWidget(b, i % 3, i / 3);
  }
  RadioGroup1Items->button(1)->setChecked(true);

  CheckBox8 = new QCheckBox(QString::fromUtf8("オフセット"), panel);
  CheckBox8->setObjectName("CheckBox8");
  Edit49 = new QLineEdit("0", panel);
  Edit49->setObjectName("Edit49");
  Edit49->setFixedWidth(40);
  Edit49->setEnabled(false);
  Button1 = widgets::namedButton(panel, "Button1", "正面");
  Button10 = widgets::namedButton(panel, "Button10", "取付孔");
  Button22 = widgets::namedButton(panel, "Button22", "TB仕切り作成");

  auto* offset = new QVBoxLayout;
  offset->addWidget(CheckBox8);
  offset->addWidget(Edit49);
  offset->addStretch();
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(Button1);
  row->addWidget(RadioGroup1);
  row->addLayout(offset);
  row->addStretch();
  auto* others = new QVBoxLayout;
  others->addWidget(Button10);
  others->addWidget(Button22);
  others->addStretch();
  row->addLayout(others);

  auto handle = [this](void (TForm2::*f)()) {
    return [this, f] { runHandler([this, f] { (this->*f)(); }); };
  };
  connect(RadioGroup1Items, &QButtonGroup::idClicked, this, handle(&TForm2::RadioGroup1Click));
  connect(CheckBox8, &QCheckBox::clicked, this, handle(&TForm2::CheckBox8Click));
  connect(Button1, &QPushButton::clicked, this, handle(&TForm2::Button1Click));
  connect(Button2, &QPushButton::clicked, this, handle(&TForm2::Button8Click));
  connect(Button10, &QPushButton::clicked, this, handle(&TForm2::Button10Click));
  connect(Button22, &QPushButton::clicked, this, handle(&TForm2::Button22Click));
  return panel;
}

int TForm2::RadioGroup1ItemIndex() const {
  return RadioGroup1Items->checkedId();
}

void TForm2::RadioGroup1Click() {
  Edit49->setEnabled(frames::offsetApplies(CheckBox8->isChecked(), RadioGroup1ItemIndex()));
}

void TForm2::CheckBox8Click() {
  RadioGroup1Click();
}

void TForm2::Button1Click() {
  frames::FrontInput in;
  in.gridModel = StringGrid1->cell(2, StringGrid1->currentRow()).toStdString();
  in.width = fieldText(Edit3, "W");
  in.height = fieldText(Edit4, "H");
  in.endWidth = fieldText(Edit27, "E");
  in.terminalMode = CheckBox1->isChecked();
  in.poles = fieldText(Edit8, "端子台モード");
  in.baseSw = RadioGroup1ItemIndex();
  in.offsetEnabled = Edit49->isEnabled();
  in.offset = fieldText(Edit49, "オフセット");
  in.fields = {fieldText(Edit6, "器具番号"),
               fieldText(Edit7, "定格"),
               fieldText(Edit12, "補助"),
               fieldText(Edit23, "AUX2"),
               fieldText(Edit31, "CUT"),
               CheckBox2->isChecked(),
               fieldText(Edit10, "配列モード"),
               fieldText(Edit11, "配置スペース")};
  // The model text is rebuilt from the grid before anything else: what the user typed is gone.
  Edit2->setText(
      QString::fromStdString(frames::modelText(in.gridModel, in.terminalMode, in.poles)));
  frames::FrontResult r = frames::placeFront(session(), in);
  Edit6->setText(QString::fromStdString(r.number));
  if (!r.insert.refusal.empty()) showMessage(QString::fromStdString(r.insert.refusal));
}

void TForm2::Button8Click() {
  frames::SideResult r = frames::Button8Click(session());
  if (!r.message.empty()) showMessage(QString::fromStdString(r.message));
}

void TForm2::Button10Click() {
  frames::HolesResult r = frames::Button10Click(session());
  if (!r.message.empty()) showMessage(QString::fromStdString(r.message));
}

void TForm2::Button22Click() {
  frames::Button22Click(session());
}

}  // namespace qarn::app
