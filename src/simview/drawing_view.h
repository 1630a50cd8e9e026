#pragma once
// The simulated CAD's model space, drawn white on dark, and the mouse that answers its requests:
// points, entities, selections, distances and placements.
#include <QImage>
#include <QLine>
#include <QLineF>
#include <QPolygonF>
#include <QWidget>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "cad/sim/display_list.h"
#include "cad/sim/object_snap.h"
#include "cad/sim/sim_cad.h"
#include "cad/sim/view_mapping.h"

namespace qarn::simview {

class DrawingView : public QWidget {
 public:
  explicit DrawingView(cad::sim::SimCad& cad, QWidget* parent = nullptr);

  // The drawing changed: worked out again before the next paint.
  void drawingChanged();
  void zoomExtents();
  void zoomCenter(cad::Point3 centre, double viewHeight);

  // A request waits: what the mouse does now, and where its answer goes.
  void beginRequest(const cad::sim::OperatorRequest& request,
                    std::function<void(cad::sim::OperatorInput)> answer);
  void endRequest();
  // Enter: ends a selection, or answers "no value".
  void pressEnter();

  const cad::sim::ViewMapping& view() const { return view_; }
  cad::sim::ViewMapping& view() { return view_; }
  // The screen point of a drawing point, and back.
  QPointF toScreen(double x, double y) const;
  cad::Point3 toDrawing(QPointF p) const;
  // Everything painted into `painter`'s device (the benchmark paints into an image).
  void paintDrawing(class QPainter& painter);
  const cad::sim::DisplayList& displayList();
  // Told each time the drawing was worked out again (the window shows what was left out).
  std::function<void(const cad::sim::DisplayList&)> rebuilt;

  // F3 turns object snaps on or off (OSMODE's off bit), F8 ortho (ORTHOMODE); false for any
  // other key.
  bool draftingKey(int key);
  // The drawing point under the cursor, as the status line shows it.
  cad::Point3 cursorInDrawing() const { return toDrawing(cursor_); }
  // The object snap under the cursor while a point is asked for, and its tooltip's text.
  const std::optional<cad::sim::Snap>& snap() const { return snap_; }
  QString snapTip() const;
  // Told when the cursor moved or a drafting setting changed.
  std::function<void()> statusChanged;
  // Told the prompt with what a selection found so far ("1 個を検出、合計 3 個").
  std::function<void(const QString&)> promptChanged;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  // A batch ready to paint: its lines, and the runs of them that belong to one entity with the
  // box around them, so that an entity smaller than a pixel or two is painted as one dot.
  struct Run {
    int begin, end;
    QRectF box;
  };
  struct Painted {
    std::vector<QLineF> lines;
    std::vector<Run> runs;
    std::vector<QPolygonF> triangles;
  };
  static std::vector<Painted> prepare(const cad::sim::DisplayList& list);
  void rebuild();
  void click(QPointF at);
  void answer(cad::sim::OperatorInput in);
  QPointF placementOffset() const;  // drawing units the moving entities follow the cursor by
  // Where a pick at `at` goes: onto the snap found there, or along an axis with ortho on.
  void aim(QPointF at);
  cad::Point3 aimed(QPointF at) const;
  bool asksPoint() const;
  void selected(const std::vector<std::string>& handles);

  cad::sim::SimCad& cad_;
  cad::sim::DisplayList list_;
  std::vector<Painted> painted_;
  std::vector<QLine> pixelLines_;  // reused by every paint
  QImage frame_;                   // what a paint paints into
  cad::sim::DisplayList ghost_;
  std::vector<Painted> ghostPainted_;
  bool dirty_ = true;
  bool fitted_ = false;
  cad::sim::ViewMapping view_;

  std::optional<cad::sim::OperatorRequest> request_;
  std::function<void(cad::sim::OperatorInput)> answer_;
  cad::sim::OperatorInput selection_;  // what a selection gathered so far
  std::set<int> picked_;               // owners highlighted in a selection
  std::set<std::string> pickedHandles_;
  std::optional<cad::sim::SnapIndex> snaps_;  // made when first asked after a change
  std::optional<cad::sim::Snap> snap_;
  QPointF cursor_;
  std::optional<QPointF> pressAt_;  // left button down, for a box
  std::optional<QPointF> panFrom_;  // middle button down
};

}  // namespace qarn::simview
