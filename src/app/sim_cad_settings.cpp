#include "app/sim_cad_settings.h"

#include <QMessageBox>

#include "app/settings_file.h"
#include "cad/sim/object_snap.h"
#include "cad/sim/sim_cad.h"
#include "simview/sim_cad_window.h"

namespace qarn::app {

namespace {

void warnNotSaved(simview::SimCadWindow& window, const std::exception& e) {
  QMessageBox::warning(&window, simview::kSimCadTitle,
                       QString("設定ファイルに書き込めません。\n") + QString::fromUtf8(e.what()));
}

}  // namespace

void connectSimCadSettings(cad::sim::SimCad& cad, simview::SimCadWindow& window,
                           const std::string& settingsFile) {
  SimCadSettings s = readSimCadSettings(settingsFile);
  cad.setNewDrawingDimscale(s.dimscale);
  // A person drafting at the window starts with a CAD's usual snaps: endpoint, centre,
  // intersection, extension (which the window leaves aside).
  cad.setNewDrawingOsmode(cad::sim::kDefaultOsmode);
  QStringList recent;
  for (const auto& f : s.recentFiles)
    recent << QString::fromStdString(f);
  window.setRecentFiles(recent);
  cad.setDimscaleTyped([&cad, &window, settingsFile](double dimscale) {
    cad.setNewDrawingDimscale(dimscale);
    try {
      writeSimCadDimscale(settingsFile, dimscale);
    } catch (const std::exception& e) {
      warnNotSaved(window, e);
    }
  });
  window.recentChanged = [&window, settingsFile](const QStringList& files) {
    std::vector<std::string> list;
    for (const QString& f : files)
      list.push_back(f.toStdString());
    try {
      writeRecentFiles(settingsFile, list);
    } catch (const std::exception& e) {
      warnNotSaved(window, e);
    }
  };
}

}  // namespace qarn::app
