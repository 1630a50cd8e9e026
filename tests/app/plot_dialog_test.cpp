// The drawing window's "印刷 (PDF)…" as a person uses it: the dialog's choices reach the sheet
// the PLOT command writes, and a cancelled dialog writes nothing.
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include "../app/gui_fixture.h"
#include "cad/connection.h"
#include "cad/sim/sim_cad.h"
#include "simview/plot_dialog.h"
#include "simview/sim_cad_window.h"

namespace qarn::simview {
namespace {

class PlotDialogTest : public app::testing::GuiTest {
 protected:
  PlotDialogTest() : window(cad) {
    session.desktop = &cad.desktop();
    cad.registerAs(session.CadProgId);
    cad::attachCad(session.CadProgId)
        .activeDocument()
        .modelSpace()
        .addLine({0, 0, 0}, {300, 100, 0});
  }
  ~PlotDialogTest() override { askPlotChoice = real; }
  void print() {
    for (QAction* a : window.menuBar()->findChildren<QAction*>())
      if (a->text() == "印刷 (PDF)…") return a->trigger();
    ADD_FAILURE() << "no 印刷 (PDF)… in the menu";
  }
  QByteArray pdf(const QString& name) const { return readFile(name); }

  cad::sim::SimCad cad;
  SimCadWindow window;
  cad::Session session;
  decltype(askPlotChoice) real = askPlotChoice;
};

TEST_F(PlotDialogTest, TheDialogsChoicesReachTheSheetAndCancelWritesNothing) {
  app::testing::onNextModal([this](QWidget* d) {
    d->findChild<QComboBox*>("PlotPaper")->setCurrentIndex(1);
    d->findChild<QComboBox*>("PlotOrientation")->setCurrentIndex(1);
    d->findChild<QLineEdit*>("PlotFile")->setText(file("a3.pdf"));
    d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  print();
  EXPECT_TRUE(pdf("a3.pdf").contains("/MediaBox [0 0 1190.55 841.89]"));
  EXPECT_TRUE(window.transcriptBox()->toPlainText().contains("a3.pdf に印刷しました"));

  PlotChoice asked;
  askPlotChoice = [&](QWidget*, const PlotChoice& defaults) -> std::optional<PlotChoice> {
    asked = defaults;
    return std::nullopt;
  };
  print();
  EXPECT_TRUE(asked.file.endsWith(".pdf")) << asked.file.toStdString();
  EXPECT_FALSE(asked.a3 || asked.landscape || asked.colour || asked.window || asked.scale);

  // A window typed as corners, to scale: the line's middle only, on A4 portrait.
  askPlotChoice = [&](QWidget*, const PlotChoice&) -> std::optional<PlotChoice> {
    PlotChoice c;
    c.window = std::make_pair(cad::Point3{100, 0, 0}, cad::Point3{200, 100, 0});
    c.scale = 2;
    c.file = file("window.png");
    return c;
  };
  print();
  EXPECT_TRUE(pdf("window.png").startsWith("\x89PNG"));
  EXPECT_EQ(plotCommandLine(askPlotChoice(nullptr, {}).value()),
            "PLOT A4 P W 100,0 200,100 1:2 N \"" + file("window.png") + "\"");
}

}  // namespace
}  // namespace qarn::simview
