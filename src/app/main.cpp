// QARN: the program entry. With --simulated-cad the embedded simulated CAD runs in the process
// under the target ProgID, with a window of its own that shows its drawing and takes the picks,
// so that QARN works without a CAD.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <memory>

#include "app/dark_style.h"
#include "app/main_window.h"
#include "app/settings_file.h"
#include "app/sim_cad_settings.h"
#include "cad/platform_desktop.h"
#include "cad/sim/sim_cad.h"
#include "cad/target_cad_form.h"
#include "cad/target_cad_list.h"
#include "catalogue/row_edit_dialog.h"
#include "library/folder_dialog.h"
#include "simview/sim_cad_window.h"

#ifdef _WIN32
#include "cad/com/com_link.h"
#endif

int main(int argc, char** argv) {
  QApplication app(argc, argv);  // the GUI thread is a single-threaded COM apartment
#ifdef _WIN32
  qarn::cad::com::installComRunningObjects();
#endif
  qarn::app::applyWindows10Dark(app);
  QApplication::setApplicationDisplayName(QString());
  QApplication::setApplicationName(QString::fromUtf8(qarn::app::kAppTitle));

  QCommandLineParser options;
  QCommandLineOption simulated("simulated-cad",
                               "Run the embedded simulated CAD as the target CAD.");
  QCommandLineOption dxf("dxf", "With --simulated-cad: write its drawing to FILE at the end.",
                         "FILE");
  options.addOption(simulated);
  options.addOption(dxf);
  options.process(app);

  std::unique_ptr<qarn::cad::sim::SimCad> sim;
  std::unique_ptr<qarn::cad::Desktop> platform;
  qarn::cad::Desktop* desktop = nullptr;
  if (options.isSet(simulated)) {
    sim = std::make_unique<qarn::cad::sim::SimCad>();
    desktop = &sim->desktop();
  } else {
    platform = qarn::cad::makePlatformDesktop();
    desktop = platform.get();
  }

  auto paths = qarn::app::AppPaths::forExecutable(QApplication::applicationFilePath());
  qarn::app::TForm2 Form2(paths, desktop);
  qarn::catalogue::TForm1 Form1(&Form2);
  Form2.setRowEditForm(&Form1);
  qarn::library::TForm3 Form3(&Form2);
  qarn::cad::TTargetCADForm TargetCADForm(Form2.dataFile(qarn::cad::kTargetCadListFile), &Form2);
  Form2.setTargetCadForm(&TargetCADForm);
  std::unique_ptr<qarn::simview::SimCadWindow> cadWindow;
  if (sim) {
    sim->registerAs(Form2.CadProgId());
    cadWindow = std::make_unique<qarn::simview::SimCadWindow>(*sim);
    qarn::app::connectSimCadSettings(*sim, *cadWindow, paths.settingsFile.toStdString());
    // Quitting QARN closes the drawing window, which asks about each changed drawing first.
    Form2.mayClose = [&cadWindow] { return cadWindow->close(); };
    cadWindow->show();
  }
  // --dxf keeps the drawing as it stands when the drawing window lets its drawings go.
  bool kept = false;
  auto keepDxf = [&] {
    if (!sim || !options.isSet(dxf)) return;
    kept = true;
    try {
      sim->writeDxf(options.value(dxf).toStdString());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "qarn: --dxf: %s\n", e.what());
    }
  };
  if (cadWindow) cadWindow->drawingsClosing = keepDxf;
  Form2.show();
  int rc = app.exec();
  if (!kept) keepDxf();
  return rc;
}
