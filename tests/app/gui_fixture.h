#pragma once
// Helpers for the window tests: a temporary folder as the executable's folder, a main window
// made in it, and modal boxes answered from a timer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "cad/sim/sim_desktop.h"
#include "cad/target_cad_form.h"

namespace qarn::app::testing {

// Runs `act` on the next modal widget that opens (once the current call has started it).
void onNextModal(std::function<void(QWidget*)> act);
// The text of the next message box, which is closed.
std::shared_ptr<QString> closeNextMessageBox();

class GuiTest : public ::testing::Test {
 protected:
  GuiTest();
  ~GuiTest() override;
  // A main window whose executable lies in the temporary folder.
  std::unique_ptr<TForm2> makeWindow();
  QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
  void writeFile(const QString& name, const QByteArray& bytes) const;
  QByteArray readFile(const QString& name) const;
  // The sample catalogues, copied beside the "executable".
  void copySampleData() const;

  QTemporaryDir dir;
  AppPaths paths;
  cad::sim::SimDesktop desktop;
};

}  // namespace qarn::app::testing
