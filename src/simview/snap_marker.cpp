#include "simview/snap_marker.h"

#include <QPainter>
#include <QPolygonF>

namespace qarn::simview {

void paintSnapMarker(QPainter& p, cad::sim::SnapKind kind, QPointF at) {
  using K = cad::sim::SnapKind;
  const double h = kSnapMarkerHalf;
  const double x = at.x(), y = at.y();
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xff, 0xd7, 0x00), 2));  // the CAD's marker yellow
  switch (kind) {
    case K::Endpoint:
      p.drawRect(QRectF(x - h, y - h, 2 * h, 2 * h));
      break;
    case K::Midpoint:
      p.drawPolygon(QPolygonF({QPointF(x - h, y + h), QPointF(x + h, y + h), QPointF(x, y - h)}));
      break;
    case K::Centre:
      p.drawEllipse(at, h, h);
      break;
    case K::Quadrant:
      p.drawPolygon(
          QPolygonF({QPointF(x, y - h), QPointF(x + h, y), QPointF(x, y + h), QPointF(x - h, y)}));
      break;
    case K::Insertion:
      p.drawRect(QRectF(x - h, y - h, 1.2 * h, 1.2 * h));
      p.drawRect(QRectF(x - 0.2 * h, y - 0.2 * h, 1.2 * h, 1.2 * h));
      break;
    case K::Intersection:
      p.drawLine(QPointF(x - h, y - h), QPointF(x + h, y + h));
      p.drawLine(QPointF(x - h, y + h), QPointF(x + h, y - h));
      break;
    case K::Nearest:
      p.drawPolygon(QPolygonF({QPointF(x - h, y - h), QPointF(x + h, y - h), QPointF(x - h, y + h),
                               QPointF(x + h, y + h)}));
      break;
  }
  p.restore();
}

}  // namespace qarn::simview
