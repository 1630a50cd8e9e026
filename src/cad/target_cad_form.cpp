#include "cad/target_cad_form.h"

#include <QCollator>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>
#include <algorithm>

namespace qarn::cad {

namespace {
// The list orders its lines as the user's language does, ignoring case.
TargetCadList::Less userCollation() {
  auto collator = std::make_shared<QCollator>();
  collator->setCaseSensitivity(Qt::CaseInsensitive);
  return [collator](const std::string& a, const std::string& b) {
    return collator->compare(QString::fromStdString(a), QString::fromStdString(b)) < 0;
  };
}

// Enter in a field changes the selected entry; the key goes no further.
class EnterFilter : public QObject {
 public:
  EnterFilter(QObject* parent, std::function<void()> onEnter)
      : QObject(parent), onEnter_(std::move(onEnter)) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        onEnter_();
        return true;
      }
    }
    return QObject::eventFilter(o, e);
  }

 private:
  std::function<void()> onEnter_;
};
}  // namespace

TTargetCADForm::TTargetCADForm(QString listFile, QWidget* parent)
    : QDialog(parent), listFile_(std::move(listFile)), list_(userCollation()) {
  setObjectName("TargetCADForm");
  setWindowTitle(QString::fromUtf8("ターゲット CAD"));

  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName("ListBox1");
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName("Edit2");
  for (QLineEdit* e : {Edit1, Edit2})
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
  auto tool = [this](const char* name, const char* caption) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(caption));
    return b;
  };
  SpeedButton1 = tool("SpeedButton1", "追加");
  SpeedButton2 = tool("SpeedButton2", "削除");
  SpeedButton3 = tool("SpeedButton3", "変更");
  OkButton = new QPushButton("OK", this);
  OkButton->setObjectName("OkButton");
  CancelButton = new QPushButton(QString::fromUtf8("取り消し"), this);
  CancelButton->setObjectName("CancelButton");

  auto* group = new QGroupBox(this);
  auto* g = new QVBoxLayout(group);
  g->addWidget(ListBox1, 1);
  g->addWidget(new QLabel(QString::fromUtf8("名称 （説明）"), group));
  g->addWidget(Edit1);
  g->addWidget(new QLabel(QString::fromUtf8("ProgID （プログラム識別子）"), group));
  g->addWidget(Edit2);
  auto* tools = new QHBoxLayout;
  tools->addWidget(SpeedButton1);
  tools->addWidget(SpeedButton2);
  tools->addWidget(SpeedButton3);
  tools->addStretch();
  g->addLayout(tools);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  buttons->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group, 1);
  // The two notes break into lines where the platform's font makes them wider than the dialog,
  // and the dialog grows to show them whole.
  for (const char* note : {"※ IJCAD は 2024 以降を選択して下さい.",
                           "IJCAD <= 2023、GstrCAD <= 2022 は 異常終了します."}) {
    auto* label = new QLabel(QString::fromUtf8(note), this);
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  layout->addLayout(buttons);
  setFixedSize(315, std::max(342, layout->totalMinimumHeightForWidth(315)));

  connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
  connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  auto* enter = new EnterFilter(this, [this] { SpeedButton3Click(); });
  Edit1->installEventFilter(enter);
  Edit2->installEventFilter(enter);
}

void TTargetCADForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormShow();
}

void TTargetCADForm::FormShow() {
  try {
    if (!list_.load(listFile_.toStdString())) return;
  } catch (const std::exception& e) {
    refresh();  // the list is empty now, and its buttons refuse to write it
    QMessageBox::warning(this, "TOVEK.exe", QString::fromUtf8(e.what()));
    return;
  }
  list_.select(list_.find(CurrentProgId));
  refresh();
  if (list_.selected()) ListBox1Click();
}

void TTargetCADForm::refresh() {
  ListBox1->clear();
  for (const auto& line : list_.lines())
    ListBox1->addItem(QString::fromStdString(line));
  if (list_.selected()) ListBox1->setCurrentRow(*list_.selected());
}

void TTargetCADForm::ListBox1Click() {
  int row = ListBox1->currentRow();
  if (row < 0) return;
  list_.select(row);
  auto entry = TargetCadList::split(list_.lines()[row]);
  Edit1->setText(QString::fromStdString(entry.name));
  Edit2->setText(QString::fromStdString(entry.progId));
}

void TTargetCADForm::save(const std::function<void()>& change) {
  try {
    change();
  } catch (const std::exception& e) {
    QMessageBox::warning(
        this, "TOVEK.exe",
        QString::fromUtf8("CAD の一覧を保存できません。\n") + QString::fromUtf8(e.what()));
  }
}

void TTargetCADForm::SpeedButton1Click() {
  save([this] {
    list_.add(listFile_.toStdString(), Edit1->text().toStdString(), Edit2->text().toStdString());
    refresh();
    ListBox1Click();
  });
}

void TTargetCADForm::SpeedButton2Click() {
  if (ListBox1->currentRow() >= 0) list_.select(ListBox1->currentRow());
  save([this] {
    if (!list_.remove(listFile_.toStdString())) return;
    Edit1->clear();
    Edit2->clear();
    refresh();
    if (list_.selected()) ListBox1Click();
  });
}

void TTargetCADForm::SpeedButton3Click() {
  if (ListBox1->currentRow() >= 0) list_.select(ListBox1->currentRow());
  save([this] {
    if (!list_.change(listFile_.toStdString(), Edit1->text().toStdString(),
                      Edit2->text().toStdString()))
      return;
    refresh();
  });
}

}  // namespace qarn::cad
