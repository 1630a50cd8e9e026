#pragma once
// The drawing window's status line, as a CAD's: where the cursor is in the drawing, the drawing's
// DIMSCALE, and whether object snaps (F3) and ortho (F8) are on.
#include <QLabel>

#include "cad/geometry.h"
#include "cad/sim/sim_cad.h"

namespace qarn::simview {

class DrawingView;

// "x, y, 0.0000   DIMSCALE: n   Oスナップ: オン   直交モード: オフ"; without a document, the
// coordinates alone.
QString statusText(cad::Point3 cursor, const cad::sim::SimCad& cad);

class StatusLine : public QLabel {
 public:
  StatusLine(cad::sim::SimCad& cad, DrawingView* view, QWidget* parent);
  void refresh();

 private:
  cad::sim::SimCad& cad_;
  DrawingView* view_;
};

}  // namespace qarn::simview
