// The simulated CAD's window as a person uses it: clicks, drags and keys answer what the CAD
// asks, and the CAD receives exactly that.
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <map>

#include "../app/gui_fixture.h"
#include "app/settings_file.h"
#include "app/sim_cad_settings.h"
#include "cad/automation_error.h"
#include "cad/command.h"
#include "cad/connection.h"
#include "cad/sim/sim_cad.h"
#include "simview/drawing_view.h"
#include "simview/sim_cad_window.h"

namespace qarn::simview {
namespace {

class SimCadWindowTest : public app::testing::GuiTest {
 protected:
  SimCadWindowTest() : window(cad) {
    session.desktop = &cad.desktop();
    cad.registerAs(session.CadProgId);
    app = cad::attachCad(session.CadProgId);
    doc = app.activeDocument();
    window.resize(900, 700);
    window.show();
    QCoreApplication::processEvents();
    // One drawing unit to two pixels, the origin in the middle.
    view()->zoomCenter({0, 0, 0}, view()->height() / 2.0);
  }
  DrawingView* view() const { return window.view(); }
  QPoint at(double x, double y) const { return view()->toScreen(x, y).toPoint(); }
  // What the person does once the CAD has asked.
  void then(std::function<void()> act) { QTimer::singleShot(0, std::move(act)); }

  cad::sim::SimCad cad;
  SimCadWindow window;
  cad::Session session;
  cad::Application app;
  cad::Document doc;
};

TEST_F(SimCadWindowTest, APointIsClickedWithThePromptShownAndEscapeCancels) {
  QString shown;
  then([&] {
    shown = window.promptLabel()->text();
    QTest::mouseMove(view(), at(30, 0));
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(50, 25));
  });
  cad::Point3 p = doc.utility().getPoint(cad::Point3{0, 0, 0}, "基準点を指示 : ");
  EXPECT_EQ(shown, "基準点を指示 : ");
  EXPECT_NEAR(p.x, 50, 0.5);
  EXPECT_NEAR(p.y, 25, 0.5);
  EXPECT_FALSE(window.waiting());
  EXPECT_EQ(window.promptLabel()->text(), "") << "nothing is asked any more";

  // While it waits the CAD is busy: another call is refused, and Escape cancels.
  int refused = 0;
  then([&] {
    try {
      doc.modelSpace().addLine({0, 0, 0}, {1, 1, 0});
    } catch (const cad::AutomationError& e) {
      refused = e.code();
    }
    QTest::keyClick(view(), Qt::Key_Escape);
  });
  EXPECT_THROW(doc.utility().getPoint("次の点 : "), cad::AutomationError);
  EXPECT_EQ(refused, cad::status::kCallRejected);
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
  EXPECT_FALSE(window.waiting());
}

TEST_F(SimCadWindowTest, AnEntityPickTakesABlockReferenceAsAWholeAndAMissTakesNothing) {
  cad::Block lamp = doc.blocks().add({0, 0, 0}, "LAMP");
  lamp.addCircle({0, 0, 0}, 10);
  lamp.addLine({-5, 0, 0}, {5, 0, 0});
  cad::BlockReference ref = doc.modelSpace().insertBlock({100, 50, 0}, "LAMP");
  doc.modelSpace().addLine({-100, -100, 0}, {-50, -100, 0});
  cad::CadCommand cmd(session);
  then([&] { QTest::mouseClick(view(), Qt::LeftButton, {}, at(110, 50)); });
  auto picked = cmd.pickEntity("器具を選択 : ");
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->entity.handle(), ref.handle());
  EXPECT_NEAR(picked->point.x, 110, 0.5);
  then([&] { QTest::mouseClick(view(), Qt::LeftButton, {}, at(0, 200)); });
  EXPECT_FALSE(cmd.pickEntity("器具を選択 : ")) << "a miss picks nothing";
}

