#pragma once
// A push button that carries its designer name, so that tests and the pages find it by name.
#include <QPushButton>

namespace qarn::widgets {

inline QPushButton* namedButton(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setObjectName(name);
  return b;
}

}  // namespace qarn::widgets
