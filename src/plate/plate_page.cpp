// The page "盤レイアウト": the enclosure of the box page, the device list, the duct width, the gap,
// the clearance, the row filling and how the enclosure stands, and "配置", which lays the whole
// mounting plate out in the CAD and shows what it asks: lengths, cutting plan, enclosure, heat.
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "cad/numbers.h"
#include "enclosure/enclosure_catalogue.h"
#include "plate/plate_layout.h"
#include "plate/plate_report.h"
#include "widgets/named_button.h"

namespace qarn::app {

QWidget* TForm2::buildPlatePage() {
  auto* page = new QWidget;
  Label35 = new QLabel(page);
  Label35->setObjectName("Label35");
  Edit50 = new QLineEdit(page);
  Edit50->setObjectName("Edit50");
  Button30 = widgets::namedButton(page, "Button30", "参照");
  Edit51 = new QLineEdit("40", page);
  Edit51->setObjectName("Edit51");
  Edit51->setFixedWidth(50);
  Edit52 = new QLineEdit("5", page);
  Edit52->setObjectName("Edit52");
  Edit52->setFixedWidth(50);
  Edit53 = new QLineEdit("25", page);
  Edit53->setObjectName("Edit53");
  Edit53->setFixedWidth(50);
  CheckBox10 = new QCheckBox(QString::fromUtf8("高さ順に詰める"), page);
  CheckBox10->setObjectName("CheckBox10");
  ComboBox3 = new QComboBox(page);
  ComboBox3->setObjectName("ComboBox3");
  ComboBox3->addItems({QString::fromUtf8("壁掛け"), QString::fromUtf8("自立")});
  Button31 = widgets::namedButton(page, "Button31", "配置");
  Memo1 = new QPlainTextEdit(page);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);

  auto* file = new QHBoxLayout;
  file->addWidget(Edit50);
  file->addWidget(Button30);
  auto* form = new QFormLayout;
  form->addRow(QString::fromUtf8("盤"), Label35);
  form->addRow(QString::fromUtf8("機器リスト"), file);
  form->addRow(QString::fromUtf8("ダクト幅"), Edit51);
  form->addRow(QString::fromUtf8("機器間隔"), Edit52);
  form->addRow(QString::fromUtf8("ダクトとの間隔"), Edit53);
  form->addRow(QString::fromUtf8("行の詰め方"), CheckBox10);
  form->addRow(QString::fromUtf8("設置"), ComboBox3);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(Button31, 0, Qt::AlignLeft);
  layout->addWidget(Memo1, 1);

  connect(Button30, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button30Click(); }); });
  connect(Button31, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button31Click(); }); });
  askListPath = [this] {
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    show();
    QString path = QFileDialog::getOpenFileName(this, QString::fromUtf8("機器リスト"),
                                                paths().folder, "Text (*.txt);;* (*)");
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    show();
    return path;
  };
  return page;
}

void TForm2::showPlateEnclosure() {
  if (Edit32->text().isEmpty()) {
    Label35->setText(QString::fromUtf8("（ボックスページで盤を選んでください）"));
    return;
  }
  Label35->setText(Edit32->text() + QString::fromUtf8("　取付板 ") + Edit37->text() + " x " +
                   Edit38->text());
}

void TForm2::Button30Click() {
  QString path = askListPath ? askListPath() : QString();
  if (!path.isEmpty()) Edit50->setText(path);
}

void TForm2::Button31Click() {
  showPlateEnclosure();
  plate::LayoutInput in;
  in.plateWidth = plate::plateSize(Edit37->text().toStdString());
  in.plateHeight = plate::plateSize(Edit38->text().toStdString());
  in.duct = cad::readNumber(Edit51->text().toStdString(), 0);
  in.gap = cad::readNumber(Edit52->text().toStdString(), -1);
  in.clearance = cad::readNumber(Edit53->text().toStdString(), -1);
  in.pack = CheckBox10->isChecked();
  if (!(in.plateWidth > 0) || !(in.plateHeight > 0)) {
    showMessage(QString::fromUtf8("ボックスページで盤を選んでください。"));
    return;
  }
  if (!(in.duct > 0) || in.gap < 0 || in.clearance < 0 || !(in.plateWidth > 2 * in.duct) ||
      !(in.plateHeight > 2 * in.duct)) {
    showMessage(QString::fromUtf8("ダクト幅と機器間隔を確かめてください。"));
    return;
  }
  auto catalogue = catalogues_.load(dataFile(catalogue::kFrameCatalogue).toStdString());
  if (!catalogue) {
    showMessage(QString::fromUtf8("機器枠カタログ ") + catalogue::kFrameCatalogue +
                QString::fromUtf8(" がありません。"));
    return;
  }
  std::vector<plate::LayoutDevice> devices;
  try {
    devices =
        plate::resolveDevices(plate::readDeviceList(Edit50->text().toStdString()), *catalogue);
  } catch (const std::exception& e) {
    showMessage(QString::fromUtf8("機器リスト: ") + QString::fromUtf8(e.what()));
    return;
  }
  plate::PlaceResult r = plate::placePlate(session(), in, devices);
  if (!r.drawn.refusal.empty()) {
    showMessage(QString::fromStdString(r.drawn.refusal));
    return;
  }
  if (r.drawn.status != plate::DrawResult::Status::Drawn) return;

  plate::PlateReport report;
  report.lengths = plate::lengthLines(r.layout);
  report.plans = plate::cutPlans(r.layout, {});
  plate::EnclosureSize box{Edit32->text().toStdString(),
                           plate::plateSize(Edit34->text().toStdString()),
                           plate::plateSize(Edit35->text().toStdString()),
                           plate::plateSize(Edit36->text().toStdString()),
                           in.plateWidth,
                           in.plateHeight};
  report.heat = plate::estimateHeat(
      box, plate::totalLoss(devices),
      ComboBox3->currentIndex() == 1 ? plate::Mount::Free : plate::Mount::Wall, report.maxRise);
  std::string family = ComboBox1->currentText().toStdString();
  if (!r.layout.complete()) {
    auto list = enclosure::loadEnclosureList(paths().folder.toStdString(), family, {});
    report.fit = plate::fitMessage(
        box.model,
        plate::enclosureThatFits(in, plate::withMeasuredTexts(devices, r.measured),
                                 plate::enclosureSizes(list.rows)),
        family);
  }
  QString text;
  for (const std::string& line : plate::reportLines(report))
    text += QString::fromStdString(line) + "\n";
  Memo1->setPlainText(text);
  if (r.layout.complete()) return;
  QString left;
  for (const plate::LayoutDevice& d : r.layout.notPlaced)
    left += "\n" + QString::fromStdString(d.name()) + " (" + QString::fromStdString(d.type) + ")";
  showMessage(QString::fromUtf8("配置できなかった機器:") + left + "\n" +
              QString::fromStdString(report.fit));
}

}  // namespace qarn::app
