#pragma once
// TForm2, QARN's main window: the page control with its eight pages, the settings file, the
// caption, the target CAD and the error report every handler runs under. Each page is built and
// handled in the folder of its subsystem (box_page.cpp for the enclosure page, ...).
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "cad/command.h"
#include "cad/message_filter.h"
#include "widgets/string_grid.h"

namespace qarn::cad {
class TTargetCADForm;
}
namespace qarn::cad::sim {
class SimCad;
}

namespace qarn::app {

using widgets::StringGrid;

// Where the program finds its files: the executable's folder and its settings file.
struct AppPaths {
  QString folder;        // data files: catalogues, the CAD list
  QString settingsFile;  // the executable's path with ".ini"
  static AppPaths forExecutable(const QString& executablePath);
};

class TForm2 : public QWidget, public cad::MainWindow {
  Q_OBJECT
 public:
  // `desktop` is the platform's window service (or the simulated CAD's).
  TForm2(AppPaths paths, cad::Desktop* desktop, QWidget* parent = nullptr);
  ~TForm2() override;  // FormDestroy

  void setTargetCadForm(cad::TTargetCADForm* form) { TargetCADForm = form; }

  // The target CAD, kept for the whole run.
  std::string& CadProgId() { return session_.CadProgId; }
  std::string& CadName() { return session_.CadName; }
  cad::Session& session() { return session_; }
  const AppPaths& paths() const { return paths_; }
  QString dataFile(const QString& name) const;

  // The caption rule: the title, then " [ ", the name and " ]".
  void setCaptionFor(const std::string& cadName);
  bool messageFilterRegistered() const { return filter_ && filter_->registered(); }
  // Runs a handler; an error that escapes it is shown as a message box and the program goes on.
  void runHandler(const std::function<void()>& handler);
  // A message box over the main window with the program's caption "TOVEK.exe".
  void showMessage(const QString& text);

  // cad::MainWindow
  void minimize() override;
  void restore() override;
  void bringToFront() override;

  QTabWidget* PageControl1;
  QWidget* TabSheet1;  // device frames
  QWidget* TabSheet4;  // switches, lamps, meters
  QWidget* TabSheet2;  // attribute editing
  QWidget* TabSheet3;  // summary
  QWidget* TabSheet5;  // layers
  QWidget* TabSheet7;  // CAD, alignment, others
  QWidget* TabSheet6;  // box (enclosures)
  QWidget* TabSheet8;  // block library

  StringGrid* StringGrid1;  // device catalogue
  StringGrid* StringGrid4;  // switch/lamp catalogue
  StringGrid* StringGrid2;  // attributes
  StringGrid* StringGrid3;  // summary
  StringGrid* StringGrid5;  // layers
  StringGrid* StringGrid6;  // enclosures

  // Page 5.
  QPushButton* Button28;  // "ターゲット CAD 選択": choose the target CAD

  // The box page.
  QComboBox* ComboBox1;   // enclosure family
  QLineEdit* Edit40;      // width filter
  QLineEdit* Edit41;      // height filter
  QLineEdit* Edit42;      // depth filter
  QCheckBox* CheckBox3;   // "両扉": double doors only
  QPushButton* Button27;  // "CAD": choose the target CAD
  QPushButton* Button12;  // "作成": draw the chosen enclosure
  QLineEdit* Edit32;      // model (read-only)
  QLineEdit* Edit33;      // door type (read-only)
  QLineEdit* Edit34;      // width (hidden)
  QLineEdit* Edit35;      // height (hidden)
  QLineEdit* Edit36;      // depth (hidden)
  QLineEdit* Edit37;      // mounting-plate width (hidden)
  QLineEdit* Edit38;      // mounting-plate height (hidden)
  QLineEdit* Edit39;      // usable depth (hidden)
  QLineEdit* Edit43;      // window width (hidden)
  QLineEdit* Edit44;      // window height (hidden)

  // Handlers.
  void FormCreate();
  void FormClose();
  void Button28Click();
  void ComboBox1Change();
  void Edit40Change();
  void CheckBox3Click();
  void StringGrid6Click();
  void Button12Click();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void buildPages();
  QWidget* buildDeviceFramePage();  // catalogue/catalogue_pages.cpp
  QWidget* buildPanelDevicePage();  // catalogue/catalogue_pages.cpp
  QWidget* buildAttributePage();    // inspect/inspect_pages.cpp
  QWidget* buildSummaryPage();      // inspect/inspect_pages.cpp
  QWidget* buildLayerPage();        // inspect/inspect_pages.cpp
  QWidget* buildToolsPage();        // tools/tools_page.cpp
  QWidget* buildBoxPage();          // enclosure/box_page.cpp
  QWidget* buildLibraryPage();      // library/library_page.cpp
  void setUpGrids();
  void placeWindow(std::optional<int> left, std::optional<int> top);

  AppPaths paths_;
  cad::Session session_;
  std::unique_ptr<cad::TMessageFilter> filter_;
  cad::TTargetCADForm* TargetCADForm = nullptr;
  bool closed_ = false;
};

}  // namespace qarn::app
