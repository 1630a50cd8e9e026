#include "inspect/picking.h"

namespace qarn::inspect {

cad::SelectionSet pickOnScreen(cad::CadCommand& c, const std::vector<std::int16_t>& codes,
                               const std::vector<cad::Value>& values) {
  cad::SelectionSet ss = c.doc().activeSelectionSet();
  ss.clear();
  c.minimizeMainWindow();
  c.bringCadForward();
  ss.selectOnScreen(codes, values);
  c.restoreMainWindow();
  c.activateCadWindow();
  return ss;
}

std::string documentKey(const cad::Document& doc) {
  return doc.object().get("Name").toText() + "|" + std::to_string(doc.hwnd());
}

}  // namespace qarn::inspect
