#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "../app/gui_fixture.h"
#include "cad/sim/sim_cad.h"
#include "frames/frame_block.h"

namespace qarn::app {
namespace {

class InspectPages : public testing::GuiTest {
 protected:
  InspectPages() {
    w = std::make_unique<TForm2>(paths, &sim.desktop());
    sim.registerAs(w->CadProgId());
    app = cad::attachCad(w->CadProgId());
    doc = app.activeDocument();
  }
  std::string frame(double x, const std::string& name, const std::string& type) {
    frames::EnsureFrameBlock(doc, "TOVEK_RA100", w->CadProgId());
    if (!sim.drawing().findLayer("TOVEK_FRONT")) doc.layers().add("TOVEK_FRONT");
    cad::BlockReference r = doc.modelSpace().insertBlock({x, 0, 0}, "TOVEK_RA100");
    r.setLayer("TOVEK_FRONT");
    for (const cad::Attribute& a : r.getAttributes()) {
      if (a.tagString() == "NAME") a.setTextString(name);
      if (a.tagString() == "TYPE") a.setTextString(type);
    }
    return r.handle();
  }
  std::string text(const std::string& ref, const std::string& tag) {
    for (const auto& h : sim.drawing().findEntity(ref)->attributes)
      if (sim.drawing().findEntity(h)->tag == tag) return sim.drawing().findEntity(h)->text;
    return "(none)";
  }
  void key(QWidget* target, int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, k, mods);
    QApplication::sendEvent(target, &e);
  }
  cad::sim::SimCad sim;
  std::unique_ptr<TForm2> w;
  cad::Application app;
  cad::Document doc;
};

TEST_F(InspectPages, GetFillsTheGridEnablesUpdateAndShadesCellsWithoutAttributes) {
  EXPECT_TRUE(w->PageControl1->isTabVisible(2));
  EXPECT_FALSE(w->Button4->isEnabled());
  EXPECT_TRUE(w->CheckBox4->isChecked());
  EXPECT_TRUE(w->CheckBox9->isChecked());
  EXPECT_EQ(w->Edit45->text(), "1");
  std::string a = frame(0, "MC1", "S-T10"), b = frame(100, "MC2", "S-T12");
  sim.operatorSelect({b, a});
  w->Button3Click();
  EXPECT_TRUE(w->Button4->isEnabled());
  EXPECT_EQ(w->StringGrid2->rowCount(), 3);
  EXPECT_EQ(w->StringGrid2->cell(1, 1), "MC1");
  EXPECT_EQ(w->StringGrid2->cell(0, 1), "2");
  EXPECT_EQ(w->StringGrid2->cell(3, 2), "S-T12");

  // NAME1 has no attribute: its cell is painted silver, the NAME cell is not.
  w->resize(800, 400);
  w->PageControl1->setCurrentIndex(2);
  w->show();
  QApplication::processEvents();
  QImage img = w->StringGrid2->viewport()->grab().toImage();
  QRect name1 = w->StringGrid2->visualRect(w->StringGrid2->gridModel()->index(0, 2));
  QRect name = w->StringGrid2->visualRect(w->StringGrid2->gridModel()->index(0, 1));
  EXPECT_EQ(img.pixelColor(name1.center()), QColor(192, 192, 192));
  EXPECT_NE(img.pixelColor(name.left() + 2, name.top() + 1), QColor(192, 192, 192));
  w->hide();

  // Enter writes the current cell and moves down.
  w->StringGrid2->setCell(3, 1, "NEW");
  w->StringGrid2->setCurrentCell(3, 1);
  w->StringGrid2KeyPress(QChar(13));
  EXPECT_EQ(text(a, "TYPE"), "NEW");
  EXPECT_EQ(w->StringGrid2->currentRow(), 2);
  // Without "[Enter] で更新" the cell is not written, and the cursor still moves.
  w->CheckBox4->setChecked(false);
  w->StringGrid2->setCell(3, 2, "NOT");
  w->StringGrid2KeyPress(QChar(13));
  EXPECT_EQ(text(b, "TYPE"), "S-T12");
  EXPECT_EQ(w->StringGrid2->currentRow(), 1);
  // "更新" writes the whole grid.
  w->Button4Click();
  EXPECT_EQ(text(b, "TYPE"), "NOT");
}

TEST_F(InspectPages, AddReplaceAndTheClipboardKeysWorkOnTheSelectedCells) {
  std::string a = frame(0, "CR-12A", "AA"), b = frame(100, "CR-3", "AB");
  sim.operatorSelect({a, b});
  w->Button3Click();
  w->StringGrid2->setCurrentCell(1, 1);
  auto* sel = w->StringGrid2->selectionModel();
  auto* m = w->StringGrid2->gridModel();
  sel->select(QItemSelection(m->index(0, 1), m->index(1, 3)), QItemSelectionModel::ClearAndSelect);
  w->SpeedButton5Click();
  EXPECT_EQ(w->StringGrid2->cell(1, 1), "CR-13A");
  EXPECT_EQ(w->StringGrid2->cell(1, 2), "CR-4");
  w->Edit46->setText("A");
  w->Edit47->setText("Z");
  w->SpeedButton6Click();
  EXPECT_EQ(w->StringGrid2->cell(1, 1), "CR-13Z");
  EXPECT_EQ(w->StringGrid2->cell(3, 1), "ZA");
  EXPECT_EQ(w->StringGrid2->cell(3, 2), "ZB");
  EXPECT_EQ(text(a, "TYPE"), "AA") << "only the grid changes";

  key(w->StringGrid2, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "CR-13Z\t\tZA\r\nCR-4\t\tZB\r\n");
  QApplication::clipboard()->setText("P\tQ\r\n");
  key(w->StringGrid2, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(w->StringGrid2->cell(1, 2), "P");
  EXPECT_EQ(w->StringGrid2->cell(2, 2), "Q");
  key(w->StringGrid2, Qt::Key_Delete);
  EXPECT_EQ(w->StringGrid2->cell(3, 1), "");
  EXPECT_EQ(w->StringGrid2->cell(10, 1).isEmpty(), false) << "handles stay";
}

TEST_F(InspectPages, SummaryGetAndCsvSave) {
  EXPECT_EQ(w->PageControl1->tabText(3), " 集計");
  std::string a = frame(0, "MC1", "S-T10"), b = frame(100, "MC2", "S-T10");
  sim.operatorSelect({a, b});
  w->Button5Click();
  EXPECT_EQ(w->StringGrid3->rowCount(), 2);
  EXPECT_EQ(w->StringGrid3->cell(4, 1), "2");
  QString path = file("部品表.csv");
  w->askCsvPath = [&] { return path; };
  w->Button29Click();
  EXPECT_EQ(readFile("部品表.csv").toStdString(),
            "\xEF\xBB\xBFNo,TYPE,SPEC,AUX1,個数\r\n1,S-T10,,,2\r\n");
  // A cancelled dialog writes nothing.
  w->askCsvPath = [] { return QString(); };
  QFile::remove(path);
  w->Button29Click();
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(InspectPages, TheLayerPageFillsOnShowingAndAClickSwitchesTheLayer) {
  doc.layers().add("TOVEK_NAME");
  EXPECT_EQ(w->StringGrid5->cell(0, 5), "TOVEK_NAME");
  EXPECT_EQ(w->StringGrid5->cell(1, 5), "器具番号");
  EXPECT_EQ(w->StringGrid5->cell(2, 5), "");
  w->PageControl1->setCurrentIndex(4);
  EXPECT_EQ(w->StringGrid5->cell(2, 5), "ON");
  EXPECT_EQ(w->StringGrid5->cell(2, 1), "") << "TOVEK_FRONT is missing";
  w->StringGrid5MouseDown(2, 5);
  EXPECT_EQ(w->StringGrid5->cell(2, 5), "OFF");
  EXPECT_FALSE(sim.drawing().findLayer("TOVEK_NAME")->on);
  // "再取得" reads the drawing again.
  sim.drawing().findLayer("TOVEK_NAME")->on = true;
  w->Button20->click();
  EXPECT_EQ(w->StringGrid5->cell(2, 5), "ON");
}

// Typed as a person types: F2 opens the cell editor, the text goes into the editor widget, and
// Enter ends it. The typed text reaches the drawing, stays in the cell, and the cursor moves down
// one row (or stays with "[Enter]で下へ↓" cleared).
TEST_F(InspectPages, EnterInTheCellEditorCommitsWritesAndMovesDownOnce) {
  std::string a = frame(0, "MC1", "S-T10"), b = frame(100, "MC2", "S-T12"),
              c = frame(200, "MC3", "S-T14");
  sim.operatorSelect({a, b, c});
  w->Button3Click();
  w->PageControl1->setCurrentIndex(2);
  w->show();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  struct Case {
    bool moveDown;
    int key;
    const char* typed;
    int row, rowAfter;
    std::string* ref;
  } cases[] = {
      {true, Qt::Key_Return, "MC7", 2, 3, &b},
      {true, Qt::Key_Enter, "MC8", 3, 1, &c},  // the last row goes on to the first
      {false, Qt::Key_Return, "MC9", 1, 1, &a},
  };
  for (const Case& k : cases) {
    w->CheckBox9->setChecked(k.moveDown);
    w->StringGrid2->setCurrentCell(1, k.row);
    w->StringGrid2->setFocus();
    QTest::keyClick(w->StringGrid2, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr) << "the cell editor is open";
    editor->selectAll();
    QTest::keyClicks(editor, k.typed);
    QTest::keyClick(editor, static_cast<Qt::Key>(k.key));
    QApplication::processEvents();
    EXPECT_EQ(text(*k.ref, "NAME"), k.typed);
    EXPECT_EQ(w->StringGrid2->cell(1, k.row).toStdString(), k.typed);
    EXPECT_EQ(w->StringGrid2->currentRow(), k.rowAfter) << k.typed;
  }
}

}  // namespace
}  // namespace qarn::app
