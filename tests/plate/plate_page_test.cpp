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
  EXPECT_EQ(w->Edit53->text(), "25");
  EXPECT_FALSE(w->CheckBox10->isChecked());
  EXPECT_EQ(w->ComboBox3->currentText(), "壁掛け");
  // Without an enclosure chosen on the box page nothing is drawn.
  w->Edit37->clear();
  w->Edit38->clear();
  auto said = testing::closeNextMessageBox();
  w->Button31Click();
  EXPECT_EQ(*said, "TOVEK.exe|ボックスページで盤を選んでください。");

  w->StringGrid6->setCurrentCell(1, 5);  // RA14-8010: 800 x 1000 x 250, plate 740 x 940
  w->StringGrid6Click();
  w->PageControl1->setCurrentIndex(8);
  EXPECT_TRUE(w->Label35->text().contains("740 x 940")) << w->Label35->text().toStdString();
  w->askListPath = [&] { return file("LAYOUT_SAMPLE.txt"); };
  w->Button30->click();
  EXPECT_EQ(w->Edit50->text(), file("LAYOUT_SAMPLE.txt"));
  sim.operatorPoint(0, 0);
  w->Button31Click();
  EXPECT_EQ(frames(), 20);
  EXPECT_EQ(sim.prompts().back(), "配置基点（左下）を指示 : ");
  // What to buy, how to cut it and how warm the enclosure gets, on the page.
  QString shown = w->Memo1->toPlainText();
  for (const char* line : {"DINレール 35: 3 本 計 1980 mm\n", "エンドストップ 10: 6 個\n",
                           "切断計画 DINレール 35 (定尺 2000 mm): 1 本\n",
                           "発熱 44.6 W 放熱面積 1.85 m² 盤内温度上昇 4.4 K\n"})
    EXPECT_TRUE(shown.contains(QString::fromUtf8(line))) << line << "\n" << shown.toStdString();
  w->ComboBox3->setCurrentIndex(1);  // free-standing: 1.8·1·1.05 + 1.4·0.8·0.25 = 2.17 m²
  sim.operatorPoint(2000, 0);
  w->Button31Click();
  EXPECT_TRUE(w->Memo1->toPlainText().contains("放熱面積 2.17 m² 盤内温度上昇 3.7 K"))
      << w->Memo1->toPlainText().toStdString();

  // A list with a model the catalogue lacks is refused with its line.
  writeFile("bad.txt", "MC1\tS-T10\r\nX1\tNOPE\r\n");
  w->Edit50->setText(file("bad.txt"));
  said = testing::closeNextMessageBox();
  w->Button31Click();
  EXPECT_TRUE(said->contains("line 2")) << said->toStdString();
  EXPECT_EQ(frames(), 40);
}

TEST_F(PlatePage, SaysWhichDevicesDidNotFit) {
  w->StringGrid6->setCurrentCell(1, 1);  // RA12-3530: plate 290 x 240
  w->StringGrid6Click();
  // The breakers' row of 130 and two clearances of 25 need 180 of the 160 between the top and
  // bottom ducts; the filter's row takes them.
  writeFile("wide.txt", "NF1\tZRGT2006-M\r\nCB1\tNF63-CV 3P\r\nCB2\tNF63-CV 3P\r\n");
  w->Edit50->setText(file("wide.txt"));
  sim.operatorPoint(0, 0);
  auto said = testing::closeNextMessageBox();
  w->Button31Click();
  EXPECT_TRUE(said->contains("\nCB1 (NF63-CV 3P)\nCB2 (NF63-CV 3P)\n")) << said->toStdString();
  EXPECT_FALSE(said->contains("NF1"));
  EXPECT_TRUE(said->contains("RA12-3530 には入りません。RA12-4560 なら全て配置できます。"))
      << said->toStdString();
  EXPECT_TRUE(w->Memo1->toPlainText().contains("RA12-3530 には入りません。"));
  EXPECT_EQ(frames(), 1) << "the frames that did not fit are not left in the drawing";
}

}  // namespace
}  // namespace qarn::app
