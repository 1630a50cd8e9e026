// The device-frame and panel-device pages: their catalogue grids. Searching, row choice and the
// drawing buttons live with the catalogue and frame commands.
#include <QVBoxLayout>

#include "app/main_window.h"

namespace qarn::app {

QWidget* TForm2::buildDeviceFramePage() {
  return widgets::gridPage(StringGrid1, "StringGrid1");
}
QWidget* TForm2::buildPanelDevicePage() {
  return widgets::gridPage(StringGrid4, "StringGrid4");
}

}  // namespace qarn::app
