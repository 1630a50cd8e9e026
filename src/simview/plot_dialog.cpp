#include "simview/plot_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "cad/numbers.h"
#include "cad/sim/sim_cad.h"
#include "simview/sim_cad_window.h"

namespace qarn::simview {

namespace sim = cad::sim;

namespace {

QString number(double v) {
  return QString::fromStdString(cad::writeNumber(v));
}

// "X1,Y1,X2,Y2" as two corners.
std::optional<std::pair<cad::Point3, cad::Point3>> readCorners(const QString& text) {
  QStringList parts = text.split(',');
  if (parts.size() != 4) return std::nullopt;
  double v[4];
  for (int i = 0; i < 4; ++i) {
    auto n = cad::tryReadNumber(parts[i].trimmed().toStdString());
    if (!n) return std::nullopt;
    v[i] = *n;
  }
  return std::make_pair(cad::Point3{v[0], v[1], 0}, cad::Point3{v[2], v[3], 0});
}

std::optional<PlotChoice> runDialog(QWidget* parent, const PlotChoice& defaults) {
  QDialog dialog(parent);
  dialog.setObjectName("PlotDialog");
  dialog.setWindowTitle("印刷 (PDF)");
  auto* form = new QFormLayout(&dialog);
  auto* paper = new QComboBox(&dialog);
  paper->setObjectName("PlotPaper");
  paper->addItems({"A4", "A3"});
  paper->setCurrentIndex(defaults.a3 ? 1 : 0);
  form->addRow("用紙サイズ", paper);
  auto* orientation = new QComboBox(&dialog);
  orientation->setObjectName("PlotOrientation");
  orientation->addItems({"縦", "横"});
  orientation->setCurrentIndex(defaults.landscape ? 1 : 0);
  form->addRow("用紙の向き", orientation);
  auto* area = new QComboBox(&dialog);
  area->setObjectName("PlotArea");
  area->addItems({"オブジェクト範囲", "窓 (図面上で指定)", "窓 (座標を入力)"});
  auto* corners = new QLineEdit(&dialog);
  corners->setObjectName("PlotCorners");
  corners->setPlaceholderText("X1,Y1,X2,Y2");
  corners->setEnabled(false);
  QObject::connect(area, &QComboBox::currentIndexChanged, corners,
                   [corners](int i) { corners->setEnabled(i == 2); });
  form->addRow("印刷領域", area);
  form->addRow("窓の座標", corners);
  auto* scale = new QComboBox(&dialog);
  scale->setObjectName("PlotScale");
  scale->setEditable(true);
  scale->addItems({"フィット", "1:1", "1:2", "1:5", "1:10", "1:20", "1:50", "1:100"});
  form->addRow("印刷尺度", scale);
  auto* colour = new QCheckBox("カラーで印刷 (オフ: 白地に黒)", &dialog);
  colour->setObjectName("PlotColour");
  colour->setChecked(defaults.colour);
  form->addRow(colour);
  auto* fileRow = new QHBoxLayout;
  auto* file = new QLineEdit(defaults.file, &dialog);
  file->setObjectName("PlotFile");
  auto* browse = new QPushButton("参照...", &dialog);
  fileRow->addWidget(file, 1);
  fileRow->addWidget(browse);
  form->addRow("ファイル", fileRow);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    QString chosen = QFileDialog::getSaveFileName(&dialog, "印刷ファイル", file->text(),
                                                  "PDF (*.pdf);;PNG (*.png)");
    if (!chosen.isEmpty()) file->setText(chosen);
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText("印刷");
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  PlotChoice c;
  // What cannot be read is said at once, and the dialog stays for it to be put right.
  while (true) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    c.a3 = paper->currentIndex() == 1;
    c.landscape = orientation->currentIndex() == 1;
    c.pickWindow = area->currentIndex() == 1;
    c.window = area->currentIndex() == 2 ? readCorners(corners->text()) : std::nullopt;
    QString s = scale->currentText().trimmed();
    auto n = s.startsWith("1:") ? cad::tryReadNumber(s.mid(2).toStdString()) : std::nullopt;
    c.scale = s == "フィット" ? 0 : n && *n > 0 ? *n : -1;
    c.colour = colour->isChecked();
    c.file = file->text().trimmed();
    QString why = area->currentIndex() == 2 && !c.window
                      ? "窓の座標は X1,Y1,X2,Y2 の形で入力してください"
                  : c.scale < 0 ? "印刷尺度は「フィット」か 1:N の形で入力してください"
                  : c.file.isEmpty() ? "ファイル名を入力してください"
                                     : QString();
    if (why.isEmpty()) break;
    QMessageBox::warning(&dialog, "印刷 (PDF)", why);
  }
  return c;
}

}  // namespace

std::function<std::optional<PlotChoice>(QWidget*, const PlotChoice&)> askPlotChoice = runDialog;

QString plotCommandLine(const PlotChoice& c) {
  QStringList w{"PLOT", c.a3 ? "A3" : "A4", c.landscape ? "L" : "P", c.window ? "W" : "E"};
  if (c.window)
    w << number(c.window->first.x) + "," + number(c.window->first.y)
      << number(c.window->second.x) + "," + number(c.window->second.y);
  w << (c.scale == 0 ? QString("F") : "1:" + number(c.scale)) << (c.colour ? "Y" : "N")
    << "\"" + c.file + "\"";
  return w.join(' ');
}

void printDrawing(SimCadWindow& window, sim::SimCad& cad) {
  // Beside the drawing's file, named after it; a new drawing's in the working folder.
  PlotChoice defaults;
  QString opened = QString::fromStdString(cad.documentPath());
  QFileInfo drawing(opened.isEmpty() ? QString::fromStdString(cad.documentName()) : opened);
  QString name = drawing.completeBaseName().isEmpty() ? "Drawing1" : drawing.completeBaseName();
  defaults.file = opened.isEmpty() ? name + ".pdf" : drawing.dir().filePath(name + ".pdf");
  auto choice = askPlotChoice(&window, defaults);
  if (!choice) return;
  if (choice->pickWindow) {
    using Kind = sim::OperatorRequest::Kind;
    auto a = window.answer(sim::OperatorRequest::ask(Kind::Point, "印刷する窓の 1 点目を指定:"));
    if (a.kind != sim::OperatorInput::Kind::Point) return;
    auto b =
        window.answer(sim::OperatorRequest::ask(Kind::Point, "もう一方のコーナーを指定:", a.point));
    if (b.kind != sim::OperatorInput::Kind::Point) return;
    choice->window = std::make_pair(a.point, b.point);
  }
  cad.typeCommand(plotCommandLine(*choice).toStdString());
}

}  // namespace qarn::simview
