#include "catalogue/row_edit_dialog.h"

namespace qarn::catalogue {

TForm1::TForm1(QWidget* parent) : QDialog(parent) {
  setObjectName("Form1");
}

}  // namespace qarn::catalogue
