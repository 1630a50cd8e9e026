#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <optional>

#include "../another_users_file.h"
#include "app/settings_file.h"
#include "gui_fixture.h"

namespace qarn::app {
namespace {

using testing::GuiTest;

TEST_F(GuiTest, PagesInOrderWithTheBuiltOnesShown) {
  auto w = makeWindow();
  QTabWidget* pages = w->PageControl1;
  ASSERT_EQ(pages->count(), 9);
  QStringList captions;
  for (int i = 0; i < 9; ++i)
    captions << pages->tabText(i);
  EXPECT_EQ(captions,
            (QStringList{"機器枠", "スイッチ、表示灯、電流計、調節計...", "属性編集", " 集計",
                         "画層", "CAD、整列 ... 他", "ボックス", "ブロック", "盤レイアウト"}));
  QStringList names;
  for (int i = 0; i < 9; ++i)
    names << pages->widget(i)->objectName();
  EXPECT_EQ(names, (QStringList{"TabSheet1", "TabSheet4", "TabSheet2", "TabSheet3", "TabSheet5",
                                "TabSheet7", "TabSheet6", "TabSheet8", "TabSheet9"}));
  for (int i = 0; i < 9; ++i)
    EXPECT_TRUE(pages->isTabVisible(i)) << i;
  EXPECT_EQ(pages->currentIndex(), 6);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(w->height(), 353);
  EXPECT_GE(w->width(), 573);
  QMessageBox ask(QMessageBox::Question, "TOVEK.exe", "?", QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(ask.button(QMessageBox::Yes)->text(), "はい(&Y)");
  EXPECT_EQ(ask.button(QMessageBox::No)->text(), "いいえ(&N)");
}

// At the start size every tab shows whole: no tab scrolled away, no scroll buttons.
TEST_F(GuiTest, EveryTabShowsAtTheStartSize) {
  auto w = makeWindow();
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  QTabBar* bar = w->PageControl1->tabBar();
  for (int i = 0; i < w->PageControl1->count(); ++i)
    EXPECT_TRUE(bar->rect().contains(bar->tabRect(i))) << i;
  for (QToolButton* b : bar->findChildren<QToolButton*>())
    EXPECT_FALSE(b->isVisible());
  EXPECT_EQ(w->height(), 353);
}

// The position read at start is the one written at close, run after run, and always on the screen.
TEST_F(GuiTest, ThePositionNeitherCreepsNorLeavesTheScreen) {
  QRect room = QGuiApplication::primaryScreen()->availableGeometry();
  auto ini = [](int left, int top) {
    return QString("[Form]\r\nLeft=%1\r\nTop=%2\r\n").arg(left).arg(top).toLatin1();
  };
  writeFile("qarn.ini", ini(3, 187));
  ASSERT_GT(room.width(), makeWindow()->width() + 3);
  for (int run = 0; run < 3; ++run) {
    auto w = makeWindow();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_EQ(w->geometry().topLeft(), QPoint(3, 187)) << run;
    w->close();
    EXPECT_TRUE(readFile("qarn.ini").startsWith(ini(3, 187))) << run;
  }
  struct Case {
    QPoint saved;
    int right, bottom;  // the window's edges expected: on the screen
  } cases[] = {{{room.right() - 100, room.bottom() - 50}, room.right(), room.bottom()},
               {{room.left() - 100, room.top() + 10}, -1, -1}};
  for (const Case& c : cases) {
    writeFile("qarn.ini", ini(c.saved.x(), c.saved.y()));
    auto w = makeWindow();
    QRect g = w->geometry();
    EXPECT_TRUE(room.contains(g)) << c.saved.x();
    if (c.right >= 0) {
      EXPECT_EQ(g.bottomRight(), QPoint(c.right, c.bottom));
    }
  }
}

TEST_F(GuiTest, GridsAreSetUpWithHeadersWidthsAndHiddenColumns) {
  auto w = makeWindow();
  StringGrid* g1 = w->StringGrid1;
  EXPECT_EQ(g1->colCount(), 15);
  EXPECT_EQ(g1->rowCells(0), (QStringList{"No", "名称", "型番", "仕様・備考", "メーカ", "メモ", "W",
                                          "H", "D", "H2", "D2", "E", "AUX1", "AUX2", "CUT"}));
  QList<int> widths;
  for (int c = 0; c < 15; ++c)
    widths << g1->colWidth(c);
  EXPECT_EQ(widths,
            (QList<int>{35, 120, 120, 180, 60, 200, 40, 40, 40, 40, 40, 40, 100, 100, 100}));
  EXPECT_EQ(g1->fixedCols(), 3);
  EXPECT_EQ(g1->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(w->StringGrid4->cell(11, 0), "M");
  EXPECT_EQ(w->StringGrid4->cell(10, 0), "D2");
  EXPECT_EQ(g1->rowCount(), 2) << "the catalogue grids stay empty at start";
  EXPECT_EQ(g1->cell(1, 1), "");

  StringGrid* g2 = w->StringGrid2;
  EXPECT_EQ(g2->colCount(), 16);
  for (int c = 6; c < 16; ++c)
    EXPECT_EQ(g2->colWidth(c), -1) << c;
  QFontMetrics fm(g2->font());
  int pt = QFontInfo(g2->font()).pointSize();
  EXPECT_EQ(g2->colWidth(1), fm.horizontalAdvance("NAME") + pt) << "sized to its content";

  StringGrid* g3 = w->StringGrid3;
  EXPECT_EQ(g3->colCount(), 7);
  EXPECT_EQ(g3->cell(4, 0), "個数");
  EXPECT_EQ(g3->colWidth(2), 170);
  EXPECT_EQ(g3->colWidth(5), -1);
  EXPECT_EQ(g3->colWidth(6), -1);

  StringGrid* g5 = w->StringGrid5;
  EXPECT_EQ(g5->rowCount(), 10);
  EXPECT_EQ(g5->cell(0, 1), "TOVEK_FRONT");
  EXPECT_EQ(g5->cell(1, 4), "側面（胴体）");
  EXPECT_EQ(g5->cell(1, 9), "補助２/ CUT");
  EXPECT_EQ(g5->colWidth(6), -1);
  int widest = 0;
  for (int r = 0; r < 10; ++r)
    widest = std::max(widest, fm.horizontalAdvance(g5->cell(1, r)));
  EXPECT_EQ(g5->colWidth(1), widest + pt);
  EXPECT_GT(widest, fm.horizontalAdvance("説明"));

  EXPECT_EQ(w->StringGrid6->colWidth(0), 40);
  EXPECT_EQ(w->StringGrid6->fixedCols(), 2);
}

TEST_F(GuiTest, FirstStartCentresAndClosingWritesBothSections) {
  auto w = makeWindow();
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(w->geometry().topLeft(),
            QPoint((screen.width() - w->width()) / 2, (screen.height() - 353) / 2));
  EXPECT_EQ(w->windowTitle(), "QARN Ver.1.50 [ BricsCAD ]");
  w->move(12, 34);
  w->close();
  QString ini = QString::fromLatin1(readFile("qarn.ini"));
  EXPECT_EQ(ini,
            "[Form]\r\nLeft=12\r\nTop=34\r\n[TargetCad]\r\nProgID=BricscadApp.AcadApplication\r\n"
            "Name=BricsCAD\r\n");
  auto again = makeWindow();
  EXPECT_EQ(again->geometry().topLeft(), QPoint(12, 34));
}

TEST_F(GuiTest, SettingsThatMakeNoSenseGiveTheDefaults) {
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  QPoint centre((screen.width() - makeWindow()->width()) / 2, (screen.height() - 353) / 2);
  for (const QByteArray& bytes : {QByteArray(""), QByteArray("\x00\xff\x13\x88garbage\x01", 12),
                                  QByteArray("[Form]\r\nLeft=abc\r\nTop=1.5\r\n"),
                                  QByteArray("[Form]\nLeft=-30000\nTop=-30000\n")}) {
    writeFile("qarn.ini", bytes);
    auto w = makeWindow();
    EXPECT_EQ(w->geometry().topLeft(), centre) << bytes.toHex().toStdString();
    EXPECT_EQ(w->CadProgId(), "BricscadApp.AcadApplication");
  }
}

// Settings that could not be read are not replaced at close, and the user learns what was lost.
TEST_F(GuiTest, SettingsThatCouldNotBeReadAreKeptAndTheUserIsToldAtClose) {
  const QByteArray unreadable = "[Form]\r\nLeft=10\r\nTop=20\r\n";
  const QByteArray undecodable = "[Form]\r\nLeft=10\r\n[Mine]\r\nNote=caf\x80\r\n";
  for (const QByteArray& bytes : {unreadable, undecodable}) {
    writeFile("qarn.ini", bytes);
    auto said = std::make_shared<QString>();
    {
      std::optional<qarn::testing::AnotherUsersFile> locked;
      if (bytes == unreadable) locked.emplace(file("qarn.ini").toStdString());
      auto w = makeWindow();
      w->move(50, 60);
      said = testing::closeNextMessageBox();
      w->close();
    }
    EXPECT_TRUE(said->contains(QString::fromUtf8(kSettingsNotSaved))) << said->toStdString();
    EXPECT_EQ(readFile("qarn.ini"), bytes);
  }
}

TEST_F(GuiTest, TheTargetCadComesFromSettingsAndTheCaptionFromTheList) {
  writeFile("qarn.ini", "[TargetCad]\r\nProgID=ZWCAD.Application\r\nName=ZW\r\n");
  {
    auto w = makeWindow();
    EXPECT_EQ(w->CadProgId(), "ZWCAD.Application");
    EXPECT_EQ(w->windowTitle(), "QARN Ver.1.50 [ ZW ]");
  }
  // The first line whose ProgID column begins with the ProgID names the CAD in the caption.
  writeFile("TargetCAD_APIVersion.txt",
            "BricsCAD V23\tBricscadApp.AcadApplication\r\nZWCAD 2024 \tZWCAD.Application.2024\r\n"
            "ZWCAD old\tZWCAD.Application\r\n");
  auto w = makeWindow();
  EXPECT_EQ(w->windowTitle(), "QARN Ver.1.50 [ ZWCAD 2024  ]");
  EXPECT_EQ(w->CadName(), "ZW") << "the settings' name is kept for writing back";
  w->close();
  EXPECT_TRUE(readFile("qarn.ini").contains("Name=ZW\r\n"));
}

TEST_F(GuiTest, AnErrorThatEscapesAHandlerIsReportedAndTheProgramGoesOn) {
  auto w = makeWindow();
  auto text = testing::closeNextMessageBox();
  w->runHandler([] { throw std::runtime_error("the CAD refused"); });
  EXPECT_EQ(*text, "QARN Ver.1.50|the CAD refused");
  bool ran = false;
  w->runHandler([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST_F(GuiTest, TheMessageFilterIsRegisteredOnceTheWindowIsCreated) {
  auto w = makeWindow();
  EXPECT_TRUE(w->messageFilterRegistered());
}

}  // namespace
}  // namespace qarn::app