TEST_F(SimCadWindowTest, WindowAndCrossingDragsAndClicksSelectThroughTheFilter) {
  cad::Block box = doc.blocks().add({0, 0, 0}, "BOX");
  box.addLine({0, 0, 0}, {20, 0, 0});
  box.addLine({20, 0, 0}, {20, 20, 0});
  auto inside = doc.modelSpace().insertBlock({-150, 0, 0}, "BOX");
  auto straddling = doc.modelSpace().insertBlock({50, 0, 0}, "BOX");  // (50..70, 0..20)
  auto clicked = doc.modelSpace().insertBlock({0, -150, 0}, "BOX");
  auto outside = doc.modelSpace().insertBlock({150, 100, 0}, "BOX");
  doc.modelSpace().addLine({-140, 5, 0}, {-135, 5, 0});  // in the window, but no reference
  then([&] {
    // Left to right around the first: a window. Right to left over half the second: a crossing.
    QTest::mousePress(view(), Qt::LeftButton, {}, at(-160, 30));
    QTest::mouseMove(view(), at(-100, -10));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, at(-100, -10));
    QTest::mousePress(view(), Qt::LeftButton, {}, at(60, 30));
    QTest::mouseMove(view(), at(40, -10));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, at(40, -10));
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(20, -140));
    QTest::keyClick(view(), Qt::Key_Return);
  });
  cad::SelectionSet ss = doc.activeSelectionSet();
  ss.clear();
  ss.selectOnScreen({0}, {cad::Value("INSERT")});
  std::vector<std::string> got;
  for (int i = 0; i < ss.count(); ++i)
    got.push_back(ss.item(i).handle());
  std::sort(got.begin(), got.end());
  std::vector<std::string> want{inside.handle(), straddling.handle(), clicked.handle()};
  std::sort(want.begin(), want.end());
  EXPECT_EQ(got, want) << "not " << outside.handle() << " nor the line";
}

TEST_F(SimCadWindowTest, APasteFollowsTheCursorUntilAClickPlacesIt) {
  std::string ring = doc.modelSpace().addCircle({10, 10, 0}, 5).handle();
  doc.sendCommand("_COPYBASE\rnone\r10,10,0\rSINGLE LAST\r");
  doc.sendCommand("_ERASE SINGLE LAST\r");
  doc.sendCommand("_PASTECLIP\r");
  bool ghostShown = false;
  then([&] {
    QTest::mouseMove(view(), at(-60, 40));
    QImage before = view()->grab().toImage();
    // The ring drawn where the cursor is, not yet in the drawing.
    QPoint ringEdge = at(-55, 40);
    ghostShown = before.pixelColor(ringEdge) != before.pixelColor(at(-100, 100));
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(-60, 40));
  });
  cad::WaitCadIdle(app, session.CadProgId, cad.desktop());
  EXPECT_TRUE(ghostShown);
  ASSERT_EQ(cad.drawing().modelSpace().entities.size(), 1u);
  const auto* pasted = cad.drawing().findEntity(cad.drawing().modelSpace().entities[0]);
  EXPECT_NE(pasted->handle, ring);
  EXPECT_NEAR(pasted->p1.x, -60, 0.5);
  EXPECT_NEAR(pasted->p1.y, 40, 0.5);
  EXPECT_NE(window.transcriptBox()->toPlainText().indexOf("_PASTECLIP"), -1);
}

TEST_F(SimCadWindowTest, ADistanceIsTypedOrClickedTwiceAndEnterAloneGivesNoValue) {
  then([&] {
    QTest::keyClicks(window.inputLine(), "12.5");
    QTest::keyClick(window.inputLine(), Qt::Key_Return);
  });
  EXPECT_DOUBLE_EQ(doc.utility().getDistance("間隔 : "), 12.5);
  then([&] {
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(0, 0));
    // The second point is asked for next, with a rubber line from the first.
    QTimer::singleShot(0, [&] { QTest::mouseClick(view(), Qt::LeftButton, {}, at(30, 40)); });
  });
  EXPECT_NEAR(doc.utility().getDistance("間隔 : "), 50, 1);
  then([&] { QTest::keyClick(window.inputLine(), Qt::Key_Return); });
  try {
    doc.utility().getDistance("間隔 : ");
    ADD_FAILURE() << "Enter alone gives no value";
  } catch (const cad::AutomationError& e) {
    EXPECT_EQ(e.code(), cad::status::kUserInputKeyword);
  }
}

