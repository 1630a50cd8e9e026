#include "gui_fixture.h"

#include <QFile>

namespace qarn::app::testing {

void onNextModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      act(w);
    }
  });
  timer->start();
}

std::shared_ptr<QString> closeNextMessageBox() {
  auto text = std::make_shared<QString>();
  onNextModal([text](QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      *text = box->windowTitle() + "|" + box->text();
      box->accept();
    }
  });
  return text;
}

GuiTest::GuiTest() {
  paths.folder = dir.path();
  paths.settingsFile = file("qarn.ini");
}

GuiTest::~GuiTest() = default;

std::unique_ptr<TForm2> GuiTest::makeWindow() {
  return std::make_unique<TForm2>(paths, &desktop);
}

void GuiTest::writeFile(const QString& name, const QByteArray& bytes) const {
  QFile f(file(name));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray GuiTest::readFile(const QString& name) const {
  QFile f(file(name));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

void GuiTest::copySampleData() const {
  for (const char* fam : {"RA", "S", "CH", "CL", "E", "OR", "ORM"}) {
    QString name = QString("BOX_%1.txt").arg(fam);
    QFile::copy(QString(QARN_SOURCE_DIR) + "/data/" + name, file(name));
  }
}

}  // namespace qarn::app::testing

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
