// The drawing window's picking aids: object snaps with their marker and name, F3 and F8, the
// status line, and what a selection has found so far.
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "../app/gui_fixture.h"
#include "cad/connection.h"
#include "cad/sim/sim_cad.h"
#include "simview/drawing_view.h"
#include "simview/sim_cad_window.h"

namespace qarn::simview {
namespace {

class DraftingAids : public app::testing::GuiTest {
 protected:
  DraftingAids() : window(cad) {
    cad.registerAs(cad::kDefaultCadProgId);
    doc = cad::attachCad(cad::kDefaultCadProgId).activeDocument();
    window.resize(900, 700);
    window.show();
    QCoreApplication::processEvents();
    view()->zoomCenter({0, 0, 0}, view()->height() / 2.0);  // two pixels a unit
  }
  DrawingView* view() const { return window.view(); }
  QPoint at(double x, double y) const { return view()->toScreen(x, y).toPoint(); }
  void then(std::function<void()> act) { QTimer::singleShot(0, std::move(act)); }
  QString status() const { return window.findChild<QLabel*>("StatusLine")->text(); }
  int variable(const char* name) { return cad.drawing().variables.at(name).toInt(); }
  // Whether any pixel of the shown drawing in the rectangle has the colour.
  bool shows(QRect r, QColor c) const {
    QImage shown = view()->grab().toImage();
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (shown.pixelColor(x, y) == c) return true;
    return false;
  }

  cad::sim::SimCad cad;
  SimCadWindow window;
  cad::Document doc;
};

TEST_F(DraftingAids, APickGoesToTheSnapUnderTheCursorMarkedAndNamed) {
  cad.drawing().variables["OSMODE"] = cad::Value::int16(1 | 2 | 4 | 16 | 32 | 64 | 512);
  doc.modelSpace().addLine({0, 0, 0}, {40, 0, 0});
  doc.modelSpace().addCircle({100, 0, 0}, 20);
  QString endTip, centreTip;
  bool marked = false, markedAway = true;
  const QColor yellow(0xff, 0xd7, 0x00);
  then([&] {
    QTest::mouseMove(view(), at(99, 1.5));
    centreTip = view()->snapTip();
    QTest::mouseMove(view(), at(41.5, 1));
    endTip = view()->snapTip();
    // The endpoint's square, five pixels either side of the point.
    marked = shows(QRect(at(40, 0) + QPoint(-7, 2), QSize(5, 1)), yellow);
    markedAway = shows(QRect(at(40, 0) + QPoint(-7, 30), QSize(5, 1)), yellow);
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(41.5, 1));
  });
  EXPECT_EQ(doc.utility().getPoint("点 : "), (cad::Point3{40, 0, 0}));
  EXPECT_EQ(endTip, "端点");
  EXPECT_EQ(centreTip, "中心");
  EXPECT_TRUE(marked);
  EXPECT_FALSE(markedAway);
  EXPECT_FALSE(view()->snap()) << "no snap once nothing is asked";
}

TEST_F(DraftingAids, F3AndF8TurnTheVariablesOverAndTheStatusLineSaysSo) {
  cad.drawing().variables["DIMSCALE"] = cad::Value(10.0);
  QTest::mouseMove(view(), at(12.5, -4));
  cad::Point3 c = view()->cursorInDrawing();
  EXPECT_EQ(status(), QString("%1, %2, 0.0000   DIMSCALE: 10   Oスナップ: オフ   直交モード: オフ")
                          .arg(c.x, 0, 'f', 4)
                          .arg(c.y, 0, 'f', 4));
  EXPECT_NEAR(c.x, 12.5, 0.5);
  // F3 with no kind chosen turns on the kinds the CAD starts with; then only the off bit.
  QTest::keyClick(view(), Qt::Key_F3);
  EXPECT_EQ(variable("OSMODE"), 4133);
  EXPECT_TRUE(status().endsWith("Oスナップ: オン   直交モード: オフ")) << status().toStdString();
  QTest::keyClick(view(), Qt::Key_F3);
  EXPECT_EQ(variable("OSMODE"), 4133 | 16384);
  EXPECT_TRUE(status().endsWith("Oスナップ: オフ   直交モード: オフ")) << status().toStdString();
  QTest::keyClick(window.inputLine(), Qt::Key_F8);  // from the command line too
  EXPECT_EQ(variable("ORTHOMODE"), 1);
  EXPECT_TRUE(status().endsWith("直交モード: オン")) << status().toStdString();
  EXPECT_EQ(window.inputLine()->text(), "");

  // Ortho bends a pick from a base point; a snap is taken as it lies, ortho or not.
  doc.modelSpace().addLine({30, 8, 0}, {30, 20, 0});
  then([&] { QTest::mouseClick(view(), Qt::LeftButton, {}, at(50, 10)); });
  cad::Point3 bent = doc.utility().getPoint(cad::Point3{0, 0, 0}, "点 : ");
  EXPECT_NEAR(bent.x, 50, 0.5);
  EXPECT_EQ(bent.y, 0);
  then([&] {
    QTest::keyClick(view(), Qt::Key_F3);
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(31, 9));
  });
  EXPECT_EQ(doc.utility().getPoint(cad::Point3{0, 0, 0}, "点 : "), (cad::Point3{30, 8, 0}));
  EXPECT_EQ(variable("OSMODE"), 4133);
  QTest::keyClick(view(), Qt::Key_F8);
  EXPECT_EQ(variable("ORTHOMODE"), 0);
}

TEST_F(DraftingAids, ASelectionCountsWhatEachPickFoundAndHighlightsIt) {
  cad::Block ms = doc.modelSpace();
  ms.addLine({-100, 0, 0}, {-60, 0, 0});
  ms.addLine({0, 0, 0}, {20, 0, 0});
  ms.addLine({0, 10, 0}, {20, 10, 0});
  ms.addLine({200, 10, 0}, {220, 10, 0});
  QStringList prompts;
  bool boxed = false, plain = true;
  const QColor highlight(0x4d, 0xa6, 0xff);
  then([&] {
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(-80, 0));
    prompts << window.promptLabel()->text();
    QTest::mousePress(view(), Qt::LeftButton, {}, at(-10, 20));
    QTest::mouseMove(view(), at(30, -10));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, at(30, -10));
    prompts << window.promptLabel()->text();
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(10, 10));
    prompts << window.promptLabel()->text();
    boxed = shows(QRect(at(2, 10) - QPoint(0, 1), at(18, 10) + QPoint(0, 1)), highlight);
    plain = shows(QRect(at(202, 10) - QPoint(0, 1), at(218, 10) + QPoint(0, 1)), highlight);
    QTest::keyClick(view(), Qt::Key_Return);
  });
  cad::SelectionSet ss = doc.activeSelectionSet();
  ss.clear();
  ss.selectOnScreen();
  EXPECT_EQ(ss.count(), 3);
  EXPECT_EQ(prompts, (QStringList{"オブジェクトを選択: 1 個を検出、合計 1 個",
                                  "オブジェクトを選択: 2 個を検出、合計 3 個",
                                  "オブジェクトを選択: 1 個を検出 (1 個の重複)、合計 3 個"}));
  EXPECT_TRUE(boxed) << "what the box took is highlighted";
  EXPECT_FALSE(plain);
}

}  // namespace
}  // namespace qarn::simview
