#include "simview/sim_cad_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QVBoxLayout>

#include "cad/numbers.h"
#include "cad/sim/transcript_text.h"
#include "simview/drawing_view.h"
#include "simview/status_line.h"
#include "widgets/japanese_qt.h"

namespace qarn::simview {

namespace sim = cad::sim;

namespace {
const QString kTitle = kSimCadTitle;
}  // namespace

SimCadWindow::SimCadWindow(sim::SimCad& cad, QWidget* parent) : QMainWindow(parent), cad_(cad) {
  setObjectName("SimCadWindow");
  widgets::installJapaneseToolkitTexts();
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  view_ = new DrawingView(cad, central);
  layout->addWidget(view_, 1);
  omitted_ = new QLabel(central);
  omitted_->setObjectName("OmittedNote");
  omitted_->hide();
  layout->addWidget(omitted_);
  view_->rebuilt = [this](const sim::DisplayList& list) { showOmitted(list); };
  transcript_ = new QPlainTextEdit(central);
  transcript_->setObjectName("Transcript");
  transcript_->setReadOnly(true);
  transcript_->setMaximumBlockCount(2000);
  transcript_->setFixedHeight(90);
  layout->addWidget(transcript_);
  prompt_ = new QLabel(central);
  prompt_->setObjectName("Prompt");
  layout->addWidget(prompt_);
  input_ = new QLineEdit(central);
  input_->setObjectName("CommandInput");
  input_->setPlaceholderText("コマンドまたは値を入力して Enter");
  layout->addWidget(input_);
  setCentralWidget(central);
  statusBar()->addWidget(new StatusLine(cad, view_, this), 1);
  view_->promptChanged = [this](const QString& text) { prompt_->setText(text); };
  connect(input_, &QLineEdit::returnPressed, this, [this] { typed(); });
  input_->installEventFilter(this);
  addUndoKeys();

  buildFileMenu();
  resize(1100, 760);
  cad_.addObserver(this);
  cad_.setOperator(this);
  drawingChanged();
}

SimCadWindow::~SimCadWindow() {
  if (loop_) finish(sim::OperatorInput::of(sim::OperatorInput::Kind::Escape));
  cad_.setOperator(nullptr);
  cad_.removeObserver(this);
}

void SimCadWindow::updateTitle() {
  QString name = QString::fromStdString(cad_.documentName());
  setWindowTitle(name.isEmpty() ? kTitle : kTitle + " — " + name);
}

void SimCadWindow::drawingChanged() {
  view_->drawingChanged();
  updateTitle();
  // A drawing opened or saved under a new name, by the menu or a typed command, is one used last.
  if (std::string path = cad_.documentPath(); path != shownPath_) {
    shownPath_ = path;
    if (!path.empty()) fileUsed(QString::fromStdString(path));
  }
  const auto& lines = cad_.transcript();
  if (lines.size() < transcriptShown_) transcriptShown_ = 0;
  for (; transcriptShown_ < lines.size(); ++transcriptShown_) {
    transcript_->appendPlainText(
        QString::fromStdString(sim::transcriptLineShown(lines[transcriptShown_])));
  }
}

void SimCadWindow::showOmitted(const sim::DisplayList& list) {
  omitted_->setVisible(list.omittedEntities > 0);
  if (list.omittedEntities == 0) return;
  double n = list.omittedPrimitives;
  QString count = n < 1e15 ? QLocale(QLocale::Japanese).toString(static_cast<qlonglong>(n))
                           : QString::number(n, 'g', 3);
  omitted_->setText(
      QString("表示の上限 (%1) を超えたため、図形 %2 個の線分・文字 %3 個を表示していません。")
          .arg(QLocale(QLocale::Japanese).toString(qulonglong(sim::kDisplayBudget)))
          .arg(list.omittedEntities)
          .arg(count));
}

void SimCadWindow::zoomExtents() {
  view_->zoomExtents();
}

void SimCadWindow::zoomCenter(cad::Point3 centre, double height) {
  view_->zoomCenter(centre, height);
}

sim::OperatorInput SimCadWindow::answer(const sim::OperatorRequest& request) {
  if (loop_) return sim::OperatorInput::of(sim::OperatorInput::Kind::Escape);  // one at a time
  if (auto in = answerByDialog(request)) return *in;
  show();
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  view_->setFocus();
  kind_ = request.kind;
  base_ = request.base;
  prompt_->setText(QString::fromStdString(request.prompt));
  input_->clear();
  result_ = sim::OperatorInput::of(sim::OperatorInput::Kind::Escape);
  view_->beginRequest(request, [this](sim::OperatorInput in) { finish(std::move(in)); });
  QEventLoop loop;
  loop_ = &loop;
  qApp->installEventFilter(this);
  loop.exec();
  qApp->removeEventFilter(this);
  loop_ = nullptr;
  view_->endRequest();
  prompt_->clear();
  return result_;
}

void SimCadWindow::finish(sim::OperatorInput in) {
  result_ = std::move(in);
  if (loop_) loop_->quit();
}

void SimCadWindow::typed() {
  if (!loop_) {
    const QString line = input_->text();
    input_->clear();
    return runTypedCommand(line);
  }
  const QString raw = input_->text();  // an attribute value keeps its blanks
  QString text = raw.trimmed();
  input_->clear();
  if (text.isEmpty()) {
    view_->pressEnter();
    return;
  }
  if (kind_ == sim::OperatorRequest::Kind::Distance) {
    if (auto d = cad::tryReadNumber(text.toStdString())) {
      sim::OperatorInput in;
      in.kind = sim::OperatorInput::Kind::Distance;
      in.distance = *d;
      finish(in);
      return;
    }
  }
  if (kind_ == sim::OperatorRequest::Kind::Value) {
    sim::OperatorInput in = sim::OperatorInput::of(sim::OperatorInput::Kind::Text);
    in.text = raw.toStdString();
    finish(in);
    return;
  }
  // Coordinates typed where a point is asked for are taken as typed: ortho bends picks only.
  if (kind_ == sim::OperatorRequest::Kind::Point || kind_ == sim::OperatorRequest::Kind::Distance ||
      kind_ == sim::OperatorRequest::Kind::Placement) {
    if (auto p = sim::readTypedPoint(text.toStdString(), base_)) {
      sim::OperatorInput in;
      in.kind = sim::OperatorInput::Kind::Point;
      in.point = *p;
      in.typed = true;
      finish(in);
      return;
    }
  }
  prompt_->setText(prompt_->text() + "  (無効な入力です)");
}

bool SimCadWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched == input_ && e->type() == QEvent::KeyPress &&
      view_->draftingKey(static_cast<QKeyEvent*>(e)->key()))
    return true;  // F3 and F8 work wherever the keyboard is
  if (watched == input_ && e->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    if (loop_) finish(sim::OperatorInput::of(sim::OperatorInput::Kind::Escape));
    return true;
  }
  if (!loop_) return false;
  // While a request waits, input meant for other windows does not reach them.
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut: {
      auto* w = qobject_cast<QWidget*>(watched);
      if (w && w->window() != this) return true;
      break;
    }
    default:
      break;
  }
  return false;
}

void SimCadWindow::closeEvent(QCloseEvent* e) {
  // Closing the window while the CAD waits is the user's Escape.
  if (loop_) {
    finish(sim::OperatorInput::of(sim::OperatorInput::Kind::Escape));
  } else if (!closeDrawings()) {
    e->ignore();
    return;
  }
  e->accept();
}

}  // namespace qarn::simview
