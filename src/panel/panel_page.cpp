// The panel-device page's picture and its "作成" button.
#include <QPainter>
#include <QPixmap>

#include "app/main_window.h"
#include "panel/panel_creation.h"
#include "panel/panel_preview.h"
#include "widgets/field_text.h"

namespace qarn::app {

namespace {
std::string text(const QLineEdit* e) {
  return e->text().toStdString();
}
}  // namespace
using widgets::fieldText;

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
  in.width = fieldText(Edit15, "W");
  in.height = fieldText(Edit16, "H");
  in.kind = fieldText(Edit17, "M");
  in.nameplate = CheckBox5->isChecked();
  in.number = fieldText(Edit18, "器具番号");
  in.model = fieldText(Edit14, "型番");
  in.rating = fieldText(Edit19, "定格");
  in.auxiliary = fieldText(Edit24, "補助");
  in.dimensions = fieldText(Edit25, "AUX2");
  in.cut = fieldText(Edit30, "CUT");
  in.arrayMode = CheckBox6->isChecked();
  in.count = fieldText(Edit21, "配列モード");
  in.pitch = fieldText(Edit22, "ピッチ");
  in.downwards = CheckBox7->isChecked();
  panel::PanelResult r = panel::Button6Click(session(), in);
  Edit18->setText(QString::fromStdString(r.number));
  if (!r.message.empty()) showMessage(QString::fromStdString(r.message));
}

}  // namespace qarn::app
