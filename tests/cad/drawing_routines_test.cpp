#include <gtest/gtest.h>

#include "cad/drawing_routines.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

using testing::SimFixture;

TEST(LoadLinetype, FileByCadKindWithGcadTestedFirst) {
  struct Case {
    std::string progId;
    std::string file;
  };
  for (const Case& c : std::vector<Case>{
           {"GCAD.Application", "gcadiso.lin"},
           {"ZWCAD.GCAD.Application", "gcadiso.lin"},
           {"BricsGcad.Application", "gcadiso.lin"},
           {"ZWCAD.Application", "zwcadiso.lin"},
           {"BricscadApp.AcadApplication", "iso.lin"},
           {"Pcad.Application", "mm.lin"},
           {"AutoCAD.Application.24", "acadiso.lin"},
           {"IJCAD.Application", "acadiso.lin"},
       }) {
    sim::SimCad cad(sim::CadProfile::forProgId(c.progId));
    Document doc = Application(Object(cad.application())).activeDocument();
    LoadLinetype(doc, "HIDDEN", c.progId);
    ASSERT_EQ(cad.transcript().size(), 1u) << c.progId;
    EXPECT_EQ(cad.transcript()[0], "-LINETYPE\rL\rHIDDEN\r" + c.file + "\r\r") << c.progId;
    EXPECT_TRUE(cad.drawing().findLinetype("HIDDEN")) << c.progId << " loads from its own file";
    EXPECT_EQ(cad.drawing().variables.at("FILEDIA").toInt(), 1);
  }
}

class RoutinesTest : public SimFixture {};

TEST_F(RoutinesTest, LoadLinetypeSendsNothingWhenTheDrawingHasIt) {
  LoadLinetype(doc, "PHANTOM", session.CadProgId);
  LoadLinetype(doc, "PHANTOM", session.CadProgId);
  LoadLinetype(doc, "phantom", session.CadProgId);  // names ignore case in the CAD
  EXPECT_EQ(cad.transcript().size(), 1u);
  EXPECT_EQ(cad.callCount("SetVariable"), 2) << "FILEDIA 0 then 1, once";
}

TEST_F(RoutinesTest, LoadLinetypeTurnsTheFileDialogOffWhileLoading) {
  // Were FILEDIA left on, the CAD would open a file dialog and load nothing.
  doc.sendCommand("-LINETYPE\rL\rCENTER\riso.lin\r\r");
  EXPECT_FALSE(cad.drawing().findLinetype("CENTER"));
  LoadLinetype(doc, "CENTER", session.CadProgId);
  EXPECT_TRUE(cad.drawing().findLinetype("CENTER"));
}

TEST_F(RoutinesTest, EnsureLayerCreatesWithColourAndLoadedLinetype) {
  EnsureLayer(doc, "TOVEK_SIDE", 4, "HIDDEN", session.CadProgId);
  const sim::Layer* l = cad.drawing().findLayer("TOVEK_SIDE");
  ASSERT_TRUE(l);
  EXPECT_EQ(l->color, 4);
  EXPECT_EQ(l->linetype, "HIDDEN");
  ASSERT_EQ(cad.transcript().size(), 1u);

  EnsureLayer(doc, "TOVEK_NAME", 2, "", session.CadProgId);
  EXPECT_EQ(cad.drawing().findLayer("TOVEK_NAME")->linetype, "Continuous");
  EXPECT_EQ(cad.transcript().size(), 1u) << "no linetype asked, none loaded";
}

TEST_F(RoutinesTest, EnsureLayerLeavesAnExistingLayerAsItIs) {
  Layer user = doc.layers().add("TOVEK_FRONT");
  user.setColor(5);
  EnsureLayer(doc, "TOVEK_FRONT", 1, "HIDDEN", session.CadProgId);
  EnsureLayer(doc, "tovek_front", 1, "HIDDEN", session.CadProgId);
  const sim::Layer* l = cad.drawing().findLayer("TOVEK_FRONT");
  EXPECT_EQ(l->color, 5);
  EXPECT_EQ(l->linetype, "Continuous");
  EXPECT_TRUE(cad.transcript().empty());
  EXPECT_EQ(cad.drawing().layers.size(), 2u);
}

TEST_F(RoutinesTest, EnsureLayerKeepsTheDefaultLinetypeWhenLoadingFails) {
  EnsureLayer(doc, "WIRES", 3, "NOSUCHTYPE", session.CadProgId);
  const sim::Layer* l = cad.drawing().findLayer("WIRES");
  ASSERT_TRUE(l);
  EXPECT_EQ(l->color, 3);
  EXPECT_EQ(l->linetype, "Continuous");
  EXPECT_EQ(cad.transcript().size(), 1u) << "it tried to load";
}

TEST_F(RoutinesTest, EnsureLayerUsesAnAlreadyLoadedLinetypeWithoutSending) {
  LoadLinetype(doc, "DASHED", session.CadProgId);
  EnsureLayer(doc, "CABLE", 6, "DASHED", session.CadProgId);
  EXPECT_EQ(cad.drawing().findLayer("CABLE")->linetype, "DASHED");
  EXPECT_EQ(cad.transcript().size(), 1u);
}

}  // namespace
}  // namespace qarn::cad
