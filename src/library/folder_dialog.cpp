#include "library/folder_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace qarn::library {

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setObjectName("Form3");
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit1->setReadOnly(true);
  Edit1->setMinimumWidth(320);
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName("Edit2");
  Button1 = new QPushButton(QString::fromUtf8("登録"), this);
  Button1->setObjectName("Button1");
  Button2 = new QPushButton(QString::fromUtf8("キャンセル"), this);
  Button2->setObjectName("Button2");
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QString::fromUtf8("フォルダ名"), this), 0, 0);
  grid->addWidget(Edit1, 1, 0);
  grid->addWidget(new QLabel(QString::fromUtf8("タイトル"), this), 2, 0);
  grid->addWidget(Edit2, 3, 0);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  grid->addLayout(buttons, 4, 0);
  connect(Button1, &QPushButton::clicked, this, [this] {
    if (Button1Click) Button1Click();
  });
  connect(Button2, &QPushButton::clicked, this, &QDialog::close);  // Button2Click
}

}  // namespace qarn::library
