#include "../app/gui_fixture.h"
#include "cad/sim/sim_cad.h"

namespace qarn::app {
namespace {

class PanelPage : public testing::GuiTest {
 protected:
  PanelPage() {
    writeFile("TPBPL.txt",
              "\xEF\xBB\xBF押釦\tPB-22\t赤\tF\t\t22\t22\t50\t\t\t0\t停止\t\tC:22\r\n"
              "調節計\tE5 CC\t48角\tO\t\t96\t48\t60\t\t\t4\t\t\tR:92X45\r\n");
    w = std::make_unique<TForm2>(paths, &sim.desktop());
    sim.registerAs(w->CadProgId());
    w->Edit13Change();
  }
  void chooseRow(int row) {
    w->StringGrid4->setCurrentCell(2, row);
    w->StringGrid4Click();
  }
  QRgb pixel(int x, int y) const { return w->Image1->pixmap().toImage().pixel(x, y); }
  cad::sim::SimCad sim;
  std::unique_ptr<TForm2> w;
};

TEST_F(PanelPage, TheRowChoiceDrawsThePictureAndTheNameplateFollowsTheTick) {
  chooseRow(1);  // sorted: 押釦 first
  EXPECT_EQ(w->Edit17->text(), "0");
  EXPECT_EQ(pixel(40, 22), qRgb(255, 255, 255)) << "the plate's top edge";
  EXPECT_EQ(pixel(5, 54), qRgb(128, 128, 128)) << "the centre cross";
  EXPECT_EQ(pixel(5, 5), qRgb(0, 0, 0));
  w->CheckBox5->click();
  EXPECT_EQ(pixel(40, 22), qRgb(0, 0, 0)) << "no plate without the tick";
  chooseRow(2);
  EXPECT_EQ(pixel(40, 30), qRgb(255, 255, 255)) << "the rectangle's top edge";
}

TEST_F(PanelPage, CreatePlacesTheDeviceAndCountsTheNumberOn) {
  chooseRow(1);
  w->Edit18->setText("pb1");
  EXPECT_EQ(w->Edit18->text(), "PB1");
  w->CheckBox6->click();
  EXPECT_TRUE(w->Edit21->isEnabled());
  w->Edit21->setText("3");
  sim.operatorPoint(100, 100);
  w->Button6->click();
  EXPECT_EQ(w->Edit18->text(), "PB4");
  EXPECT_EQ(sim.drawing().modelSpace().entities.size(), 3u);
  EXPECT_TRUE(sim.drawing().findBlock("TOVEKPB122NP"));

  chooseRow(2);  // the controller with a blank in its model
  w->Edit16->setText("0");
  auto said = testing::closeNextMessageBox();
  w->Button6->click();
  EXPECT_EQ(*said, "TOVEK.exe|寸法 H がありません．機器を作成できません．");
}

}  // namespace
}  // namespace qarn::app
