#include <QGridLayout>
#include <QRadioButton>

#include "../app/gui_fixture.h"
#include "cad/sim/sim_cad.h"
#include "cad/text_file.h"

namespace qarn::app {
namespace {

class FramesPage : public testing::GuiTest {
 protected:
  FramesPage() {
    writeFile("TOVEK.txt",
              QByteArray::fromStdString(cad::encodeText(
                  "リレー\tMY4N\tAC200V 4c\tオムロン\t\t28\t36\t60\t\t\t\tAUX\t\tCUT1\r\n"
                  "端子台\tTB-15\t15A\t春日\t\t10\t40\t30\t\t\t4.5\r\n",
                  cad::TextEncoding::ShiftJis)));
    w = std::make_unique<TForm2>(paths, &sim.desktop());
    sim.registerAs(w->CadProgId());
    w->Edit1Change();  // the grid filled as the page shows it
  }
  void chooseRow(int row) {
    w->StringGrid1->setCurrentCell(2, row);
    w->StringGrid1Click();
  }
  const cad::sim::Entity& newestFrame() {
    return *sim.drawing().findEntity(sim.drawing().lastEntity());
  }
  cad::sim::SimCad sim;
  std::unique_ptr<TForm2> w;
};

TEST_F(FramesPage, TheTabShowsTheBasePointsAsAThreeByThreeGrid) {
  EXPECT_TRUE(w->PageControl1->isTabVisible(0));
  EXPECT_EQ(w->Button1->text(), "正面");
  EXPECT_EQ(w->RadioGroup1->title(), "正面基点");
  auto* grid = qobject_cast<QGridLayout*>(w->RadioGroup1->layout());
  ASSERT_TRUE(grid);
  // Row by row as the user sees them: left, centre and right columns.
  QStringList seen;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      seen << qobject_cast<QRadioButton*>(grid->itemAtPosition(r, c)->widget())->text();
  EXPECT_EQ(seen,
            (QStringList{"左上", "中上", "右上", "左中", "中中", "右中", "左下", "中下", "右下"}));
  EXPECT_EQ(w->RadioGroup1ItemIndex(), 1);
  EXPECT_EQ(w->Edit49->text(), "0");
  EXPECT_FALSE(w->Edit49->isEnabled());
}

TEST_F(FramesPage, TheOffsetFieldFollowsTheBoxAndTheColumn) {
  w->CheckBox8->click();
  EXPECT_TRUE(w->Edit49->isEnabled()) << "item 1 lies in the left column";
  w->RadioGroup1Items->button(4)->click();
  EXPECT_FALSE(w->Edit49->isEnabled()) << "centre";
  w->RadioGroup1Items->button(8)->click();
  EXPECT_TRUE(w->Edit49->isEnabled());
  w->CheckBox8->click();
  EXPECT_FALSE(w->Edit49->isEnabled());
}

TEST_F(FramesPage, FrontPlacesTheChosenRowAndCountsTheNumberOn) {
  chooseRow(1);
  EXPECT_EQ(w->Edit2->text(), "MY4N");
  w->Edit2->setText("typed by the user");
  w->Edit6->setText("x9");
  EXPECT_EQ(w->Edit6->text(), "X9");
  w->RadioGroup1Items->button(8)->click();
  w->CheckBox8->click();
  w->Edit49->setText("10");
  sim.operatorPoint(200, 100);
  w->Button1->click();
  EXPECT_EQ(w->Edit2->text(), "MY4N");
  EXPECT_EQ(w->Edit6->text(), "X10");
  const auto& frame = newestFrame();
  EXPECT_EQ(frame.blockName, "TOVEK_RA100");
  EXPECT_EQ(frame.p1, (cad::Point3{200 - 10 - 14, 100 + 18, 0}));
  EXPECT_EQ(sim.drawing().findEntity(frame.attributes[0])->text, "X9");

  // The terminal-block row: its mode goes on, and a row of three is not made with it.
  chooseRow(2);
  EXPECT_TRUE(w->CheckBox1->isChecked());
  EXPECT_EQ(w->Edit2->text(), "TB-15 x 4P");
  w->Edit8->setText("12");
  sim.operatorPoint(0, 0);
  w->Button1->click();
  EXPECT_EQ(w->Edit2->text(), "TB-15 x 12P");
  EXPECT_DOUBLE_EQ(newestFrame().xScale, 1.29);
  EXPECT_EQ(w->Edit6->text(), "X11");

  // Array mode turns the terminal mode off and places the row.
  w->CheckBox2->click();
  EXPECT_FALSE(w->CheckBox1->isChecked());
  w->Edit10->setText("3");
  sim.operatorPoint(0, 0);
  w->Button1->click();
  EXPECT_EQ(w->Edit6->text(), "X14");
}

// A device number pasted with its line break is placed without it; one with a line break
// inside is refused, naming the field, and nothing is drawn.
TEST_F(FramesPage, ALineBreakInADeviceNumberIsDroppedAtTheEndAndRefusedInside) {
  chooseRow(1);
  w->Edit6->setText("MC1\r\n");
  sim.operatorPoint(0, 0);
  w->Button1->click();
  EXPECT_EQ(sim.drawing().findEntity(newestFrame().attributes[0])->text, "MC1");
  EXPECT_EQ(w->Edit6->text(), "MC2");
  std::size_t drawn = sim.drawing().modelSpace().entities.size();
  for (const char* typed : {"MC\n3", "MC3\n\n", "MC\t3"}) {
    w->Edit6->setText(typed);
    auto said = testing::closeNextMessageBox();
    w->Button1->click();
    EXPECT_TRUE(said->contains("「器具番号」")) << said->toStdString();
    EXPECT_EQ(sim.drawing().modelSpace().entities.size(), drawn) << typed;
  }
}

TEST_F(FramesPage, ALockedFrameLayerIsToldInAMessageBox) {
  chooseRow(1);
  cad::Document doc = cad::attachCad(w->CadProgId()).activeDocument();
  doc.layers().add("TOVEK_FRONT").setLock(true);
  w->Edit6->setText("K1");
  auto said = testing::closeNextMessageBox();
  w->Button1->click();
  EXPECT_TRUE(said->startsWith("TOVEK.exe|画層「TOVEK_FRONT」がロックされている"))
      << said->toStdString();
  EXPECT_EQ(w->Edit6->text(), "K1") << "nothing placed, nothing counted";
  EXPECT_TRUE(sim.drawing().modelSpace().entities.empty());
}

TEST_F(FramesPage, TheSideHoleAndPartitionButtonsWorkOnAPickedFrame) {
  chooseRow(1);  // MY4N: 28 x 36 x 60, CUT1 is no hole code
  w->Edit6->setText("K1");
  sim.operatorPoint(0, 0);
  w->Button1->click();
  std::string frame = sim.drawing().lastEntity();
  EXPECT_TRUE(w->Button2->isEnabled()) << "the row has a depth";
  // Both side buttons run the same command.
  for (QPushButton* side : {w->Button2, w->Button8}) {
    std::size_t before = sim.drawing().modelSpace().entities.size();
    sim.operatorPick(frame);
    sim.operatorPoint(100, 0);
    side->click();
    EXPECT_EQ(sim.drawing().modelSpace().entities.size(), before + 1)
        << side->objectName().toStdString();
    EXPECT_EQ(newestFrame().layer, "TOVEK_SIDE");
  }
  sim.operatorPick(frame);
  auto said = testing::closeNextMessageBox();
  w->Button10->click();
  EXPECT_EQ(*said, "TOVEK.exe|取付孔データがありません．");
  EXPECT_EQ(w->Button10->text(), "取付孔");
  EXPECT_EQ(w->Button22->text(), "TB仕切り作成");
  sim.operatorPick(frame);
  std::size_t before = sim.drawing().modelSpace().entities.size();
  w->Button22->click();
  EXPECT_EQ(sim.drawing().modelSpace().entities.size(), before + 4) << "one pole of 28: two edges";
}

}  // namespace
}  // namespace qarn::app