TEST_F(SimCadWindowTest, AMoveWithOrthoFollowsTheCursorAlongAnAxis) {
  cad.drawing().variables["ORTHOMODE"] = cad::Value::int16(1);
  std::string ring = doc.modelSpace().addCircle({0, 0, 0}, 5).handle();
  doc.sendCommand("_MOVE SINGLE LAST 0,0,0\r");
  bool alongX = false;
  then([&] {
    QTest::mouseMove(view(), at(80, 20));
    QImage shown = view()->grab().toImage();
    // The ring shown at (80, 0), not where the cursor is.
    alongX = shown.pixelColor(at(85, 0)) != shown.pixelColor(at(85, 20));
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(80, 20));
  });
  cad::WaitCadIdle(app, session.CadProgId, cad.desktop());
  EXPECT_TRUE(alongX);
  EXPECT_NEAR(cad.drawing().findEntity(ring)->p1.x, 80, 0.5);
  EXPECT_EQ(cad.drawing().findEntity(ring)->p1.y, 0);
}

// Coordinates typed in the input line are taken as typed, ortho or not; "@" counts from the base.
TEST_F(SimCadWindowTest, TypedCoordinatesAreTakenAsTypedWithOrthoOn) {
  cad.drawing().variables["ORTHOMODE"] = cad::Value::int16(1);
  std::string ring = doc.modelSpace().addCircle({0, 0, 0}, 5).handle();
  const struct {
    const char* typed;
    cad::Point3 to;
  } cases[] = {
      {"300,100", {300, 100, 0}}, {"@-20,30", {280, 130, 0}}, {" 1.5, -2 ,0", {1.5, -2, 0}}};
  for (const auto& c : cases) {
    cad::Point3 from = cad.drawing().findEntity(ring)->p1;
    doc.sendCommand("_MOVE SINGLE LAST " + std::to_string(from.x) + "," + std::to_string(from.y) +
                    ",0\r");
    then([&] {
      QTest::keyClicks(window.inputLine(), "1,2,3,4");  // no point: the request goes on
      QTest::keyClick(window.inputLine(), Qt::Key_Return);
      QTest::keyClicks(window.inputLine(), c.typed);
      QTest::keyClick(window.inputLine(), Qt::Key_Return);
    });
    cad::WaitCadIdle(app, session.CadProgId, cad.desktop());
    EXPECT_EQ(cad.drawing().findEntity(ring)->p1, c.to) << c.typed;
  }
  then([&] {
    QTest::keyClicks(window.inputLine(), "-7,8");
    QTest::keyClick(window.inputLine(), Qt::Key_Return);
  });
  EXPECT_EQ(doc.utility().getPoint("点 : "), (cad::Point3{-7, 8, 0}));
  // An attribute value typed at its prompt is what the attribute holds.
  cad::Block b = doc.blocks().add({0, 0, 0}, "TAGGED");
  b.addAttribute(5, 0, "p", {0, 0, 0}, "NAME", "dflt");
  cad.drawing().variables["ATTREQ"] = cad::Value::int16(1);
  doc.sendCommand("-INSERT\rTAGGED\rX 1 Y 1 R 0\r");
  then([&] {
    QTest::keyClicks(window.inputLine(), "100,50");
    QTest::keyClick(window.inputLine(), Qt::Key_Return);
    QTimer::singleShot(0, [&] {
      QTest::keyClicks(window.inputLine(), "MC7");
      QTest::keyClick(window.inputLine(), Qt::Key_Return);
    });
  });
  cad::WaitCadIdle(app, session.CadProgId, cad.desktop());
  const cad::sim::Entity& ref = *cad.drawing().findEntity(cad.drawing().lastEntity());
  EXPECT_EQ(ref.p1, (cad::Point3{100, 50, 0}));
  ASSERT_EQ(ref.attributes.size(), 1u);
  EXPECT_EQ(cad.drawing().findEntity(ref.attributes[0])->text, "MC7");
}

