// The page "盤レイアウト": the enclosure of the box page, the device list, the duct width and the
// gap, and "配置", which lays the whole mounting plate out in the CAD.
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "cad/numbers.h"
#include "plate/plate_layout.h"
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
  Button31 = widgets::namedButton(page, "Button31", "配置");

  auto* file = new QHBoxLayout;
  file->addWidget(Edit50);
  file->addWidget(Button30);
  auto* form = new QFormLayout;
  form->addRow(QString::fromUtf8("盤"), Label35);
  form->addRow(QString::fromUtf8("機器リスト"), file);
  form->addRow(QString::fromUtf8("ダクト幅"), Edit51);
  form->addRow(QString::fromUtf8("機器間隔"), Edit52);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(Button31, 0, Qt::AlignLeft);
  layout->addStretch();

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
  if (!(in.plateWidth > 0) || !(in.plateHeight > 0)) {
    showMessage(QString::fromUtf8("ボックスページで盤を選んでください。"));
    return;
  }
  if (!(in.duct > 0) || in.gap < 0 || !(in.plateWidth > 2 * in.duct) ||
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
  if (r.drawn.status != plate::DrawResult::Status::Drawn || r.layout.notPlaced.empty()) return;
  QString left;
  for (const plate::LayoutDevice& d : r.layout.notPlaced)
    left += QString::fromStdString("\n" + d.item.number + " (" + d.type + ")");
  showMessage(QString::fromUtf8("配置できなかった機器:") + left);
}

}  // namespace qarn::app
