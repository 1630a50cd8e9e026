#include "../app/gui_fixture.h"
#include "cad/sim/sim_cad.h"
#include "frames/device_layers.h"

namespace qarn::app {
namespace {

class PlatePage : public testing::GuiTest {
 protected:
  PlatePage() {
    copySampleData();
    for (const char* name : {"TOVEK.txt", "LAYOUT_SAMPLE.txt"})
      QFile::copy(QString(QARN_SOURCE_DIR) + "/data/" + name, file(name));
    w = std::make_unique<TForm2>(paths, &sim.desktop());
    sim.registerAs(w->CadProgId());
  }
  int frames() {
    int n = 0;
    for (const auto& h : sim.drawing().modelSpace().entities)
      n += sim.drawing().findEntity(h)->type == cad::sim::EntityType::BlockRef;
    return n;
  }
  cad::sim::SimCad sim;
  std::unique_ptr<TForm2> w;
};

TEST_F(PlatePage, PlacesTheListOnThePlateOfTheChosenEnclosure) {
  EXPECT_EQ(w->PageControl1->tabText(8), "盤レイアウト");
  EXPECT_EQ(w->Edit51->text(), "40");
  EXPECT_EQ(w->Edit52->text(), "5");
  // Without an enclosure chosen on the box page nothing is drawn.
  w->Edit37->clear();
  w->Edit38->clear();
  auto said = testing::closeNextMessageBox();
  w->Button31Click();
  EXPECT_EQ(*said, "TOVEK.exe|ボックスページで盤を選んでください。");

  w->StringGrid6->setCurrentCell(1, 4);  // RA12-6080: plate 540 x 740
  w->StringGrid6Click();
  w->PageControl1->setCurrentIndex(8);
  EXPECT_TRUE(w->Label35->text().contains("540 x 740")) << w->Label35->text().toStdString();
  w->askListPath = [&] { return file("LAYOUT_SAMPLE.txt"); };
  w->Button30->click();
  EXPECT_EQ(w->Edit50->text(), file("LAYOUT_SAMPLE.txt"));
  sim.operatorPoint(0, 0);
  w->Button31Click();
  EXPECT_EQ(frames(), 20);
  EXPECT_EQ(sim.prompts().back(), "配置基点（左下）を指示 : ");

  // A list with a model the catalogue lacks is refused with its line.
  writeFile("bad.txt", "MC1\tS-T10\r\nX1\tNOPE\r\n");
  w->Edit50->setText(file("bad.txt"));
  said = testing::closeNextMessageBox();
  w->Button31Click();
  EXPECT_TRUE(said->contains("line 2")) << said->toStdString();
  EXPECT_EQ(frames(), 20);
}

TEST_F(PlatePage, SaysWhichDevicesDidNotFit) {
  w->StringGrid6->setCurrentCell(1, 1);  // RA12-3530: plate 290 x 240
  w->StringGrid6Click();
  // Two rows of 130 and a duct need 300 of the 160 between the top and bottom ducts.
  writeFile("wide.txt", "NF1\tZRGT2006-M\r\nCB1\tNF63-CV 3P\r\nCB2\tNF63-CV 3P\r\n");
  w->Edit50->setText(file("wide.txt"));
  sim.operatorPoint(0, 0);
  auto said = testing::closeNextMessageBox();
  w->Button31Click();
  EXPECT_TRUE(said->contains("CB2")) << said->toStdString();
  EXPECT_FALSE(said->contains("CB1"));
  EXPECT_EQ(frames(), 2);
}

}  // namespace
}  // namespace qarn::app