// The input line runs typed commands while nothing waits; the window answers what they ask.
TEST_F(SimCadWindowTest, TheCommandLineRunsTypedCommandsAndTheUndoKeysWalkThem) {
  std::string ring = doc.modelSpace().addCircle({0, 0, 0}, 5).handle();
  auto type = [&](const char* text) {
    QTest::keyClicks(window.inputLine(), text);
    QTest::keyClick(window.inputLine(), Qt::Key_Return);
  };
  auto centre = [&] { return cad.drawing().findEntity(ring)->p1; };
  type("MOVE L 0,0 40,0");
  EXPECT_EQ(centre(), (cad::Point3{40, 0, 0}));
  EXPECT_TRUE(window.inputLine()->text().isEmpty());
  // Enter alone repeats MOVE, which asks for the objects; Escape cancels it.
  bool asked = false;
  then([&] {
    asked = window.waiting() && window.promptLabel()->text() == "オブジェクトを選択:";
    QTest::keyClick(window.inputLine(), Qt::Key_Escape);
  });
  type("");
  EXPECT_TRUE(asked);
  EXPECT_TRUE(window.transcriptBox()->toPlainText().endsWith("*キャンセル*"));
  QTest::keyClick(window.inputLine(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(centre(), (cad::Point3{0, 0, 0}));
  QTest::keyClick(window.inputLine(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(centre(), (cad::Point3{40, 0, 0}));
  then([&] {
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(45, 0));
    QTest::keyClick(window.inputLine(), Qt::Key_Return);
  });
  type("ERASE");
  EXPECT_FALSE(cad.drawing().findEntity(ring));
  EXPECT_TRUE(window.transcriptBox()->toPlainText().contains(
      "コマンド: ERASE\nオブジェクトを選択: 1 個を検出"));
}

TEST_F(SimCadWindowTest, TheWheelZoomsAboutTheCursorAndTheTitleNamesTheDrawing) {
  EXPECT_EQ(window.windowTitle(), "QARN — Simulated CAD — Drawing1.dwg");
  QPoint cursor = at(40, -30);
  double before = view()->view().scale;
  QWheelEvent wheel(cursor, view()->mapToGlobal(cursor), {}, {0, 120}, Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(view(), &wheel);
  EXPECT_NEAR(view()->view().scale, before * 1.25, 1e-9);
  cad::Point3 under = view()->toDrawing(cursor);
  EXPECT_NEAR(under.x, 40, 0.5);
  EXPECT_NEAR(under.y, -30, 0.5);
  app.zoomCenter({500, 500, 0}, 100);
  EXPECT_NEAR(view()->toDrawing(QPointF(view()->width() / 2.0, view()->height() / 2.0)).x, 500,
              1e-6);
  EXPECT_NEAR(view()->view().scale, view()->height() / 100.0, 1e-9);
}

TEST_F(SimCadWindowTest, TheFileMenuOpensADxfAndSavesUnderANewName) {
  doc.modelSpace().addCircle({0, 0, 0}, 5);
  QString saved = file("盤図.dxf");
  window.askSavePath = [&] { return saved; };
  window.saveDrawingAs();
  EXPECT_EQ(window.windowTitle(), "QARN — Simulated CAD — 盤図.dxf");
  ASSERT_TRUE(QFile::exists(saved));
  window.askOpenPath = [&] { return saved; };
  window.openDrawing();
  EXPECT_EQ(cad.documentCount(), 1) << "the opened drawing takes the place of the one shown";
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 1u);
  // A file that is no drawing is refused with a message; nothing else opens.
  writeFile("not.dxf", "hello");
  window.askOpenPath = [&] { return file("not.dxf"); };
  auto message = app::testing::closeNextMessageBox();
  window.openDrawing();
  EXPECT_NE(message->indexOf("開けません"), -1) << message->toStdString();
  EXPECT_EQ(cad.documentCount(), 1);
}

// A changed drawing is asked about on every way out, and the answer decides: キャンセル keeps it,
// 保存しない lets it go, 保存 writes it (a file name asked, as it has none) and lets it go.
TEST_F(SimCadWindowTest, EveryWayOutOfAChangedDrawingAsksFirst) {
  cad::sim::SimCad().writeDxf(file("other.dxf").toStdString());
  window.askOpenPath = [&] { return file("other.dxf"); };
  bool quitStays = false;
  int letGo = 0;  // the drawings closed with the window
  window.drawingsClosing = [&] { ++letGo; };
  const std::map<std::string, std::function<void()>> ways = {
      {"new", [&] { window.newDrawing(); }},
      {"open", [&] { window.openDrawing(); }},
      {"close", [&] { window.close(); }},
      {"quit",
       [&] {
         auto main = makeWindow();
         main->mayClose = [&] { return window.close(); };
         main->show();
         main->close();
         quitStays = main->isVisible();
       }},
      {"typed NEW", [&] { cad.typeCommand("_NEW"); }},
      {"typed OPEN", [&] { cad.typeCommand("OPEN"); }},
      {"typed CLOSE", [&] { cad.typeCommand("CLOSE"); }},
  };
  for (const auto& [way, leave] : ways) {
    for (const char* answer : {"キャンセル", "保存しない", "保存"}) {
      SCOPED_TRACE(way + " " + answer);
      cad.newInPlace();
      window.show();
      app.activeDocument().modelSpace().addCircle({0, 0, 0}, 5);
      QStringList asked;
      window.askSaveChanges = [&](const QString& drawing) {
        asked << drawing;
        return QString(answer);
      };
      QString saved = file(QString::fromStdString(way) + answer + ".dxf");
      window.askSavePath = [&] { return saved; };
      QString name = QString::fromStdString(cad.documentName());
      const int letGoBefore = letGo;
      leave();
      EXPECT_EQ(asked, QStringList{name});
      bool kept = std::string(answer) == "キャンセル";
      EXPECT_EQ(cad.drawing().modelSpace().entities.size(), kept ? 1u : 0u);
      EXPECT_EQ(QFile::exists(saved), std::string(answer) == "保存");
      if (way == "close" || way == "quit") {
        EXPECT_EQ(window.isVisible(), kept);
        EXPECT_EQ(letGo - letGoBefore, kept ? 0 : 1);
      }
      if (way == "quit") {
        EXPECT_EQ(quitStays, kept);
      }
    }
  }
}

// The settings file gives new drawings their DIMSCALE and the File menu its recent drawings, and
// each drawing opened or saved goes back to it first.
TEST_F(SimCadWindowTest, TheSettingsFileGivesDimscaleAndRecentFiles) {
  writeFile("q.ini", "[SimCad]\nDIMSCALE=25\nRecent1=/old/a.dxf\n");
  app::connectSimCadSettings(cad, window, file("q.ini").toStdString());
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 25);
  EXPECT_EQ(cad.drawing().variables.at("OSMODE").toInt(), 4133);  // endpoint, centre, intersection
  EXPECT_EQ(window.recentFiles(), QStringList{"/old/a.dxf"});
  // A DIMSCALE typed at the window goes back to the file and into the next new drawing.
  cad.typeCommand("DIMSCALE 30");
  EXPECT_EQ(app::readSimCadSettings(file("q.ini").toStdString()).dimscale, 30);
  cad.typeCommand("DIMSCALE 25");
  window.askSavePath = [&] { return file("b.dxf"); };
  window.saveDrawingAs();
  EXPECT_EQ(app::readSimCadSettings(file("q.ini").toStdString()).recentFiles,
            (std::vector<std::string>{file("b.dxf").toStdString(), "/old/a.dxf"}));
  window.newDrawing();
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 25);
  // A recent drawing opened from the menu asks about the changed one first.
  app.activeDocument().modelSpace().addCircle({0, 0, 0}, 5);
  int asked = 0;
  window.askSaveChanges = [&](const QString&) { return ++asked, QString("保存しない"); };
  window.openRecent(window.recentFiles().front());
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(cad.documentPath(), file("b.dxf").toStdString());
  EXPECT_EQ(cad.drawing().variables.at("OSMODE").toInt(), 4133) << "snaps kept in an opened one";
}

// Blocks holding blocks ten times over, nine levels deep: drawn up to the budget, and the window
// says what it left out; a drawing that fits says nothing.
TEST_F(SimCadWindowTest, ADrawingTooLargeToShowSaysWhatWasLeftOut) {
  window.askOpenPath = [] {
    return QString(QARN_SOURCE_DIR "/tests/fuzz/seeds/nested-blocks-ten-by-nine.dxf");
  };
  window.openDrawing();
  QCoreApplication::processEvents();
  EXPECT_TRUE(window.omittedLabel()->isVisible());
  EXPECT_EQ(window.omittedLabel()->text(),
            "表示の上限 (1,000,000) を超えたため、図形 1 個の線分・文字 1,999,000,000 "
            "個を表示していません。");
  EXPECT_EQ(view()->displayList().lineCount(), cad::sim::kDisplayBudget);
  window.askOpenPath = [] {
    return QString(QARN_SOURCE_DIR "/tests/fuzz/seeds/block-inserts-itself.dxf");
  };
  window.openDrawing();
  QCoreApplication::processEvents();
  EXPECT_FALSE(window.omittedLabel()->isVisible());
}

// Saving over the opened drawing of another program asks first, naming what the file holds that
// the saved one cannot; Cancel leaves the file as it was. Its text is kept either way.
TEST_F(SimCadWindowTest, SavingOverAnOpenedDrawingNamesWhatIsLostAndCanBeCancelled) {
  QByteArray original =
      "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n9\n$LIMMAX\n10\n9\n"
      "20\n9\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nTEXT\n5\n2A\n8\n0\n10\n1\n"
      "20\n2\n40\n2.5\n1\n注記\n0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n0\n"
      "LAYOUT\n5\n2B\n0\nENDSEC\n0\nEOF\n";
  writeFile("other.dxf", original);
  window.askOpenPath = [&] { return file("other.dxf"); };
  window.openDrawing();
  window.askSavePath = [&] { return file("other.dxf"); };
  QString asked;
  app::testing::onNextModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    asked = box->text();
    box->button(QMessageBox::Cancel)->click();
  });
  window.saveDrawingAs();
  EXPECT_NE(asked.indexOf("other.dxf"), -1) << asked.toStdString();
  EXPECT_NE(asked.indexOf("OBJECTS: LAYOUT 1"), -1) << asked.toStdString();
  EXPECT_NE(asked.indexOf("HEADER: 2"), -1) << asked.toStdString();
  EXPECT_EQ(readFile("other.dxf"), original);

  int questions = 0;
  window.confirmLoss = [&](const QString&) { return ++questions > 0; };
  window.saveDrawingAs();
  EXPECT_EQ(questions, 1);
  EXPECT_NE(readFile("other.dxf"), original);
  EXPECT_NE(readFile("other.dxf").indexOf("\\U+6CE8\\U+8A18"), -1) << "the text is kept";
  window.saveDrawingAs();  // nothing more to lose
  EXPECT_EQ(questions, 1);
}

