// The page of CAD choice, alignment and script tools: the target CAD, the six alignment commands
// and the device-number and script buttons.
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "tools/alignment.h"
#include "tools/device_numbers.h"
#include "tools/scripts.h"
#include "widgets/named_button.h"

namespace qarn::app {

QWidget* TForm2::buildToolsPage() {
  auto* page = new QWidget;
  Button28 = widgets::namedButton(page, "Button28", "ターゲット CAD 選択");

  auto* align = new QGroupBox(QString::fromUtf8("ブロック整列"), page);
  auto* alignGrid = new QGridLayout(align);
  Button11 = widgets::namedButton(align, "Button11", "１列水平揃え（ブロック基準）");
  Button13 = widgets::namedButton(align, "Button13", "１列垂直揃え（ブロック基準）");
  Button14 = widgets::namedButton(align, "Button14", "１列水平振り分け（センター基準）");
  Button15 = widgets::namedButton(align, "Button15", "１列垂直振り分け（センター基準）");
  Button7 = widgets::namedButton(align, "Button7", "水１列平スペース揃え（ブロック基準）");
  Button21 = widgets::namedButton(align, "Button21", "複数列を格子状に整列 (LSP)");
  QPushButton* alignButtons[] = {Button11, Button13, Button14, Button15, Button7, Button21};
  for (int i = 0; i < 6; ++i)
    alignGrid->addWidget(alignButtons[i], i / 2, i % 2);

  auto* other = new QGroupBox(QString::fromUtf8("器具番号、配線 (LSP)"), page);
  auto* otherGrid = new QGridLayout(other);
  Button16 = widgets::namedButton(other, "Button16", "器具番号を１行に（空白のみ）");
  Button9 = widgets::namedButton(other, "Button9", "器具番号を１行に（無条件）");
  Button23 = widgets::namedButton(other, "Button23", "電線サイズ記入 (LSP)");
  Button24 = widgets::namedButton(other, "Button24", "ダクトサイズ記入 (LSP)");
  Button25 = widgets::namedButton(other, "Button25", "最小半径曲り配線 (LSP)");
  Button26 = widgets::namedButton(other, "Button26", "曲り配線情報 (LSP)");
  QPushButton* otherButtons[] = {Button16, Button9, Button23, Button24, Button25, Button26};
  for (int i = 0; i < 6; ++i)
    otherGrid->addWidget(otherButtons[i], i / 2, i % 2);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(Button28);
  layout->addWidget(align);
  layout->addWidget(other);
  layout->addStretch();

  connect(Button28, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button28Click(); }); });
  for (QPushButton* b : {Button11, Button13, Button14, Button15})
    connect(b, &QPushButton::clicked, this,
            [this, b] { runHandler([=, this] { Button11Click(b); }); });
  connect(Button7, &QPushButton::clicked, this, [this] { runHandler([this] { Button7Click(); }); });
  connect(Button21, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button21Click(); }); });
  for (QPushButton* b : {Button9, Button16})
    connect(b, &QPushButton::clicked, this,
            [this, b] { runHandler([=, this] { Button9Click(b); }); });
  for (QPushButton* b : {Button23, Button24, Button25, Button26})
    connect(b, &QPushButton::clicked, this,
            [this, b] { runHandler([=, this] { Button23Click(b); }); });
  return page;
}

std::string TForm2::scriptFolder() const {
  QString f = QDir::toNativeSeparators(paths().folder);
  if (!f.endsWith(QDir::separator())) f += QDir::separator();
  return f.toStdString();
}

void TForm2::Button11Click(QPushButton* sender) {
  bool vertical = sender == Button13 || sender == Button15;
  bool byBlock = sender == Button11 || sender == Button13;
  tools::Button11Click(session(),
                       vertical ? tools::AlignAxis::Vertical : tools::AlignAxis::Horizontal,
                       byBlock ? tools::AlignReference::Block : tools::AlignReference::Centre);
}

void TForm2::Button7Click() {
  tools::Button7Click(session());
}

void TForm2::Button21Click() {
  std::string m = tools::Button21Click(session(), scriptFolder());
  if (!m.empty()) showMessage(QString::fromStdString(m));
}

void TForm2::Button9Click(QPushButton* sender) {
  tools::Button9Click(session(), sender == Button16);
}

void TForm2::Button23Click(QPushButton* sender) {
  const tools::Script& s = sender == Button23   ? tools::kWireSizeScript
                           : sender == Button24 ? tools::kDuctSizeScript
                           : sender == Button25 ? tools::kMinimumBendScript
                                                : tools::kBendInfoScript;
  std::string m = tools::RunScript(session(), s, scriptFolder());
  if (!m.empty()) showMessage(QString::fromStdString(m));
}

}  // namespace qarn::app
