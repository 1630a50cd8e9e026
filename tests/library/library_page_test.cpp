#include <QDir>
#include <QFile>
#include <QMessageBox>

#include "../app/gui_fixture.h"
#include "../samples.h"
#include "app/settings_file.h"
#include "cad/connection.h"
#include "cad/platform_desktop.h"
#include "cad/sim/sim_cad.h"
#include "library/folder_dialog.h"

namespace qarn::app {
namespace {

class LibraryPage : public testing::GuiTest {
 protected:
  LibraryPage() {
    w = std::make_unique<TForm2>(paths, &sim.desktop());
    sim.registerAs(w->CadProgId());
    QDir(dir.path()).mkpath("lib");
    lib = file("lib");
    for (const char* name : {"R14.dwg", "Point.dwg", "ATMOS-DC22S.dwg"})
      QFile::copy(QString::fromStdString((qarn::testing::samplesFolder("dwg") / name).string()),
                  lib + "/" + name);
    writeFile("lib/notes.txt", "x");
  }
  QStringList files() const {
    QStringList out;
    for (int i = 0; i < w->FileListBox1->count(); ++i)
      out << w->FileListBox1->item(i)->text();
    return out;
  }
  // Answers the next question with Yes or No.
  void answer(bool yes) {
    testing::onNextModal([yes](QWidget* m) {
      if (auto* box = qobject_cast<QMessageBox*>(m))
        box->done(yes ? QMessageBox::Yes : QMessageBox::No);
    });
  }
  cad::sim::SimCad sim;
  std::unique_ptr<TForm2> w;
  QString lib;
};

TEST_F(LibraryPage, ListsTheDrawingsOfTheFolderAndShowsTheirThumbnails) {
  QARN_NEEDS_SAMPLES("dwg");
  EXPECT_TRUE(w->PageControl1->isTabVisible(7));
  w->setLibraryFolder(lib);
  EXPECT_EQ(w->Edit48->text(), "*");
  EXPECT_EQ(files(), (QStringList{"ATMOS-DC22S.dwg", "Point.dwg", "R14.dwg"}));
  w->Edit48->setText("DC");
  EXPECT_EQ(files(), (QStringList{"ATMOS-DC22S.dwg"}));
  w->FileListBox1->setCurrentRow(0);
  EXPECT_EQ(w->Label33->text(), "256 x 160");
  ASSERT_FALSE(w->Image2->pixmap().isNull());
  EXPECT_EQ(w->Image2->pixmap().size(), QSize(225, 229));
  // A drawing without a preview shows no size.
  w->Edit48->setText("Point");
  w->FileListBox1->setCurrentRow(0);
  EXPECT_EQ(w->Label33->text(), "");
  // Another folder: the filter back to "*", the thumbnail gone.
  w->setLibraryFolder(dir.path());
  EXPECT_EQ(w->Edit48->text(), "*");
  EXPECT_TRUE(w->Image2->pixmap().isNull());
  EXPECT_TRUE(files().isEmpty());
}

TEST_F(LibraryPage, RegisteredFoldersAreAskedForKeptSortedAndComeBack) {
  w->setLibraryFolder(lib);
  w->N4Click();
  EXPECT_EQ(w->Form3->windowTitle(), "フォルダの登録");
  EXPECT_EQ(w->Form3->Button1->text(), "登録");
  EXPECT_EQ(w->Form3->Edit1->text(), QDir::toNativeSeparators(lib));
  w->Form3->Edit2->setText("Motors");
  answer(true);
  w->Form3Button1Click();
  EXPECT_EQ(w->ComboBox2->count(), 1);
  EXPECT_EQ(w->ComboBox2->currentText(), "Motors | " + QDir::toNativeSeparators(lib));
  EXPECT_FALSE(w->Form3->isVisible());

  // The same again: asked before adding; No leaves the dialog open.
  w->N4Click();
  answer(true);
  answer(false);
  w->Form3Button1Click();
  EXPECT_EQ(w->ComboBox2->count(), 1);
  EXPECT_TRUE(w->Form3->isVisible());
  // A "|" in the title is refused.
  w->Form3->Edit2->setText("A|B");
  auto said = testing::closeNextMessageBox();
  w->Form3Button1Click();
  EXPECT_TRUE(said->contains("|"));
  EXPECT_EQ(w->ComboBox2->count(), 1);
  w->Form3->close();

  // Edit the title.
  w->N5Click();
  EXPECT_EQ(w->Form3->Button1->text(), "更新");
  EXPECT_EQ(w->Form3->Edit2->text(), "Motors");
  w->Form3->Edit2->setText("Aa motors");
  answer(true);
  w->Form3Button1Click();
  EXPECT_EQ(w->ComboBox2->itemText(0), "Aa motors | " + QDir::toNativeSeparators(lib));

  // The next start finds it again.
  EXPECT_EQ(
      readLibraryFolders(paths.settingsFile.toStdString()),
      (std::vector<std::string>{("Aa motors | " + QDir::toNativeSeparators(lib)).toStdString()}));
  auto again = std::make_unique<TForm2>(paths, &sim.desktop());
  EXPECT_EQ(again->ComboBox2->count(), 1);

  // Choosing it goes there; a folder that is gone says so.
  w->setLibraryFolder(dir.path());
  w->ComboBox2->setCurrentIndex(0);
  w->ComboBox2Change();
  EXPECT_EQ(w->libraryFolder(), QDir::toNativeSeparators(lib));
  QDir(lib).removeRecursively();
  said = testing::closeNextMessageBox();
  w->ComboBox2Change();
  EXPECT_TRUE(said->endsWith("が見つかりません.")) << said->toStdString();
  answer(true);
  w->N6Click();
  EXPECT_EQ(w->ComboBox2->count(), 0);
}

TEST_F(LibraryPage, WblockWritesIntoTheCurrentFolderAndListsTheNewFile) {
  w->setLibraryFolder(lib);
  cad::Document doc = cad::attachCad(w->CadProgId()).activeDocument();
  cad::Block b = doc.blocks().add({0, 0, 0}, "PUMP");
  b.addCircle({0, 0, 0}, 3);
  std::string h = doc.modelSpace().insertBlock({0, 0, 0}, "PUMP").handle();
  w->Edit48->setText("x");
  sim.operatorPick(h);
  w->Button17Click();
  EXPECT_EQ(w->Edit48->text(), "*");
  EXPECT_TRUE(files().contains("PUMP.dwg")) << files().join(",").toStdString();
}

// The simulated CAD inserts DXF drawings: they are listed beside the .dwg files, and one without a
// stored preview is drawn from its geometry, cropped and centred as stored previews are.
TEST_F(LibraryPage, OnTheSimulatedCadDxfDrawingsAreListedAndDrawnFromTheirGeometry) {
  QDir(dir.path()).mkpath("dxf");
  writeFile("dxf/A.dwg", "x");
  writeFile("dxf/notes.txt", "x");
  cad::Block ms = cad::attachCad(w->CadProgId()).activeDocument().modelSpace();
  ms.addLine({0, 0, 0}, {100, 0, 0});
  ms.addCircle({100, 50, 0}, 20);  // all in all 120 wide and 70 high
  sim.writeDxf(file("dxf/PART.dxf").toStdString());
  w->setLibraryFolder(file("dxf"));
  EXPECT_EQ(files(), (QStringList{"A.dwg", "PART.dxf"}));
  w->Edit48->setText("AR");
  ASSERT_EQ(files(), (QStringList{"PART.dxf"}));
  w->FileListBox1->setCurrentRow(0);
  EXPECT_EQ(w->Label33->text(), "") << "no stored preview";
  QImage shown = w->Image2->pixmap().toImage();
  ASSERT_EQ(shown.size(), QSize(225, 229));
  QRect drawn;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      if (shown.pixelColor(x, y) != Qt::black) drawn |= QRect(x, y, 1, 1);
  ASSERT_FALSE(drawn.isEmpty());
  EXPECT_NEAR(drawn.width(), 0.9 * 225, 2) << "as wide as a stored preview is shown";
  EXPECT_NEAR(drawn.height(), drawn.width() * 70 / 120.0, 3);
  EXPECT_NEAR(drawn.center().x(), 112, 2);
  EXPECT_NEAR(drawn.center().y(), 114, 2);

  // With a real CAD the library keeps to "*.dwg".
  auto platform = cad::makePlatformDesktop();
  TForm2 real(paths, platform.get());
  real.setLibraryFolder(file("dxf"));
  QStringList listed;
  for (int i = 0; i < real.FileListBox1->count(); ++i)
    listed << real.FileListBox1->item(i)->text();
  EXPECT_EQ(listed, (QStringList{"A.dwg"}));
}

}  // namespace
}  // namespace qarn::app
