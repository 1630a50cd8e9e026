#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include "../another_users_file.h"
#include "gui_fixture.h"

namespace qarn::app {
namespace {

class TargetCadForm : public testing::GuiTest {
 protected:
  TargetCadForm() : form(file("TargetCAD_APIVersion.txt")) {}
  void open(const std::string& progId) {
    form.CurrentProgId = progId;
    form.FormShow();
  }
  QStringList items() const {
    QStringList out;
    for (int i = 0; i < form.ListBox1->count(); ++i)
      out << form.ListBox1->item(i)->text();
    return out;
  }
  QString listFile() const { return QString::fromUtf8(readFile("TargetCAD_APIVersion.txt")); }
  cad::TTargetCADForm form;
};

TEST_F(TargetCadForm, LoadsSortedAndPreselectsTheFirstMatchingLine) {
  writeFile("TargetCAD_APIVersion.txt",
            "zwcad\tZWCAD.Application\r\nBricsCAD B\tBricscadApp.AcadApplication\r\n"
            "AutoCAD\tAutoCAD.Application\r\nbricsCAD A\tBricscadApp.AcadApplication.23\r\n");
  open("BricscadApp.AcadApplication");
  EXPECT_EQ(
      items(),
      (QStringList{"AutoCAD\tAutoCAD.Application", "bricsCAD A\tBricscadApp.AcadApplication.23",
                   "BricsCAD B\tBricscadApp.AcadApplication", "zwcad\tZWCAD.Application"}));
  EXPECT_EQ(form.ListBox1->currentRow(), 1) << "first in sorted order, by substring";
  EXPECT_EQ(form.Edit1->text(), "bricsCAD A");
  EXPECT_EQ(form.Edit2->text(), "BricscadApp.AcadApplication.23");
  EXPECT_EQ(form.windowTitle(), "ターゲット CAD");
  EXPECT_EQ(form.width(), 315);
  EXPECT_GE(form.height(), 342);
}

// Every caption and note shows whole at the platform's font: none is cut at the dialog's edge.
TEST_F(TargetCadForm, EveryTextShowsWhole) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QList<QLabel*> labels = form.findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 4);
  for (QLabel* l : labels) {
    QRect inDialog(l->mapTo(&form, QPoint(0, 0)), l->size());
    EXPECT_TRUE(form.rect().contains(inDialog)) << l->text().toStdString();
    if (l->wordWrap())
      EXPECT_GE(l->height(), l->heightForWidth(l->width())) << l->text().toStdString();
    else
      EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
  }
}

TEST_F(TargetCadForm, AnUnknownProgIdSelectsNothingAndAMissingFileKeepsTheList) {
  writeFile("TargetCAD_APIVersion.txt", "AutoCAD\tAutoCAD.Application\r\n\r\nno tab\r\n");
  open("GCAD.Application");
  EXPECT_EQ(form.ListBox1->currentRow(), -1);
  EXPECT_TRUE(form.Edit1->text().isEmpty());
  EXPECT_TRUE(form.Edit2->text().isEmpty());
  EXPECT_EQ(form.ListBox1->count(), 3) << "blank lines and lines without a tab load without harm";
  form.ListBox1->setCurrentRow(2);
  form.ListBox1Click();
  EXPECT_EQ(form.Edit1->text(), "");
  EXPECT_EQ(form.Edit2->text(), "no tab");
  QFile::remove(file("TargetCAD_APIVersion.txt"));
  open("AutoCAD.Application");
  EXPECT_EQ(form.ListBox1->count(), 3);
}

