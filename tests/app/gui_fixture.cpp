#include "gui_fixture.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryFile>
#include <deque>

namespace qarn::app::testing {

namespace {
// Modal boxes are answered in the order their answers were queued, one box each.
std::deque<std::function<void(QWidget*)>>& pending() {
  static std::deque<std::function<void(QWidget*)>> queue;
  return queue;
}
}  // namespace

class HideWatch : public QObject {
 public:
  HideWatch(QObject* parent, std::function<void()> onHide)
      : QObject(parent), onHide_(std::move(onHide)) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Hide) {
      onHide_();
      o->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }

 private:
  std::function<void()> onHide_;
};

QPointer<QWidget> last;

void onNextModal(std::function<void(QWidget*)> act) {
  static QTimer* timer = nullptr;
  pending().push_back(std::move(act));
  if (!timer) {
    timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [] {
      QWidget* w = QApplication::activeModalWidget();
      if (pending().empty() || !w || w == last) return;
      last = w;
      // A dialog that is shown again (the same object) counts as a new box once it was hidden.
      auto* watch = new HideWatch(w, [] { last = nullptr; });
      w->installEventFilter(watch);
      auto next = std::move(pending().front());
      pending().pop_front();
      next(w);
    });
  }
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
  // Offscreen, on a screen of a desktop's size, unless another platform is named (xvfb-run with
  // QT_QPA_PLATFORM=xcb runs them on X).
  QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  QTemporaryFile screens(QDir::tempPath() + "/qarn-screens-XXXXXX.json");
  if (platform.isEmpty() || platform == "offscreen") {
    if (screens.open()) {
      screens.write(R"({"screens": [{"name": "Desktop", "x": 0, "y": 0, "width": 1280,
                        "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
      screens.flush();
      qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    } else {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
