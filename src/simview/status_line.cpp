#include "simview/status_line.h"

#include "cad/numbers.h"
#include "cad/sim/object_snap.h"
#include "simview/drawing_view.h"

namespace qarn::simview {

namespace {

int variable(const cad::sim::Drawing& d, const char* name) {
  auto it = d.variables.find(name);
  return it == d.variables.end() ? 0 : it->second.toInt();
}

QString onOff(bool on) {
  return on ? "オン" : "オフ";
}

}  // namespace

QString statusText(cad::Point3 cursor, const cad::sim::SimCad& cad) {
  // Four decimals, as the CAD shows coordinates by default.
  QString text = QString("%1, %2, 0.0000").arg(cursor.x, 0, 'f', 4).arg(cursor.y, 0, 'f', 4);
  if (cad.documentCount() == 0) return text;
  const cad::sim::Drawing& d = cad.drawing();
  auto dimscale = d.variables.find("DIMSCALE");
  QString scale = dimscale == d.variables.end()
                      ? QString("-")
                      : QString::fromStdString(cad::writeNumber(dimscale->second.toDouble()));
  return text + "   DIMSCALE: " + scale +
         "   Oスナップ: " + onOff(cad::sim::osnapOn(variable(d, "OSMODE"))) +
         "   直交モード: " + onOff(variable(d, "ORTHOMODE") != 0);
}

StatusLine::StatusLine(cad::sim::SimCad& cad, DrawingView* view, QWidget* parent)
    : QLabel(parent), cad_(cad), view_(view) {
  setObjectName("StatusLine");
  view_->statusChanged = [this] { refresh(); };
  refresh();
}

void StatusLine::refresh() {
  setText(statusText(view_->cursorInDrawing(), cad_));
}

}  // namespace qarn::simview
