#include "simview/drawing_view.h"

#include <utility>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>
#include <unordered_map>

#include "cad/sim/box_selection.h"
#include "simview/snap_marker.h"

namespace qarn::simview {

namespace sim = cad::sim;
using Kind = sim::OperatorRequest::Kind;

namespace {

constexpr int kPickPixels = 4;       // how near the cursor a line must pass to be picked
constexpr int kAperturePixels = 10;  // how near the cursor an object snap is looked for
const QColor kBackground(0x21, 0x26, 0x2e);

Qt::PenStyle penStyleOf(sim::LineStyle s) {
  switch (s) {
    case sim::LineStyle::Hidden:
      return Qt::DashLine;
    case sim::LineStyle::Phantom:
      return Qt::DashDotDotLine;
    case sim::LineStyle::Dashed:
      return Qt::DashDotLine;
    case sim::LineStyle::Solid:
      break;
  }
  return Qt::SolidLine;
}

QColor colourOf(std::uint32_t rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int variable(const sim::Drawing& d, const char* name) {
  auto it = d.variables.find(name);
  return it == d.variables.end() ? 0 : it->second.toInt();
}

}  // namespace

DrawingView::DrawingView(sim::SimCad& cad, QWidget* parent) : QWidget(parent), cad_(cad) {
  setObjectName("DrawingView");
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(320, 240);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingView::drawingChanged() {
  dirty_ = true;
  snaps_.reset();
  update();
  if (statusChanged) statusChanged();
}

const sim::DisplayList& DrawingView::displayList() {
  if (dirty_) rebuild();
  return list_;
}

std::vector<DrawingView::Painted> DrawingView::prepare(const sim::DisplayList& list) {
  std::vector<Painted> out(list.batches.size());
  for (std::size_t i = 0; i < list.batches.size(); ++i) {
    Painted& p = out[i];
    const auto& lines = list.batches[i].lines;
    p.lines.reserve(lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
      const auto& l = lines[k];
      p.lines.emplace_back(l.x0, l.y0, l.x1, l.y1);
      QRectF box = QRectF(QPointF(l.x0, l.y0), QPointF(l.x1, l.y1)).normalized();
      if (k > 0 && lines[k - 1].owner == l.owner) {
        p.runs.back().end = static_cast<int>(k) + 1;
        p.runs.back().box |= box;
      } else {
        p.runs.push_back({static_cast<int>(k), static_cast<int>(k) + 1, box});
      }
    }
    for (const auto& t : list.batches[i].triangles)
      p.triangles.push_back(
          QPolygonF({QPointF(t.a.x, t.a.y), QPointF(t.b.x, t.b.y), QPointF(t.c.x, t.c.y)}));
  }
  return out;
}

void DrawingView::rebuild() {
  dirty_ = false;
  if (cad_.documentCount() == 0) {
    list_ = {};
  } else {
    list_ = sim::buildDisplayList(std::as_const(cad_).drawing());  // read only
  }
  painted_ = prepare(list_);
  if (rebuilt) rebuilt(list_);
  if (!fitted_ && !list_.extents.empty()) {
    fitted_ = true;
    view_.fit(list_.extents);
  }
}

void DrawingView::zoomExtents() {
  displayList();
  fitted_ = true;
  view_.fit(list_.extents);
  update();
}

void DrawingView::zoomCenter(cad::Point3 centre, double viewHeight) {
  fitted_ = true;
  view_.centreOn(centre, viewHeight);
  update();
}

QPointF DrawingView::toScreen(double x, double y) const {
  cad::Point3 p = view_.toScreen(x, y);
  return {p.x, p.y};
}

cad::Point3 DrawingView::toDrawing(QPointF p) const {
  return view_.toDrawing(p.x(), p.y());
}

void DrawingView::resizeEvent(QResizeEvent*) {
  view_.width = std::max(1, width());
  view_.height = std::max(1, height());
}

QPointF DrawingView::placementOffset() const {
  if (!request_ || request_->kind != Kind::Placement || !request_->base) return {};
  cad::Point3 at = aimed(cursor_);
  return {at.x - request_->base->x, at.y - request_->base->y};
}

bool DrawingView::asksPoint() const {
  return request_ && (request_->kind == Kind::Point || request_->kind == Kind::Distance ||
                      request_->kind == Kind::Placement);
}

void DrawingView::aim(QPointF at) {
  std::optional<sim::Snap> before = snap_;
  snap_.reset();
  if (asksPoint() && cad_.documentCount() > 0) {
    int osmode = variable(cad_.drawing(), "OSMODE");
    if (sim::osnapOn(osmode)) {
      if (!snaps_) snaps_.emplace(cad_.drawing());
      snap_ = snaps_->find(toDrawing(at), kAperturePixels / view_.scale, osmode);
    }
  }
  if (snap_ && (!before || before->kind != snap_->kind || before->point != snap_->point))
    QToolTip::showText(mapToGlobal(at.toPoint() + QPoint(16, 16)), snapTip(), this);
  else if (!snap_ && before)
    QToolTip::hideText();
}

QString DrawingView::snapTip() const {
  return snap_ ? QString::fromUtf8(sim::snapKindName(snap_->kind)) : QString();
}

cad::Point3 DrawingView::aimed(QPointF at) const {
  if (snap_) return snap_->point;  // a snap is taken as it lies, ortho or not
  cad::Point3 p = toDrawing(at);
  // Ortho bends what is measured from a base point: a point or distance from it, and a move
  // (the one placement that starts from a picked point).
  bool bends =
      request_ && request_->base && cad_.documentCount() > 0 &&
      variable(cad_.drawing(), "ORTHOMODE") != 0 &&
      (request_->kind != Kind::Placement || request_->prompt == sim::kMoveSecondPointPrompt);
  if (bends) {
    double dx = p.x - request_->base->x, dy = p.y - request_->base->y;
    if (std::abs(dx) >= std::abs(dy))
      p.y = request_->base->y;
    else
      p.x = request_->base->x;
  }
  return p;
}

bool DrawingView::draftingKey(int key) {
  if (key != Qt::Key_F3 && key != Qt::Key_F8) return false;
  if (cad_.documentCount() == 0) return true;
  sim::Drawing& d = cad_.drawing();
  if (key == Qt::Key_F3) {
    int m = variable(d, "OSMODE");
    if (sim::osnapOn(m)) {
      m |= sim::kOsnapOff;
    } else {
      m &= ~sim::kOsnapOff;
      // Turned on with no kind chosen, where the CAD would open its settings: the kinds it
      // starts with.
      if (m == 0) m = sim::kDefaultOsmode;
    }
    d.variables["OSMODE"] = cad::Value::int16(static_cast<std::int16_t>(m));
  } else {
    d.variables["ORTHOMODE"] = cad::Value::int16(variable(d, "ORTHOMODE") != 0 ? 0 : 1);
  }
  aim(cursor_);
  update();
  if (statusChanged) statusChanged();
  return true;
}

void DrawingView::selected(const std::vector<std::string>& handles) {
  const sim::DisplayList& list = displayList();
  std::unordered_map<std::string, int> owner;
  for (std::size_t i = 0; i < list.owners.size(); ++i)
    owner[list.owners[i]] = static_cast<int>(i);
  int again = 0;
  for (const auto& h : handles) {
    if (!pickedHandles_.insert(h).second) ++again;
    if (auto it = owner.find(h); it != owner.end()) picked_.insert(it->second);
  }
  // As the CAD counts on its command line after each pick.
  QString found = QString("%1 個を検出").arg(handles.size());
  if (again > 0) found += QString(" (%1 個の重複)").arg(again);
  found += QString("、合計 %1 個").arg(pickedHandles_.size());
  if (promptChanged) promptChanged(QString::fromStdString(request_->prompt) + " " + found);
  update();
}

void DrawingView::paintDrawing(QPainter& target) {
  displayList();
  // Painted into an image of our own, where the smallest entities are set pixel by pixel.
  if (frame_.width() != view_.width || frame_.height() != view_.height)
    frame_ = QImage(view_.width, view_.height, QImage::Format_ARGB32_Premultiplied);
  frame_.fill(kBackground);
  auto* bits = reinterpret_cast<std::uint32_t*>(frame_.bits());
  const std::size_t stride = static_cast<std::size_t>(frame_.bytesPerLine()) / 4;
  QPainter p(&frame_);
  const QTransform toScreen(view_.scale, 0, 0, -view_.scale,
                            view_.width / 2.0 - view_.centreX * view_.scale,
                            view_.height / 2.0 + view_.centreY * view_.scale);
  auto paintList = [&](const sim::DisplayList& list, const std::vector<Painted>& painted,
                       QPointF shift, bool faint) {
    QTransform t = QTransform::fromTranslate(shift.x(), shift.y()) * toScreen;
    // The lines mapped to whole pixels here, off-screen ones and those that shrink to a pixel's
    // dot left out: the painter then only fills pixels.
    const double sx = t.m11(), sy = t.m22(), dx = t.dx(), dy = t.dy();
    const double w = view_.width, h = view_.height;
    std::vector<QLine>& pixels = pixelLines_;
    for (std::size_t i = 0; i < list.batches.size(); ++i) {
      QColor c = colourOf(list.batches[i].style.rgb);
      if (faint) c.setAlpha(160);
      QPen pen(c, 0, penStyleOf(list.batches[i].style.line));
      pen.setCosmetic(true);
      p.setPen(pen);
      pixels.clear();
      const std::uint32_t argb = 0xFF000000u | list.batches[i].style.rgb;
      auto plot = [&](long px, long py) {
        if (px >= 0 && py >= 0 && px < view_.width && py < view_.height)
          bits[static_cast<std::size_t>(py) * stride + static_cast<std::size_t>(px)] = argb;
      };
      for (const Run& run : painted[i].runs) {
        double bx0 = run.box.left() * sx + dx, bx1 = run.box.right() * sx + dx;
        double by0 = run.box.top() * sy + dy, by1 = run.box.bottom() * sy + dy;
        if (std::max(bx0, bx1) < 0 || std::min(bx0, bx1) > w || std::max(by0, by1) < 0 ||
            std::min(by0, by1) > h)
          continue;
        // An entity a few pixels across is its box's outline at this size.
        if (!faint && std::abs(bx1 - bx0) <= 3.5 && std::abs(by1 - by0) <= 3.5) {
          long x0 = std::lround(std::min(bx0, bx1)), x1 = std::lround(std::max(bx0, bx1));
          long y0 = std::lround(std::min(by0, by1)), y1 = std::lround(std::max(by0, by1));
          for (long x = x0; x <= x1; ++x) {
            plot(x, y0);
            plot(x, y1);
          }
          for (long y = y0 + 1; y < y1; ++y) {
            plot(x0, y);
            plot(x1, y);
          }
          continue;
        }
        for (int k = run.begin; k < run.end; ++k) {
          const QLineF& l = painted[i].lines[k];
          double x0 = l.x1() * sx + dx, y0 = l.y1() * sy + dy;
          double x1 = l.x2() * sx + dx, y1 = l.y2() * sy + dy;
          if ((x0 < 0 && x1 < 0) || (x0 > w && x1 > w) || (y0 < 0 && y1 < 0) || (y0 > h && y1 > h))
            continue;
          if (!faint && std::abs(x1 - x0) <= 1 && std::abs(y1 - y0) <= 1) {
            plot(std::lround(x0), std::lround(y0));  // a line no longer than a pixel
            continue;
          }
          pixels.emplace_back(static_cast<int>(std::lround(std::clamp(x0, -1e6, 1e6))),
                              static_cast<int>(std::lround(std::clamp(y0, -1e6, 1e6))),
                              static_cast<int>(std::lround(std::clamp(x1, -1e6, 1e6))),
                              static_cast<int>(std::lround(std::clamp(y1, -1e6, 1e6))));
        }
      }
      p.drawLines(pixels.data(), static_cast<int>(pixels.size()));
      p.setTransform(t);
      if (!painted[i].triangles.empty()) {
        p.setBrush(c);
        for (const auto& tri : painted[i].triangles) {
          QRectF r = tri.boundingRect();
          if (std::max(r.width(), r.height()) * view_.scale < 1.5) continue;  // not to be seen
          p.drawPolygon(tri);
        }
        p.setBrush(Qt::NoBrush);
      }
      p.resetTransform();
    }
    // Texts too small to read are left out: at a glance they would only cost time.
    const QRectF screen(-400, -400, view_.width + 800, view_.height + 800);
    for (const auto& tx : list.texts) {
      double px = tx.height * view_.scale;
      if (px < 4 || px > 4000) continue;
      QPointF at = t.map(QPointF(tx.at.x, tx.at.y));
      if (!screen.contains(at)) continue;
      QFont font = p.font();
      font.setPixelSize(std::max(1, static_cast<int>(std::lround(px / 0.72))));
      p.setFont(font);
      QFontMetricsF m(font);
      QString s = QString::fromStdString(tx.text);
      double w = m.horizontalAdvance(s) * tx.widthFactor;
      double left = tx.horizontal == 1 ? -w / 2 : tx.horizontal == 2 ? -w : 0;
      double base = tx.vertical == 3 ? px : tx.vertical == 2 ? px / 2 : 0;
      QColor c = colourOf(tx.style.rgb);
      if (faint) c.setAlpha(160);
      p.setPen(c);
      p.save();
      p.translate(at);
      p.rotate(-tx.rotation * 180 / M_PI);
      p.scale(tx.widthFactor, 1);
      p.drawText(QPointF(left / tx.widthFactor, base), s);
      p.restore();
    }
  };
  paintList(list_, painted_, {}, false);

  // What a selection picked so far, drawn over in the highlight colour.
  if (!picked_.empty()) {
    p.setTransform(toScreen);
    QPen pen(QColor(0x4d, 0xa6, 0xff), 0, Qt::DashLine);
    pen.setCosmetic(true);
    p.setPen(pen);
    for (const auto& b : list_.batches)
      for (const auto& l : b.lines)
        if (picked_.count(l.owner)) p.drawLine(QLineF(l.x0, l.y0, l.x1, l.y1));
    p.resetTransform();
  }
  if (request_) {
    QPen rubber(QColor(0xff, 0xd0, 0x60), 1, Qt::DashLine);
    if (request_->kind == Kind::Placement) {
      paintList(ghost_, ghostPainted_, placementOffset(), true);
    } else if (request_->base &&
               (request_->kind == Kind::Point || request_->kind == Kind::Distance)) {
      p.setPen(rubber);
      cad::Point3 to = aimed(cursor_);
      p.drawLine(toScreen.map(QPointF(request_->base->x, request_->base->y)),
                 toScreen.map(QPointF(to.x, to.y)));
    }
    if (snap_)
      paintSnapMarker(p, snap_->kind, toScreen.map(QPointF(snap_->point.x, snap_->point.y)));
    if (pressAt_ && (cursor_ - *pressAt_).manhattanLength() > 3) {
      // Left to right a window (solid), right to left a crossing (dashed), as a CAD shows them.
      bool window = cursor_.x() >= pressAt_->x();
      p.setPen(QPen(QColor(0x80, 0xc0, 0xff), 1, window ? Qt::SolidLine : Qt::DashLine));
      p.setBrush(window ? QColor(0x40, 0x80, 0xff, 40) : QColor(0x40, 0xff, 0x80, 40));
      p.drawRect(QRectF(*pressAt_, cursor_).normalized());
      p.setBrush(Qt::NoBrush);
    }
  }
  p.end();
  target.drawImage(0, 0, frame_);
}

void DrawingView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  paintDrawing(p);
}

void DrawingView::beginRequest(const sim::OperatorRequest& request,
                               std::function<void(sim::OperatorInput)> answer) {
  request_ = request;
  answer_ = std::move(answer);
  selection_ = {};
  selection_.kind = sim::OperatorInput::Kind::Selection;
  picked_.clear();
  pickedHandles_.clear();
  pressAt_.reset();
  snap_.reset();
  if (request.kind == Kind::Placement && cad_.documentCount() > 0) {
    ghost_ = sim::buildDisplayList(std::as_const(cad_).drawing(), request.moving, false);
    ghostPainted_ = prepare(ghost_);
  }
  setCursor(request.kind == Kind::Entity || request.kind == Kind::Selection ? Qt::PointingHandCursor
                                                                            : Qt::CrossCursor);
  update();
}

void DrawingView::endRequest() {
  request_.reset();
  answer_ = nullptr;
  picked_.clear();
  pickedHandles_.clear();
  if (snap_) QToolTip::hideText();
  snap_.reset();
  pressAt_.reset();
  ghost_ = {};
  ghostPainted_.clear();
  unsetCursor();
  update();
}

void DrawingView::answer(sim::OperatorInput in) {
  if (!answer_) return;
  auto give = answer_;
  give(std::move(in));
}

void DrawingView::pressEnter() {
  if (!request_) return;
  if (request_->kind == Kind::Selection) {
    answer(selection_);
    return;
  }
  answer(sim::OperatorInput{});  // Enter: no value
}

void DrawingView::click(QPointF at) {
  if (!request_) return;
  cad::Point3 p = toDrawing(at);
  sim::OperatorInput in;
  switch (request_->kind) {
    case Kind::Point:
    case Kind::Distance:
    case Kind::Placement:
      aim(at);
      in.kind = sim::OperatorInput::Kind::Point;
      in.point = aimed(at);
      // A snapped point is taken as it lies: ortho does not bend it.
      in.typed = snap_.has_value();
      answer(in);
      return;
    case Kind::Entity: {
      in.handle = sim::entityAt(displayList(), p.x, p.y, kPickPixels / view_.scale);
      // A pick that misses ends the request with nothing picked, as in the CAD.
      in.kind =
          in.handle.empty() ? sim::OperatorInput::Kind::Point : sim::OperatorInput::Kind::Entity;
      in.point = p;
      answer(in);
      return;
    }
    case Kind::Selection: {
      std::string h = sim::entityAt(displayList(), p.x, p.y, kPickPixels / view_.scale);
      if (h.empty()) return;
      selection_.handles.push_back(h);
      selected({h});
      return;
    }
    case Kind::Value:
      return;
  }
}

void DrawingView::mousePressEvent(QMouseEvent* e) {
  cursor_ = e->position();
  if (e->button() == Qt::MiddleButton) {
    panFrom_ = e->position();
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  if (request_ && request_->kind == Kind::Selection)
    pressAt_ = e->position();
  else
    click(e->position());
}

void DrawingView::mouseMoveEvent(QMouseEvent* e) {
  cursor_ = e->position();
  if (panFrom_) {
    QPointF d = e->position() - *panFrom_;
    view_.pan(d.x(), d.y());
    panFrom_ = e->position();
  }
  if (asksPoint()) aim(cursor_);
  if (panFrom_ || request_) update();
  if (statusChanged) statusChanged();
}

void DrawingView::mouseReleaseEvent(QMouseEvent* e) {
  cursor_ = e->position();
  if (e->button() == Qt::MiddleButton) {
    panFrom_.reset();
    return;
  }
  if (e->button() != Qt::LeftButton || !pressAt_) return;
  QPointF from = *pressAt_;
  pressAt_.reset();
  if ((e->position() - from).manhattanLength() <= 3) {
    click(from);
    return;
  }
  // Dragged left to right: a window; right to left: a crossing.
  sim::OperatorInput::Box box;
  box.window = e->position().x() >= from.x();
  box.a = toDrawing(from);
  box.b = toDrawing(e->position());
  selection_.boxes.push_back(box);
  if (cad_.documentCount() > 0)
    selected(sim::entitiesInBox(cad_.drawing(), box.window, box.a, box.b));
}

void DrawingView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton)
    zoomExtents();
  else
    mousePressEvent(e);
}

void DrawingView::wheelEvent(QWheelEvent* e) {
  double notches = e->angleDelta().y() / 120.0;
  if (notches == 0) return;
  view_.zoomAbout(e->position().x(), e->position().y(), std::pow(1.25, notches));
  update();
}

void DrawingView::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Home:
      zoomExtents();
      return;
    case Qt::Key_F3:
    case Qt::Key_F8:
      draftingKey(e->key());
      return;
    case Qt::Key_Escape:
      if (request_) answer(sim::OperatorInput::of(sim::OperatorInput::Kind::Escape));
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      pressEnter();
      return;
    default:
      QWidget::keyPressEvent(e);
  }
}

}  // namespace qarn::simview
