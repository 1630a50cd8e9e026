// The page of CAD choice, alignment and script tools.
#include <QVBoxLayout>

#include "app/main_window.h"

namespace qarn::app {

QWidget* TForm2::buildToolsPage() {
  auto* page = new QWidget;
  Button28 = new QPushButton(QString::fromUtf8("ターゲット CAD 選択"), page);
  Button28->setObjectName("Button28");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(Button28);
  layout->addStretch();
  connect(Button28, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button28Click(); }); });
  return page;
}

}  // namespace qarn::app
