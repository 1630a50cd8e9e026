// The attribute, summary and layer pages: their grids.
#include <QVBoxLayout>

#include "app/main_window.h"

namespace qarn::app {

QWidget* TForm2::buildAttributePage() {
  return widgets::gridPage(StringGrid2, "StringGrid2");
}
QWidget* TForm2::buildSummaryPage() {
  return widgets::gridPage(StringGrid3, "StringGrid3");
}
QWidget* TForm2::buildLayerPage() {
  return widgets::gridPage(StringGrid5, "StringGrid5");
}

}  // namespace qarn::app
