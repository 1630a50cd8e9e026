#pragma once
// TForm1: editing one catalogue row.
#include <QDialog>

namespace qarn::catalogue {

class TForm1 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);
};

}  // namespace qarn::catalogue
