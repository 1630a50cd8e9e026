#include "simview/sim_cad_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "cad/numbers.h"
#include "simview/drawing_view.h"

namespace qarn::simview {

namespace sim = cad::sim;

SimCadWindow::SimCadWindow(sim::SimCad& cad, QWidget* parent) : QMainWindow(parent), cad_(cad) {
  setObjectName("SimCadWindow");
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  view_ = new DrawingView(cad, central);
  layout->addWidget(view_, 1);
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
  input_->setPlaceholderText("数値を入力して Enter");
  layout->addWidget(input_);
  setCentralWidget(central);
  connect(input_, &QLineEdit::returnPressed, this, [this] { typed(); });
  input_->installEventFilter(this);

  QMenu* file = menuBar()->addMenu("ファイル(&F)");
  file->addAction("開く(&O)...", this, [this] { openDrawing(); });
  file->addAction("DXF で保存(&A)...", this, [this] { saveDrawingAs(); });

  askOpenPath = [this] {
    return QFileDialog::getOpenFileName(this, "図面を開く", QString(), "DXF (*.dxf);;すべて (*)");
  };
  askSavePath = [this] {
    return QFileDialog::getSaveFileName(this, "DXF で保存", QString(), "DXF (*.dxf)");
  };
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
  setWindowTitle(name.isEmpty() ? "QARN — Simulated CAD" : "QARN — Simulated CAD — " + name);
}

void SimCadWindow::drawingChanged() {
  view_->drawingChanged();
  updateTitle();
  const auto& lines = cad_.transcript();
  if (lines.size() < transcriptShown_) transcriptShown_ = 0;
  for (; transcriptShown_ < lines.size(); ++transcriptShown_) {
    // A command line as the CAD echoes it: each Enter on a line of its own.
    QString text = QString::fromStdString(lines[transcriptShown_]);
    text.replace('\r', " ⏎ ");
    transcript_->appendPlainText("コマンド: " + text);
  }
}

void SimCadWindow::zoomExtents() {
  view_->zoomExtents();
}

void SimCadWindow::zoomCenter(cad::Point3 centre, double height) {
  view_->zoomCenter(centre, height);
}

sim::OperatorInput SimCadWindow::answer(const sim::OperatorRequest& request) {
  if (loop_) return sim::OperatorInput::of(sim::OperatorInput::Kind::Escape);  // one at a time
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
  if (!loop_) return;
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
  if (loop_) finish(sim::OperatorInput::of(sim::OperatorInput::Kind::Escape));
  e->accept();
}

void SimCadWindow::openDrawing() {
  if (loop_) return;
  QString path = askOpenPath();
  if (path.isEmpty()) return;
  try {
    cad_.openDrawing(path.toStdString());
    view_->zoomExtents();
  } catch (const std::exception& ex) {
    QMessageBox::warning(this, "QARN — Simulated CAD",
                         "「" + path + "」を開けません。\n" + QString::fromUtf8(ex.what()));
  }
}

void SimCadWindow::saveDrawingAs() {
  if (loop_) return;
  QString path = askSavePath();
  if (path.isEmpty()) return;
  try {
    cad_.saveAs(path.toStdString());
  } catch (const std::exception& ex) {
    QMessageBox::warning(this, "QARN — Simulated CAD", QString::fromUtf8(ex.what()));
  }
}

}  // namespace qarn::simview
