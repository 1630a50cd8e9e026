#include <QFile>

#include "../app/gui_fixture.h"
#include "cad/sim/sim_cad.h"

namespace qarn::app {
namespace {

class ToolsPage : public testing::GuiTest {
 protected:
  ToolsPage() {
    w = std::make_unique<TForm2>(paths, &sim.desktop());
    sim.registerAs(w->CadProgId());
    doc = cad::attachCad(w->CadProgId()).activeDocument();
    cad::Block b = doc.blocks().add({0, 0, 0}, "DOT");
    b.addCircle({0, 0, 0}, 1);
  }
  std::string at(double x, double y) {
    return doc.modelSpace().insertBlock({x, y, 0}, "DOT").handle();
  }
  cad::Point3 where(const std::string& h) { return sim.drawing().findEntity(h)->p1; }
  cad::sim::SimCad sim;
  std::unique_ptr<TForm2> w;
  cad::Document doc;
};

// Each button of a shared handler gives it its axis and reference.
TEST_F(ToolsPage, TheFourAlignmentButtonsChooseAxisAndReference) {
  EXPECT_TRUE(w->PageControl1->isTabVisible(5));
  EXPECT_EQ(w->Button7->text(), "水１列平スペース揃え（ブロック基準）");
  std::string a = at(0, 0), b = at(10, 30);
  sim.operatorSelect({a, b});
  sim.operatorPick(b);
  sim.operatorEnter();
  w->Button13->click();
  EXPECT_EQ(where(a).x, 10);
  EXPECT_EQ(where(a).y, 0);
  sim.operatorSelect({a, b});
  sim.operatorPoint(50, 50);
  sim.operatorDistance(10);
  w->Button14->click();
  EXPECT_EQ(where(a).x, 45);
  EXPECT_EQ(where(b).x, 55);
  EXPECT_EQ(where(b).y, 50);
  sim.operatorSelect({a, b});
  sim.operatorPoint(0, 0);
  sim.operatorDistance(10);
  w->Button15->click();
  EXPECT_EQ(where(a).y, 5);
  EXPECT_EQ(where(b).y, -5);
  sim.operatorSelect({a, b});
  sim.operatorPick(a);
  sim.operatorEnter();
  w->Button11->click();
  EXPECT_EQ(where(b).y, 5);
}

TEST_F(ToolsPage, ScriptButtonsSendTheirCommandsAndLoadFromTheExecutableFolder) {
  QFile f(file("wiresize.lsp"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  w->Button24->click();
  w->Button26->click();
  w->Button21->click();
  std::string folder = dir.path().toStdString() + "/";
  EXPECT_EQ(sim.transcript(), (std::vector<std::string>{"(if (not c:cdsize)(load \"" + folder +
                                                            "wiresize.lsp\"))(princ)\r",
                                                        "cdsize\r", "swinfo\r", "pbal\r"}));
}

TEST_F(ToolsPage, TheJoinButtonsChooseTheMode) {
  cad::Block b = doc.blocks().add({0, 0, 0}, "TAG");
  b.addAttribute(5, 0, "n", {0, 6, 0}, "NAME", "MC");
  b.addAttribute(5, 0, "n", {0, 0, 0}, "NAME1", "12");
  std::string r = doc.modelSpace().insertBlock({0, 0, 0}, "TAG").handle();
  sim.operatorSelect({r});
  w->Button16->click();  // NAME1 holds text: left alone
  EXPECT_EQ(sim.drawing().findEntity(r)->attributes.size(), 2u);
  sim.operatorSelect({r});
  w->Button9->click();
  EXPECT_EQ(sim.drawing().findEntity(r)->attributes.size(), 1u);
}

}  // namespace
}  // namespace qarn::app
