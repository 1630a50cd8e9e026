#include "../app/gui_fixture.h"
#include "cad/sim/sim_cad.h"

#include <QFile>
#include <QKeyEvent>

namespace qarn::app {
namespace {

class BoxPage : public testing::GuiTest {
 protected:
  BoxPage() { copySampleData(); }
  QStringList column(StringGrid* g, int col) {
    QStringList out;
    for (int r = 1; r < g->rowCount(); ++r)
      out << g->cell(col, r);
    return out;
  }
};

TEST_F(BoxPage, StartsWithTheRaListAndTheFirstRowCopied) {
  auto w = makeWindow();
  StringGrid* g = w->StringGrid6;
  EXPECT_EQ(w->ComboBox1->currentText(), "RA");
  EXPECT_EQ(g->cell(1, 0), "型番");
  EXPECT_EQ(g->cell(11, 0), "価格");
  EXPECT_EQ(column(g, 0), (QStringList{"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(g->cell(11, 1), "9800") << "thousands separators removed";
  EXPECT_EQ(w->Edit32->text(), "RA12-3530");
  EXPECT_EQ(w->Edit34->text(), "350");
  EXPECT_EQ(w->Edit39->text(), "120");
  EXPECT_TRUE(w->Edit32->isReadOnly());
  EXPECT_TRUE(w->Edit34->isHidden());
}

TEST_F(BoxPage, FiltersKeepFileNumbersAndClickCopiesTheRow) {
  auto w = makeWindow();
  StringGrid* g = w->StringGrid6;
  w->Edit41->setText("8");
  EXPECT_EQ(column(g, 0), (QStringList{"4"}));
  w->Edit41->clear();
  w->CheckBox3->click();
  EXPECT_EQ(column(g, 0), (QStringList{"5", "6"}));
  g->setCurrentCell(2, 2);
  w->StringGrid6Click();
  EXPECT_EQ(w->Edit32->text(), "RA14-1012");
  EXPECT_EQ(w->Edit33->text(), "両扉");
  w->Edit40->setText("9");
  EXPECT_EQ(g->rowCount(), 2) << "nothing passes: one empty row";
  EXPECT_EQ(g->cell(1, 1), "");
  EXPECT_EQ(w->Edit32->text(), "");
}

TEST_F(BoxPage, FamiliesWithoutDoorsDisableTheDoubleDoorSwitch) {
  auto w = makeWindow();
  w->CheckBox3->setChecked(true);
  w->ComboBox1->setCurrentText("CL");
  EXPECT_FALSE(w->CheckBox3->isEnabled());
  EXPECT_FALSE(w->CheckBox3->isChecked());
  EXPECT_EQ(w->StringGrid6->cell(2, 0), "ヨコ");
  EXPECT_EQ(w->Edit33->text(), "");
  w->ComboBox1->setCurrentText("RA");
  EXPECT_TRUE(w->CheckBox3->isEnabled());
  EXPECT_FALSE(w->CheckBox3->isChecked());
}

TEST_F(BoxPage, OrmRowsFillTheWindowFields) {
  auto w = makeWindow();
  w->ComboBox1->setCurrentText("ORM");
  EXPECT_EQ(w->Edit43->text(), "250");
  EXPECT_EQ(w->Edit44->text(), "145");
  w->ComboBox1->setCurrentText("OR");
  EXPECT_EQ(w->Edit43->text(), "");
  EXPECT_EQ(w->Edit38->text(), "440");
}

TEST_F(BoxPage, AMissingCatalogueKeepsTheRowsAndShowsTheNewHeader) {
  QFile::remove(file("BOX_E.txt"));
  auto w = makeWindow();
  w->ComboBox1->setCurrentText("E");
  EXPECT_EQ(w->StringGrid6->cell(6, 0), "外形タテ");
  EXPECT_EQ(w->StringGrid6->cell(1, 1), "RA12-3530");
}

TEST_F(BoxPage, EnterMovesThroughTheFilters) {
  auto w = makeWindow();
  w->show();
  w->activateWindow();
  w->Edit40->setFocus();
  emit w->Edit40->returnPressed();
  EXPECT_EQ(w->focusWidget(), w->Edit41);
  emit w->Edit41->returnPressed();
  EXPECT_EQ(w->focusWidget(), w->Edit42);
}

TEST_F(BoxPage, CreateDrawsTheChosenEnclosureInTheCad) {
  cad::sim::SimCad sim;
  auto w = std::make_unique<TForm2>(paths, &sim.desktop());
  sim.registerAs(w->CadProgId());
  w->StringGrid6->setCurrentCell(2, 2);
  w->StringGrid6Click();
  sim.operatorPoint(1000, 2000);
  w->Button12->click();
  EXPECT_EQ(sim.drawing().modelSpace().entities.size(), 18u);
  EXPECT_EQ(sim.drawing().findEntity(sim.drawing().modelSpace().entities[0])->vertices[2].x, 1450);
  // A CAD that is gone: nothing happens and nothing is said.
  sim.unregister();
  w->Button12->click();
  EXPECT_EQ(sim.drawing().modelSpace().entities.size(), 18u);
}

}  // namespace
}  // namespace qarn::app

namespace qarn::app {
namespace {

// The arrow keys move the current row, and the fields the drawing command reads follow it, so
// that "作成" draws the enclosure the user sees chosen.
TEST_F(BoxPage, TheFieldsFollowTheCurrentRowMovedByTheKeyboard) {
  auto w = makeWindow();
  w->StringGrid6->setCurrentCell(1, 1);
  w->StringGrid6Click();
  std::string first = w->Edit32->text().toStdString();
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(w->StringGrid6, &down);
  EXPECT_EQ(w->StringGrid6->currentRow(), 2);
  EXPECT_EQ(w->Edit32->text(), w->StringGrid6->cell(1, 2));
  EXPECT_NE(w->Edit32->text().toStdString(), first);
}

}  // namespace
}  // namespace qarn::app
