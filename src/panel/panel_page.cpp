// The panel-device page's picture and its "作成" button.
#include <QPainter>
#include <QPixmap>

#include "app/main_window.h"
#include "panel/panel_creation.h"
#include "panel/panel_preview.h"

namespace qarn::app {

namespace {
std::string text(const QLineEdit* e) {
  return e->text().toStdString();
}
}  // namespace

void TForm2::DrawTovekImage() {
  QPixmap picture(Image1->size());
  picture.fill(Qt::black);
  QPainter p(&picture);
  for (const panel::Primitive& s :
       panel::DrawTovekImage({text(Edit15), text(Edit16), text(Edit17), CheckBox5->isChecked()},
                             picture.width(), picture.height())) {
    p.setPen(s.grey ? QColor(128, 128, 128) : QColor(Qt::white));
    if (s.kind == panel::Primitive::Kind::Line) {
      p.drawLine(s.x0, s.y0, s.x1, s.y1);
    } else {
      QRect box(s.cx - s.r, s.cy - s.r, 2 * s.r, 2 * s.r);
      // Qt counts arcs in sixteenths of a degree, counter-clockwise as seen.
      p.drawArc(box, static_cast<int>(s.startDegrees * 16), static_cast<int>(s.spanDegrees * 16));
    }
  }
  p.end();
  Image1->setPixmap(picture);
}

void TForm2::Button6Click() {
  panel::PanelInput in;
  in.width = text(Edit15);
  in.height = text(Edit16);
  in.kind = text(Edit17);
  in.nameplate = CheckBox5->isChecked();
  in.number = text(Edit18);
  in.model = text(Edit14);
  in.rating = text(Edit19);
  in.auxiliary = text(Edit24);
  in.dimensions = text(Edit25);
  in.cut = text(Edit30);
  in.arrayMode = CheckBox6->isChecked();
  in.count = text(Edit21);
  in.pitch = text(Edit22);
  in.downwards = CheckBox7->isChecked();
  panel::PanelResult r = panel::Button6Click(session(), in);
  Edit18->setText(QString::fromStdString(r.number));
  if (!r.message.empty()) showMessage(QString::fromStdString(r.message));
}

}  // namespace qarn::app
