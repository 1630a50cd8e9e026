// The block library page.
#include "app/main_window.h"

namespace qarn::app {

QWidget* TForm2::buildLibraryPage() {
  return new QWidget;
}

}  // namespace qarn::app
