#pragma once
// The simulated CAD's own window: its drawing live, the prompt of what it waits for, the command
// lines it received, and a File menu. It is the person who answers the simulated CAD's requests:
// while one waits, only this window takes the mouse and the keyboard, as a CAD holds them while
// it waits for a pick.
#include <QEventLoop>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <optional>

#include "cad/sim/display_list.h"
#include "cad/sim/sim_cad.h"

class QLabel;
class QMenu;
class QLineEdit;
class QPlainTextEdit;

namespace qarn::simview {

class DrawingView;

// The tool's name, as a CAD keeps its product name in a localised window.
inline constexpr const char* kSimCadTitle = "QARN — Simulated CAD";

class SimCadWindow : public QMainWindow, public cad::sim::Operator, public cad::sim::Observer {
 public:
  explicit SimCadWindow(cad::sim::SimCad& cad, QWidget* parent = nullptr);
  ~SimCadWindow() override;

  cad::sim::OperatorInput answer(const cad::sim::OperatorRequest& request) override;
  void drawingChanged() override;
  void zoomExtents() override;
  void zoomCenter(cad::Point3 centre, double height) override;

  // The File menu (file_actions.cpp). What the shown drawing would lose is asked about first.
  void newDrawing();
  void openDrawing();
  void openRecent(const QString& path);
  void saveDrawing();
  void saveDrawingAs();
  // Before the window closes: each changed drawing asked about in turn; false when one must stay.
  // Otherwise the drawings are closed, a new one in their place.
  bool closeDrawings();
  // Told once every changed drawing has been answered for, before the drawings close.
  std::function<void()> drawingsClosing;
  // The file dialogs, replaced by the tests.
  std::function<QString()> askOpenPath, askSavePath;
  // The question before saving over the opened file what it cannot hold; true to save.
  std::function<bool(const QString& question)> confirmLoss;
  // "変更を保存しますか?" about the named drawing: "保存", "保存しない" or "キャンセル".
  std::function<QString(const QString& drawing)> askSaveChanges;
  // The drawings opened or saved last, newest first; `recentChanged` is told of each change.
  void setRecentFiles(const QStringList& files);
  const QStringList& recentFiles() const { return recent_; }
  std::function<void(const QStringList& files)> recentChanged;

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
  void buildFileMenu();
  // A request a dialog answers (the save question; a file name while FILEDIA is 1).
  std::optional<cad::sim::OperatorInput> answerByDialog(const cad::sim::OperatorRequest& request);
  QString startFolder() const;  // the drawing's folder, for the file dialogs
  bool saveTo(const QString& path);
  void openFile(const QString& path);  // in the place of the drawing shown
  void fileUsed(const QString& path);

  cad::sim::SimCad& cad_;
  DrawingView* view_;
  QLabel* prompt_;
  QLabel* omitted_;  // what a drawing too large to show left out; hidden when nothing
  QLineEdit* input_;
  QPlainTextEdit* transcript_;
  std::size_t transcriptShown_ = 0;
  static constexpr int kRecentFiles = 5;
  QMenu* recentMenu_ = nullptr;
  QStringList recent_;
  std::string shownPath_;  // the file of the drawing shown, to keep the recent files by
  QEventLoop* loop_ = nullptr;
  cad::sim::OperatorInput result_;
  cad::sim::OperatorRequest::Kind kind_{};
  std::optional<cad::Point3> base_;  // what "@dx,dy" counts from
};

}  // namespace qarn::simview
