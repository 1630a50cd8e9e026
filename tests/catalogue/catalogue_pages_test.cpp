#include <QFile>

#include "../app/gui_fixture.h"
#include "cad/text_file.h"
#include "catalogue/row_edit_dialog.h"

namespace qarn::app {
namespace {

class CataloguePages : public testing::GuiTest {
 protected:
  CataloguePages() {
    writeFile("TOVEK.txt",
              sjis("// frames\r\n"
                   "リレー\tMY4N\tAC200V 4c\tオムロン\t\t28\t36\t60\t\t\t\tAUX\t\tCUT1\r\n"
                   "端子台\tTB-15\t15A\t春日\t\t10\t40\t30\t\t\t4.5\r\n"
                   "配線用遮断器\tNF-32\t2P 20A\t三菱\t\t50\t130\t\t90\t60\r\n"));
    writeFile("TPBPL.txt",
              "\xEF\xBB\xBF表示灯\tDR22\t赤\t富士\t\t22\t22\t60\t\t\t1\t運転\t\tC:22\r\n");
    w = makeWindow();
    form1 = std::make_unique<catalogue::TForm1>(w.get());
    w->setRowEditForm(form1.get());
  }
  static QByteArray sjis(const std::string& s) {
    return QByteArray::fromStdString(cad::encodeText(s, cad::TextEncoding::ShiftJis));
  }
  std::string file(const char* name) const {
    return cad::decodeText(readFile(name).toStdString(), cad::TextEncoding::ShiftJis);
  }
  void answer(QMessageBox::StandardButton b, std::shared_ptr<QString> asked = nullptr) {
    testing::onNextModal([b, asked](QWidget* m) {
      auto* box = qobject_cast<QMessageBox*>(m);
      if (!box) return;
      if (asked) *asked = box->windowTitle() + "|" + box->text();
      box->button(b)->click();
    });
  }
  std::unique_ptr<TForm2> w;
  std::unique_ptr<catalogue::TForm1> form1;
};

TEST_F(CataloguePages, SearchFillsTheGridAndTheFirstRowsFields) {
  EXPECT_EQ(w->StringGrid1->rowCount(), 2) << "empty until the first search";
  w->Edit1->setText(" ");
  StringGrid* g = w->StringGrid1;
  ASSERT_EQ(g->rowCount(), 4);
  // Sorted as the user's language sorts; the comment takes line 1.
  QStringList numbers;
  for (int r = 1; r < 4; ++r)
    numbers << g->cell(0, r);
  EXPECT_EQ(numbers.size(), 3);
  EXPECT_FALSE(numbers.contains("1"));
  w->Edit1->setText("nf32");
  ASSERT_EQ(g->rowCount(), 2);
  EXPECT_EQ(g->cell(2, 1), "NF-32");
  EXPECT_EQ(w->Edit2->text(), "NF-32");
  EXPECT_EQ(w->Edit7->text(), "2P 20A");
  EXPECT_EQ(w->Edit3->text(), "50");
  EXPECT_EQ(w->Edit5->text(), "");
  EXPECT_FALSE(w->Button2->isEnabled()) << "no depth: no side view";
  EXPECT_EQ(w->Edit28->text(), "90");
  EXPECT_EQ(w->Edit23->text(), "50 130 0 90 60");
  QFontMetrics fm(g->font());
  EXPECT_EQ(g->colWidth(3), fm.horizontalAdvance("仕様・備考") + QFontInfo(g->font()).pointSize());
}

// Every shown column is as wide as its widest text, measured exactly, among more different texts
// than are measured: the header, line numbers, texts many rows share, an ASCII text wider than
// the Japanese ones, the last column, and not what lies beyond it.
TEST_F(CataloguePages, ColumnsFitTheirWidestTextExactly) {
  std::string text = "// frames\r\n";
  for (int i = 0; i < 300; ++i) {
    std::string spec = i == 7 ? std::string(60, 'W') : "仕様";
    for (int k = 0; i != 7 && k < i % 40; ++k)
      spec += "あ";
    text += "リレー\tMY" + std::to_string(i % 3) + "\t" + spec +
            "\tオムロン\t\t28\t36\t60\t\t\t\tAUX\t\t" + std::string(i + 1, 'W') + "\t" +
            std::string(900, 'W') + "\r\n";
  }
  writeFile("TOVEK.txt", sjis(text));
  w->Edit1->setText(" ");
  StringGrid* g = w->StringGrid1;
  ASSERT_EQ(g->rowCount(), 301);
  QFontMetrics fm(g->font());
  int pt = QFontInfo(g->font()).pointSize();
  for (int c = 0; c < g->colCount(); ++c) {
    if (g->colWidth(c) <= 0) continue;
    int widest = 0;
    for (int r = 0; r < g->rowCount(); ++r)
      widest = std::max(widest, fm.horizontalAdvance(g->cell(c, r)));
    EXPECT_EQ(g->colWidth(c), widest + pt) << "column " << c;
  }
}

TEST_F(CataloguePages, TerminalBlocksSwitchTheModeAndTheModelText) {
  w->Edit1->setText("TB15");
  EXPECT_TRUE(w->CheckBox1->isChecked());
  EXPECT_TRUE(w->Edit8->isEnabled());
  EXPECT_EQ(w->Edit2->text(), "TB-15 x 4P");
  EXPECT_EQ(w->Edit27->text(), "4.5");
  w->CheckBox2->click();  // array mode turns terminal-block mode off
  EXPECT_FALSE(w->CheckBox1->isChecked());
  EXPECT_EQ(w->Edit2->text(), "TB-15");
  EXPECT_TRUE(w->Edit10->isEnabled());
  w->Edit1->setText("MY4N");
  EXPECT_FALSE(w->CheckBox1->isChecked());
  EXPECT_TRUE(w->Button2->isEnabled());
  EXPECT_EQ(w->Edit31->text(), "CUT1");
  EXPECT_EQ(w->Edit12->text(), "AUX");
}

TEST_F(CataloguePages, NoMatchLeavesOneEmptyRowAndEmptiesTheFields) {
  w->Edit6->setText("MC1");
  w->Edit1->setText("MY4N");
  w->Edit1->setText("nothing-like-this");
  EXPECT_EQ(w->StringGrid1->rowCount(), 2);
  EXPECT_EQ(w->StringGrid1->cell(2, 1), "");
  EXPECT_EQ(w->StringGrid1->currentRow(), 1);
  for (QLineEdit* e : {w->Edit2, w->Edit3, w->Edit7, w->Edit23, w->Edit31})
    EXPECT_TRUE(e->text().isEmpty());
  EXPECT_EQ(w->Edit6->text(), "MC1") << "the device number is not touched";
}

TEST_F(CataloguePages, AMissingFileIsSaidAndTheGridStays) {
  w->Edit1->setText("MY4N");
  QFile::remove(GuiTest::file("TOVEK.txt"));
  auto text = testing::closeNextMessageBox();
  w->Edit1->setText("MY4");
  EXPECT_EQ(*text, "TOVEK.exe|データファイルが見つかりません．");
  EXPECT_EQ(w->StringGrid1->cell(2, 1), "MY4N");
}

TEST_F(CataloguePages, PanelRowsFillTheirFields) {
  w->Edit13->setText("dr22");
  EXPECT_EQ(w->Edit14->text(), "DR22");
  EXPECT_EQ(w->Edit17->text(), "1");
  EXPECT_EQ(w->Edit24->text(), "運転");
  EXPECT_EQ(w->Edit30->text(), "C:22");
  EXPECT_EQ(w->Edit25->text(), "22 22 60 0 0");
  w->CheckBox6->click();
  EXPECT_TRUE(w->Edit22->isEnabled());
  EXPECT_TRUE(w->CheckBox7->isEnabled());
}

TEST_F(CataloguePages, DeviceNumbersAreUpperCaseAndStepWithTheCaretKept) {
  w->Edit6->setText("x09");
  EXPECT_EQ(w->Edit6->text(), "X09");
  w->Edit6->setCursorPosition(1);
  w->SpeedButton1->click();
  EXPECT_EQ(w->Edit6->text(), "X10");
  EXPECT_EQ(w->Edit6->cursorPosition(), 1);
  w->Edit18->setText("a01");
  w->SpeedButton4->click();
  EXPECT_EQ(w->Edit18->text(), "A0");
  w->SpeedButton4->click();
  EXPECT_EQ(w->Edit18->text(), "A0");
  w->Edit6->setText("pl-1ä");
  EXPECT_EQ(w->Edit6->text(), "PL-1ä") << "ASCII letters only";
}

TEST_F(CataloguePages, UpdateRewritesTheLineSortedAndReloadsAtTheSameRow) {
  w->PageControl1->setCurrentIndex(0);
  w->Edit1->setText(" ");
  StringGrid* g = w->StringGrid1;
  int row = -1;
  for (int r = 1; r < g->rowCount(); ++r)
    if (g->cell(2, r) == "MY4N") row = r;
  ASSERT_GT(row, 0);
  g->setCurrentCell(3, row);
  w->N1Click();
  EXPECT_TRUE(form1->isVisible());
  EXPECT_FALSE(form1->isModal());
  EXPECT_EQ(form1->windowTitle(), "データの変更と追加");
  EXPECT_EQ(form1->StringGrid1->cell(0, 0), "No");
  EXPECT_EQ(form1->StringGrid1->cell(1, 2), "MY4N");
  EXPECT_EQ(form1->StringGrid1->colWidth(1), 300);
  form1->StringGrid1->setCell(1, 2, "MY4N-GS");

  answer(QMessageBox::No);
  form1->Button1->click();
  EXPECT_TRUE(form1->isVisible()) << "No keeps the dialog open and writes nothing";
  EXPECT_NE(file("TOVEK.txt").find("// frames"), std::string::npos);
  EXPECT_EQ(file("TOVEK.txt").find("MY4N-GS"), std::string::npos);

  auto asked = std::make_shared<QString>();
  answer(QMessageBox::Yes, asked);
  form1->Button1->click();
  EXPECT_EQ(*asked, "更新の確認|現在のデータを更新しますか？");
  EXPECT_FALSE(form1->isVisible());
  std::string text = file("TOVEK.txt");
  EXPECT_NE(text.find("リレー\tMY4N-GS\tAC200V 4c\tオムロン\t\t28\t36\t60\t\t\t\tAUX\t\tCUT1\r\n"),
            std::string::npos);
  EXPECT_EQ(text.rfind("// frames\r\n", 0), 0u) << "the file is sorted: the comment comes first";
  EXPECT_EQ(g->currentRow(), row);
  EXPECT_EQ(g->cell(2, row), "MY4N-GS");
}

TEST_F(CataloguePages, AddAppendsAndDeleteRemovesTheCurrentLine) {
  w->PageControl1->setCurrentIndex(0);
  w->Edit1->setText("TB15");
  w->N1Click();
  form1->StringGrid1->setCell(1, 2, "TB-30");
  answer(QMessageBox::Yes);
  form1->Button2->click();
  std::string text = file("TOVEK.txt");
  EXPECT_NE(text.find("端子台\tTB-15\t15A"), std::string::npos) << "the original line stays";
  EXPECT_NE(text.rfind("端子台\tTB-30\t15A\t春日\t\t10\t40\t30\t\t\t4.5\t\t\t\r\n"),
            std::string::npos);

  w->Edit1->setText("TB");
  ASSERT_EQ(w->StringGrid1->rowCount(), 3);
  w->StringGrid1->setCurrentCell(3, 2);
  auto asked = std::make_shared<QString>();
  answer(QMessageBox::Yes, asked);
  w->N3Click();
  EXPECT_EQ(*asked, "削除の確認|現在行のデータを削除しますか？");
  EXPECT_EQ(w->StringGrid1->rowCount(), 2);
  EXPECT_EQ(w->StringGrid1->currentRow(), 1) << "the last row went: the new last row is current";
}

TEST_F(CataloguePages, AnUpdateOfALineTheFileNoLongerHasIsRefused) {
  w->PageControl1->setCurrentIndex(0);
  w->Edit1->setText("NF32");
  w->N1Click();
  form1->StringGrid1->setCell(1, 0, "99");  // as if the file had shrunk since the load
  w->StringGrid1->setCell(0, 1, "99");
  QByteArray before = readFile("TOVEK.txt");
  answer(QMessageBox::Yes);
  auto said = testing::closeNextMessageBox();
  form1->Button1->click();
  EXPECT_TRUE(said->contains("99")) << said->toStdString();
  EXPECT_EQ(readFile("TOVEK.txt"), before);
}

TEST_F(CataloguePages, ACharacterShiftJisCannotHoldIsRefusedByName) {
  w->PageControl1->setCurrentIndex(0);
  w->Edit1->setText("NF32");
  w->N1Click();
  form1->StringGrid1->setCell(1, 5, "메모");
  QByteArray before = readFile("TOVEK.txt");
  answer(QMessageBox::Yes);
  auto said = testing::closeNextMessageBox();
  form1->Button2->click();
  EXPECT_TRUE(said->contains("メ") || said->contains("메")) << said->toStdString();
  EXPECT_EQ(readFile("TOVEK.txt"), before);
  EXPECT_TRUE(form1->isVisible()) << "the dialog stays open with the values typed";
}

// The dialog writes to the catalogue it was opened on, whichever page is current by the click.
TEST_F(CataloguePages, TheDialogWritesToTheCatalogueItWasOpenedFor) {
  w->PageControl1->setCurrentIndex(0);
  w->Edit1->setText("TB15");
  w->N1Click();
  form1->StringGrid1->setCell(1, 2, "TB-30");
  w->PageControl1->setCurrentIndex(6);
  QByteArray panel = readFile("TPBPL.txt");
  answer(QMessageBox::Yes);
  form1->Button2->click();
  EXPECT_EQ(readFile("TPBPL.txt"), panel);
  EXPECT_NE(file("TOVEK.txt").find("端子台\tTB-30\t15A"), std::string::npos);
  EXPECT_EQ(w->StringGrid1->cell(2, 1), "TB-15") << "its own grid reloaded";
  // An update opened on the panel page goes to TPBPL.txt from the frame page too.
  w->PageControl1->setCurrentIndex(1);
  w->Edit13->setText("DR22");
  w->N1Click();
  form1->StringGrid1->setCell(1, 3, "緑");
  w->PageControl1->setCurrentIndex(0);
  QByteArray frames = readFile("TOVEK.txt");
  answer(QMessageBox::Yes);
  form1->Button1->click();
  EXPECT_EQ(readFile("TOVEK.txt"), frames);
  EXPECT_TRUE(readFile("TPBPL.txt").contains("\tDR22\t緑\t"));
  EXPECT_EQ(w->StringGrid4->cell(3, 1), "緑");
}

// A file with bytes no character stands for is not rewritten, and the user is told where.
TEST_F(CataloguePages, AnUndecodableFileIsRefusedWithItsLine) {
  writeFile("TOVEK.txt", sjis("// frames\r\n端子台\tTB-15\t15A\r\n") + "X\tcaf\x80\r\n");
  w->PageControl1->setCurrentIndex(0);
  w->Edit1->setText("TB15");
  w->N1Click();
  QByteArray before = readFile("TOVEK.txt");
  for (QPushButton* b : {form1->Button2, form1->Button1}) {
    answer(QMessageBox::Yes);
    auto said = testing::closeNextMessageBox();
    b->click();
    EXPECT_TRUE(said->contains("3 行目")) << said->toStdString();
    EXPECT_FALSE(said->contains("「」")) << said->toStdString();
    EXPECT_EQ(readFile("TOVEK.txt"), before);
  }
}

}  // namespace
}  // namespace qarn::app
