// The drawing window's File menu: new, open, save, save as and the drawings used last. The
// question about a changed drawing is the simulated CAD's own, answered here with a dialog.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include "simview/drawing_view.h"
#include "simview/plot_dialog.h"
#include "simview/sim_cad_window.h"

namespace qarn::simview {

namespace sim = cad::sim;

void SimCadWindow::buildFileMenu() {
  QMenu* file = menuBar()->addMenu("ファイル(&F)");
  file->addAction("新規(&N)", this, [this] { newDrawing(); });
  file->addAction("開く(&O)...", this, [this] { openDrawing(); });
  file->addAction("上書き保存(&S)", this, [this] { saveDrawing(); });
  file->addAction("名前を付けて保存(&A)...", this, [this] { saveDrawingAs(); });
  file->addAction("印刷 (PDF)…", this, [this] { printDrawing(*this, cad_); });
  file->addSeparator();
  recentMenu_ = file->addMenu("最近使ったファイル(&R)");
  recentMenu_->setEnabled(false);

  askOpenPath = [this] {
    return QFileDialog::getOpenFileName(this, "開く", startFolder(), "DXF (*.dxf);;すべて (*)");
  };
  askSavePath = [this] {
    return QFileDialog::getSaveFileName(this, "名前を付けて保存", startFolder(), "DXF (*.dxf)");
  };
  confirmLoss = [this](const QString& question) {
    return QMessageBox::question(this, kSimCadTitle, question,
                                 QMessageBox::Save | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Save;
  };
  askSaveChanges = [this](const QString& drawing) {
    QMessageBox box(QMessageBox::Warning, QString(kSimCadTitle) + " — " + drawing,
                    sim::kSaveChangesPrompt, QMessageBox::NoButton, this);
    box.setObjectName("SaveChanges");
    QPushButton* save = box.addButton(sim::kSaveAnswer, QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(sim::kDiscardAnswer, QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(sim::kCancelAnswer, QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    return QString(box.clickedButton() == save      ? sim::kSaveAnswer
                   : box.clickedButton() == discard ? sim::kDiscardAnswer
                                                    : sim::kCancelAnswer);
  };
}

QString SimCadWindow::startFolder() const {
  QString path = QString::fromStdString(cad_.documentPath());
  if (path.isEmpty() && !recent_.isEmpty()) path = recent_.front();
  return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

std::optional<sim::OperatorInput> SimCadWindow::answerByDialog(const sim::OperatorRequest& r) {
  if (r.kind != sim::OperatorRequest::Kind::Value) return std::nullopt;
  QString text;
  if (r.prompt == sim::kSaveChangesPrompt) {
    text = askSaveChanges(QString::fromStdString(cad_.documentName()));
  } else if (r.file != sim::OperatorRequest::File::None &&
             cad_.drawing().variables["FILEDIA"].toInt() != 0) {
    text = r.file == sim::OperatorRequest::File::Open ? askOpenPath() : askSavePath();
    if (text.isEmpty()) return sim::OperatorInput::of(sim::OperatorInput::Kind::Escape);
  } else {
    return std::nullopt;  // typed on the command line
  }
  sim::OperatorInput in = sim::OperatorInput::of(sim::OperatorInput::Kind::Text);
  in.text = text.toStdString();
  return in;
}

void SimCadWindow::newDrawing() {
  if (loop_ || !cad_.mayDiscard()) return;
  cad_.newInPlace();
  view_->zoomExtents();
}

void SimCadWindow::openDrawing() {
  if (loop_ || !cad_.mayDiscard()) return;
  QString path = askOpenPath();
  if (!path.isEmpty()) openFile(path);
}

void SimCadWindow::openRecent(const QString& path) {
  if (!loop_ && cad_.mayDiscard()) openFile(path);
}

void SimCadWindow::openFile(const QString& path) {
  try {
    cad_.openInPlace(path.toStdString());
    fileUsed(path);
    view_->zoomExtents();
  } catch (const std::exception& ex) {
    QMessageBox::warning(this, kSimCadTitle,
                         "「" + path + "」を開けません。\n" + QString::fromUtf8(ex.what()));
  }
}

void SimCadWindow::saveDrawing() {
  QString path = QString::fromStdString(cad_.documentPath());
  if (path.isEmpty())
    saveDrawingAs();
  else if (!loop_)
    saveTo(path);
}

void SimCadWindow::saveDrawingAs() {
  if (loop_) return;
  QString path = askSavePath();
  if (!path.isEmpty()) saveTo(path);
}

bool SimCadWindow::saveTo(const QString& path) {
  // Over the file it was opened from, what that file holds beyond the drawing is lost for good.
  const auto& lost = cad_.drawing().notKept;
  QFileInfo target(path), opened(QString::fromStdString(cad_.documentPath()));
  if (!lost.empty() && target.exists() &&
      target.canonicalFilePath() == opened.canonicalFilePath()) {
    QString question = "「" + target.fileName() + "」に上書きすると、次のものは残りません。";
    for (const auto& what : lost)
      question += "\n・" + QString::fromStdString(what);
    question += "\n上書きしますか?";
    if (!confirmLoss(question)) return false;
  }
  try {
    cad_.saveAs(path.toStdString());
    fileUsed(path);
    return true;
  } catch (const std::exception& ex) {
    QMessageBox::warning(this, kSimCadTitle, QString::fromUtf8(ex.what()));
    return false;
  }
}

bool SimCadWindow::closeDrawings() {
  for (int i = 0; i < cad_.documentCount(); ++i) {
    cad_.activateDocument(i);
    if (!cad_.mayDiscard()) return false;
  }
  if (drawingsClosing) drawingsClosing();
  cad_.closeAllDocuments();
  cad_.addDocument();
  return true;
}

void SimCadWindow::setRecentFiles(const QStringList& files) {
  recent_ = files.mid(0, kRecentFiles);
  recentMenu_->clear();
  for (int i = 0; i < recent_.size(); ++i) {
    QString path = recent_[i];
    QAction* a = recentMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()),
                                        this, [this, path] { openRecent(path); });
    a->setToolTip(QDir::toNativeSeparators(path));
  }
  recentMenu_->setEnabled(!recent_.isEmpty());
}

void SimCadWindow::fileUsed(const QString& path) {
  QString full = QFileInfo(path).absoluteFilePath();
  if (!recent_.isEmpty() && recent_.front() == full) return;
  QStringList files = recent_;
  files.removeAll(full);
  files.prepend(full);
  setRecentFiles(files);
  if (recentChanged) recentChanged(recent_);
}

}  // namespace qarn::simview
