// The simulated CAD's command line while it waits for nothing: what the person types runs as a
// typed command (an empty line repeats the last one), and the undo keys walk the history.
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <functional>

#include "simview/sim_cad_window.h"

namespace qarn::simview {

namespace {

const char* undoCommandOf(const QKeyEvent* k) {
  if (k->modifiers() != Qt::ControlModifier) return nullptr;
  return k->key() == Qt::Key_Z ? "U" : k->key() == Qt::Key_Y ? "REDO" : nullptr;
}

// In the command line Ctrl+Z and Ctrl+Y undo drawings, as a CAD's do, not typing.
class UndoKeysInTheLine : public QObject {
 public:
  UndoKeysInTheLine(QObject* parent, std::function<void(const char*)> run)
      : QObject(parent), run_(std::move(run)) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(e);
    // Escape at the command prompt drops what was typed (while a request waits it cancels that).
    if (e->type() == QEvent::KeyPress && key->key() == Qt::Key_Escape)
      if (auto* line = qobject_cast<QLineEdit*>(watched)) line->clear();
    const char* command = undoCommandOf(key);
    if (!command) return false;
    e->accept();  // the line's own undo does not take it, nor the window's shortcut
    if (e->type() == QEvent::KeyPress) run_(command);
    return true;
  }

 private:
  std::function<void(const char*)> run_;
};

}  // namespace

void SimCadWindow::runTypedCommand(const QString& line) {
  // A command may ask for points and selections: this window answers them meanwhile.
  try {
    cad_.typeCommand(line.trimmed().toStdString());
  } catch (const std::exception& e) {
    transcript_->appendPlainText(QString::fromUtf8(e.what()));  // never out through Qt
  }
}

void SimCadWindow::addUndoKeys() {
  auto run = [this](const char* command) {
    if (!loop_) runTypedCommand(command);
  };
  input_->installEventFilter(new UndoKeysInTheLine(input_, run));
  for (auto [keys, command] :
       {std::pair{Qt::CTRL | Qt::Key_Z, "U"}, {Qt::CTRL | Qt::Key_Y, "REDO"}}) {
    auto* s = new QShortcut(QKeySequence(keys), this);
    s->setContext(Qt::WindowShortcut);
    connect(s, &QShortcut::activated, this, [run, command] { run(command); });
  }
}

}  // namespace qarn::simview