// The whole way: the enclosure chosen in QARN's window, its base point clicked in the drawing.
// While the CAD waits, a click on QARN's own window does not start a second command.
TEST_F(SimCadWindowTest, AnEnclosureIsDrawnWhereItsBasePointIsClicked) {
  copySampleData();
  auto w = std::make_unique<app::TForm2>(paths, &cad.desktop());
  cad.registerAs(w->CadProgId());
  w->show();
  w->StringGrid6->setCurrentCell(2, 2);
  w->StringGrid6Click();
  view()->zoomCenter({1000, 2000, 0}, view()->height() * 2.0);
  long callsWhileWaiting = -1;
  then([&] {
    long before = cad.callCount();
    QTest::mouseClick(w->Button12, Qt::LeftButton);
    callsWhileWaiting = cad.callCount() - before;
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(1000, 2000));
  });
  QTest::mouseClick(w->Button12, Qt::LeftButton);
  EXPECT_EQ(callsWhileWaiting, 0);
  ASSERT_EQ(cad.drawing().modelSpace().entities.size(), 18u);
  const auto* outline = cad.drawing().findEntity(cad.drawing().modelSpace().entities[0]);
  EXPECT_NEAR(outline->vertices[2].x, 1450, 1) << "as with the point 1000,2000 given";
  EXPECT_FALSE(w->isMinimized()) << "QARN's window is back";
  EXPECT_NE(window.windowTitle().indexOf("Drawing1"), -1);
}

