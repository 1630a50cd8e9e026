#pragma once
// The text of a field that holds one value (a device number, a model, a size) as a command takes
// it: one line break at its end, pasted with a spreadsheet cell, is dropped; a tab or any other
// line break would reach the drawing and is refused with cad::FieldError naming the field.
#include <QLineEdit>
#include <string>

#include "cad/text_file.h"

namespace qarn::widgets {

inline std::string fieldText(const QLineEdit* e, const char* caption) {
  return cad::fieldValue(e->text().toStdString(), caption);
}

}  // namespace qarn::widgets
