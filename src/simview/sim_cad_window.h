#pragma once
// The simulated CAD's own window: its drawing live, the prompt of what it waits for, the command
// lines it received, and a File menu. It is the person who answers the simulated CAD's requests:
// while one waits, only this window takes the mouse and the keyboard, as a CAD holds them while
// it waits for a pick.
#include <QEventLoop>
#include <QMainWindow>
#include <functional>

#include "cad/sim/display_list.h"
#include "cad/sim/sim_cad.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace qarn::simview {

class DrawingView;

class SimCadWindow : public QMainWindow, public cad::sim::Operator, public cad::sim::Observer {
 public:
  explicit SimCadWindow(cad::sim::SimCad& cad, QWidget* parent = nullptr);
  ~SimCadWindow() override;

  cad::sim::OperatorInput answer(const cad::sim::OperatorRequest& request) override;
  void drawingChanged() override;
  void zoomExtents() override;
  void zoomCenter(cad::Point3 centre, double height) override;

  void openDrawing();
  void saveDrawingAs();
  // The file dialogs, replaced by the tests.
  std::function<QString()> askOpenPath, askSavePath;
  // The question before saving over the opened file what it cannot hold; true to save.
  std::function<bool(const QString& question)> confirmLoss;

  DrawingView* view() const { return view_; }
  QLabel* promptLabel() const { return prompt_; }
  QLineEdit* inputLine() const { return input_; }
  QPlainTextEdit* transcriptBox() const { return transcript_; }
  QLabel* omittedLabel() const { return omitted_; }
  bool waiting() const { return loop_ != nullptr; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void finish(cad::sim::OperatorInput in);
  void typed();
  // The command line while nothing waits: a typed command, and Ctrl+Z / Ctrl+Y as U / REDO
  // (sim_cad_command_line.cpp).
  void runTypedCommand(const QString& line);
  void addUndoKeys();
  void updateTitle();
  void showOmitted(const cad::sim::DisplayList& list);

  cad::sim::SimCad& cad_;
  DrawingView* view_;
  QLabel* prompt_;
  QLabel* omitted_;  // what a drawing too large to show left out; hidden when nothing
  QLineEdit* input_;
  QPlainTextEdit* transcript_;
  std::size_t transcriptShown_ = 0;
  QEventLoop* loop_ = nullptr;
  cad::sim::OperatorInput result_;
  cad::sim::OperatorRequest::Kind kind_{};
  std::optional<cad::Point3> base_;  // what "@dx,dy" counts from
};

}  // namespace qarn::simview