// The person at the window reads Japanese: the prompt while a command waits, the CAD's own
// messages (without the command prompt before them), numbers as a CAD shows them, and the
// buttons and labels of its boxes and file dialogs.
TEST_F(SimCadWindowTest, ItSpeaksJapanese) {
  cad::Layer locked = doc.layers().add("LOCKED");
  doc.modelSpace().addCircle({0, 0, 0}, 5);
  doc.sendCommand("_COPYBASE\rnone\r0,0,0\rSINGLE LAST\r");
  doc.sendCommand("_PASTECLIP\r");
  QString shown;
  then([&] {
    shown = window.promptLabel()->text();
    QTest::mouseClick(view(), Qt::LeftButton, {}, at(20, 0));
  });
  cad::WaitCadIdle(app, session.CadProgId, cad.desktop());
  EXPECT_EQ(shown, "挿入位置を指定:");
  doc.sendCommand("_MOVE SINGLE LAST 279.88750000000005,0,0\r");
  then([&] {
    shown = window.promptLabel()->text();
    QTest::keyClick(view(), Qt::Key_Escape);
  });
  cad::WaitCadIdle(app, session.CadProgId, cad.desktop());
  EXPECT_EQ(shown, "目的点を指定 または <1 点目を移動距離として使用>:");
  locked.setLock(true);
  doc.modelSpace().addCircle({9, 9, 0}, 1).setLayer("LOCKED");
  doc.sendCommand("_ERASE SINGLE LAST\r");
  QStringList lines = window.transcriptBox()->toPlainText().split('\n');
  ASSERT_GE(lines.size(), 2);
  EXPECT_EQ(lines[lines.size() - 2], "コマンド: _ERASE SINGLE LAST ⏎ ");
  EXPECT_EQ(lines.back(), "1 個はロックされた画層上にあります");
  EXPECT_TRUE(lines.contains("コマンド: _MOVE SINGLE LAST 279.8875,0,0 ⏎ "));

  QMessageBox box(QMessageBox::Question, "TOVEK.exe", "?", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "はい(&Y)");
  EXPECT_EQ(box.button(QMessageBox::No)->text(), "いいえ(&N)");
  QFileDialog open(&window, "図面を開く", QString(), "DXF (*.dxf)");
  open.setOption(QFileDialog::DontUseNativeDialog);
  EXPECT_EQ(open.labelText(QFileDialog::LookIn), "ファイルの場所:");
  EXPECT_EQ(open.labelText(QFileDialog::FileName), "ファイル名(&N):");
  EXPECT_EQ(open.labelText(QFileDialog::FileType), "ファイルの種類:");
  EXPECT_EQ(open.labelText(QFileDialog::Accept), "開く(&O)");
  EXPECT_EQ(open.labelText(QFileDialog::Reject), "キャンセル");
}

}  // namespace
}  // namespace qarn::simview