TEST_F(TargetCadForm, AddDeleteAndChangeWriteTheFile) {
  open("X");
  EXPECT_EQ(form.ListBox1->count(), 0);
  form.Edit1->setText("ZWCAD");
  form.Edit2->setText("ZWCAD.Application");
  form.SpeedButton1Click();
  form.Edit1->setText("AutoCAD");
  form.Edit2->setText("AutoCAD.Application");
  form.SpeedButton1Click();
  form.SpeedButton1Click();  // the same entry twice is two lines
  EXPECT_EQ(listFile(),
            "AutoCAD\tAutoCAD.Application\r\nAutoCAD\tAutoCAD.Application\r\nZWCAD\tZWCAD."
            "Application\r\n");
  EXPECT_EQ(form.ListBox1->currentRow(), 1);

  // Deleting the last line selects the one before it.
  form.ListBox1->setCurrentRow(2);
  form.SpeedButton2Click();
  EXPECT_EQ(items(), (QStringList{"AutoCAD\tAutoCAD.Application", "AutoCAD\tAutoCAD.Application"}));
  EXPECT_EQ(form.ListBox1->currentRow(), 1);
  EXPECT_EQ(form.Edit2->text(), "AutoCAD.Application");

  // A change stays in place until the next load sorts it in; Enter in a field changes too.
  form.ListBox1->setCurrentRow(0);
  form.ListBox1Click();
  form.Edit1->setText("ZZ");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(form.Edit1, &enter);
  EXPECT_EQ(items().first(), "ZZ\tAutoCAD.Application");
  EXPECT_EQ(listFile(), "ZZ\tAutoCAD.Application\r\nAutoCAD\tAutoCAD.Application\r\n");

  // Deleting the only selected line of a one-line list empties the fields and selects nothing.
  form.SpeedButton2Click();
  form.SpeedButton2Click();
  EXPECT_EQ(form.ListBox1->count(), 0);
  EXPECT_TRUE(form.Edit1->text().isEmpty());
  form.SpeedButton2Click();  // nothing selected: nothing happens
  form.SpeedButton3Click();
  EXPECT_EQ(listFile(), "");
}

TEST_F(TargetCadForm, AFileThatCannotBeWrittenIsSaidAndTheListStays) {
  cad::TTargetCADForm lost(file("gone/TargetCAD_APIVersion.txt"));
  lost.FormShow();
  lost.Edit1->setText("A");
  lost.Edit2->setText("A.Application");
  auto text = testing::closeNextMessageBox();
  lost.SpeedButton1Click();
  EXPECT_TRUE(text->startsWith("TOVEK.exe|CAD の一覧を保存できません。")) << text->toStdString();
  EXPECT_EQ(lost.ListBox1->count(), 0);
}

// A list that could not be read (another user's file) is never written over with an empty one.
TEST_F(TargetCadForm, AListThatCouldNotBeReadIsNeverWritten) {
  QByteArray mine = "AutoCAD\tAutoCAD.Application\r\nZWCAD\tZWCAD.Application\r\n";
  writeFile("TargetCAD_APIVersion.txt", mine);
  {
    qarn::testing::AnotherUsersFile locked(file("TargetCAD_APIVersion.txt").toStdString());
    auto warned = testing::closeNextMessageBox();
    open("AutoCAD.Application");
    EXPECT_TRUE(warned->contains("TargetCAD_APIVersion.txt")) << warned->toStdString();
    form.Edit1->setText("A");
    form.Edit2->setText("A.Application");
    for (auto button : {&cad::TTargetCADForm::SpeedButton1Click,
                        &cad::TTargetCADForm::SpeedButton2Click,
                        &cad::TTargetCADForm::SpeedButton3Click}) {
      auto said = testing::closeNextMessageBox();
      (form.*button)();
      EXPECT_TRUE(said->contains("TargetCAD_APIVersion.txt")) << said->toStdString();
    }
  }
  EXPECT_EQ(readFile("TargetCAD_APIVersion.txt"), mine);
  open("AutoCAD.Application");  // readable again: the list works as before
  EXPECT_EQ(form.ListBox1->count(), 2);
  form.SpeedButton2Click();
  EXPECT_EQ(listFile(), "ZWCAD\tZWCAD.Application\r\n");
}

TEST_F(TargetCadForm, OkAppliesTheFieldsToTheMainWindowAndCancelChangesNothing) {
  auto w = makeWindow();
  w->setTargetCadForm(&form);
  testing::onNextModal([this](QWidget*) {
    form.Edit1->setText("GstarCAD 2024");
    form.Edit2->setText("GCAD.Application");
    form.OkButton->click();
  });
  w->Button28->click();
  EXPECT_EQ(w->CadProgId(), "GCAD.Application");
  EXPECT_EQ(w->CadName(), "GstarCAD 2024");
  EXPECT_EQ(w->windowTitle(), "QARN Ver.1.50 [ GstarCAD 2024 ]");
  EXPECT_EQ(form.CurrentProgId, "BricscadApp.AcadApplication");
  EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint) << "back on top";
  EXPECT_FALSE(form.windowFlags() & Qt::WindowStaysOnTopHint);

  testing::onNextModal([this](QWidget*) {
    form.Edit2->setText("Other");
    form.CancelButton->click();
  });
  w->Button27->click();  // the box page's CAD button opens the same dialog
  EXPECT_EQ(w->CadProgId(), "GCAD.Application");
}

}  // namespace
}  // namespace qarn::app
