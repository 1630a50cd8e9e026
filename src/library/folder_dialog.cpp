#include "library/folder_dialog.h"

namespace qarn::library {

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setObjectName("Form3");
}

}  // namespace qarn::library
