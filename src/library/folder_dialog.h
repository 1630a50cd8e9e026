#pragma once
// TForm3: registering folders of the block library.
#include <QDialog>

namespace qarn::library {

class TForm3 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm3(QWidget* parent = nullptr);
};

}  // namespace qarn::library
