#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "cad/automation_error.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

class SimStrictness : public testing::SimFixture {};

std::string lowerCase(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

int codeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.code();
  }
  return 0;
}

TEST_F(SimStrictness, RefusesUnknownMembersAndWrongArgumentForms) {
  Block ms = doc.modelSpace();
  Object msObj = ms.object();
  EXPECT_EQ(codeOf([&] { msObj.call("AddSpline"); }), status::kMemberNotFound);
  EXPECT_EQ(codeOf([&] {
              doc.linetypes().object().call("Load", {"HIDDEN", "acadiso.lin"});
            }),
            status::kMemberNotFound)
      << "linetypes come only through the -LINETYPE command";

  // A point is exactly three doubles: not two, not four, not variants, not integers.
  std::vector<Value> bad{Value(std::vector<double>{0, 0}), Value(std::vector<double>{0, 0, 0, 0}),
                         Value(std::vector<Value>{0.0, 0.0, 0.0}), Value(0), Value("0,0,0")};
  for (const Value& p : bad) {
    EXPECT_NE(codeOf([&] { msObj.call("AddCircle", {p, 5.0}); }), 0) << p.describe();
  }
  EXPECT_NE(codeOf([&] {
              msObj.call("AddLightWeightPolyline", {Value(std::vector<double>{0, 0, 1})});
            }),
            0);
  EXPECT_NE(codeOf([&] {
              msObj.call("AddLightWeightPolyline", {Value(std::vector<double>{0, 0})});
            }),
            0);
  EXPECT_EQ(codeOf([&] { msObj.call("AddLine", {pointValue(0, 0)}); }), status::kBadParamCount);
  EXPECT_EQ(codeOf([&] { msObj.call("AddCircle", {pointValue(0, 0), 0.0}); }), status::kException);
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty()) << "nothing half-made stays";
  // Numbers coerce as the CAD's variant conversion does.
  EXPECT_NO_THROW(msObj.call("AddCircle", {pointValue(0, 0), "2.5"}));
  EXPECT_NO_THROW(msObj.call("AddCircle", {pointValue(0, 0), Currency::fromDouble(3)}));
}

TEST_F(SimStrictness, ErasedAndUnknownHandlesAnswerWithErrors) {
  Entity line = doc.modelSpace().addLine({0, 0, 0}, {10, 0, 0});
  std::string h = line.handle();
  EXPECT_EQ(doc.handleToObject(h).entityName(), "AcDbLine");
  EXPECT_EQ(doc.handleToObject(lowerCase(h)).handle(), h) << "handles are hexadecimal, any case";
  line.erase();
  EXPECT_THROW(line.layer(), AutomationError);
  EXPECT_THROW(line.erase(), AutomationError);
  EXPECT_THROW(doc.handleToObject(h), AutomationError);
  EXPECT_THROW(doc.handleToObject("ZZZ"), AutomationError);
}

TEST_F(SimStrictness, HandlesAreUniqueAndNeverReusedEvenAfterUndo) {
  std::set<std::string> seen;
  for (const sim::Layer& l : cad.drawing().layers)
    seen.insert(l.handle);
  for (const sim::Block& b : cad.drawing().blocks)
    seen.insert(b.handle);
  doc.startUndoMark();
  for (int i = 0; i < 5; ++i)
    EXPECT_TRUE(seen.insert(doc.modelSpace().addCircle({0, 0, 0}, 1 + i).handle()).second);
  doc.endUndoMark();
  ASSERT_TRUE(cad.undo());
  for (int i = 0; i < 5; ++i)
    EXPECT_TRUE(seen.insert(doc.modelSpace().addCircle({0, 0, 0}, 1).handle()).second);
  for (const std::string& h : seen)
    EXPECT_EQ(h.find_first_not_of("0123456789ABCDEF"), std::string::npos) << h;
}

TEST_F(SimStrictness, NamesMustBeInTheirTables) {
  Entity c = doc.modelSpace().addCircle({0, 0, 0}, 5);
  EXPECT_THROW(c.setLayer("NO_LAYER"), AutomationError);
  EXPECT_THROW(c.setLinetype("HIDDEN"), AutomationError) << "not loaded yet";
  c.setLinetype("BYBLOCK");
  c.setColor(0);
  EXPECT_THROW(c.setColor(257), AutomationError);
  EXPECT_THROW(doc.layers().item("NO_LAYER"), AutomationError);
  EXPECT_THROW(doc.layers().item(1), AutomationError);
  EXPECT_EQ(Layer(doc.layers().item("0")).name(), "0");
  EXPECT_THROW(doc.modelSpace().insertBlock({0, 0, 0}, "NO_BLOCK"), AutomationError);
  EXPECT_THROW(doc.blocks().add({0, 0, 0}, "BAD*NAME"), AutomationError);
  EXPECT_THROW(doc.blocks().add({0, 0, 0}, "*Model_Space"), AutomationError);
  for (const char* bad : {"A/B", "A:B", "A=B", "A|B", " AB", "AB ", "A,B", "A`B", "A\"B", ""})
    EXPECT_THROW(doc.blocks().add({0, 0, 0}, bad), AutomationError) << bad;
  EXPECT_NO_THROW(doc.blocks().add({0, 0, 0}, "A B_SIDE")) << "a blank inside is allowed";
  EXPECT_THROW(doc.getVariable("NOSUCHVAR"), AutomationError);
}

TEST_F(SimStrictness, AnonymousGroupsAreNamedByTheCadAndCanBeDeleted) {
  Entity a = doc.modelSpace().addLine({0, 0, 0}, {1, 0, 0});
  Object g1(doc.groups().object().call("Add", {Value("*")}));
  Object g2(doc.groups().object().call("Add", {Value("*")}));
  EXPECT_EQ(g1.get("Name").toText(), "*A1");
  EXPECT_EQ(g2.get("Name").toText(), "*A2");
  g1.call("AppendItems", {Value(std::vector<Value>{Value(a.object().dispatch())})});
  EXPECT_EQ(g1.get("Count").toInt(), 1);
  EXPECT_TRUE(cad.drawing().groups[0].anonymous);
  EXPECT_THROW(doc.groups().object().call("Add", {Value("A*")}), AutomationError);
  g2.call("Delete");
  EXPECT_EQ(doc.groups().count(), 1);
  EXPECT_THROW(g2.get("Name"), AutomationError) << "a deleted group answers with errors";
  EXPECT_NE(cad.dxf().find("GROUP\n5\n"), std::string::npos);
}

TEST_F(SimStrictness, SystemVariablesKeepTheirTypes) {
  EXPECT_THROW(doc.setVariable("FILEDIA", 0.0), AutomationError) << "an integer variable";
  EXPECT_THROW(doc.setVariable("FILEDIA", "0"), AutomationError);
  doc.setVariable("FILEDIA", 0);
  EXPECT_EQ(doc.getVariable("filedia").toInt(), 0);
  doc.setVariable("DIMSCALE", 10);
  EXPECT_EQ(doc.getVariable("DIMSCALE").kind(), Value::Kind::Double);
  EXPECT_THROW(doc.setVariable("SCREENSIZE", Value(std::vector<double>{1, 1})), AutomationError);
  EXPECT_THROW(doc.setVariable("CLAYER", "NOPE"), AutomationError);
  doc.layers().add("WORK");
  doc.setVariable("CLAYER", "work");
  EXPECT_EQ(doc.getVariable("CLAYER").toText(), "WORK");
  EXPECT_EQ(doc.modelSpace().addLine({0, 0, 0}, {1, 0, 0}).layer(), "WORK")
      << "drawn on the current layer";
  EXPECT_THROW(Layer(doc.layers().item("WORK")).setFreeze(true), AutomationError)
      << "the current layer cannot be frozen";
}

TEST_F(SimStrictness, LockedLayersRefuseChangesToTheirEntities) {
  Layer l = doc.layers().add("LOCKED");
  Entity c = doc.modelSpace().addCircle({0, 0, 0}, 5);
  c.setLayer("LOCKED");
  l.setLock(true);
  EXPECT_THROW(c.move({0, 0, 0}, {1, 1, 0}), AutomationError);
  EXPECT_THROW(c.erase(), AutomationError);
  l.setLock(false);
  EXPECT_NO_THROW(c.erase());
}

TEST_F(SimStrictness, FailsOnDemandAndCountsEveryCall) {
  Block ms = doc.modelSpace();
  cad.resetCounters();
  cad.failCall(2);
  EXPECT_NO_THROW(ms.addLine({0, 0, 0}, {1, 0, 0}));
  EXPECT_THROW(ms.addLine({0, 0, 0}, {2, 0, 0}), AutomationError);
  EXPECT_NO_THROW(ms.addLine({0, 0, 0}, {3, 0, 0})) << "only the n-th call fails";
  cad.failMember("addcircle");
  EXPECT_THROW(ms.addCircle({0, 0, 0}, 1), AutomationError);
  EXPECT_THROW(ms.addCircle({0, 0, 0}, 1), AutomationError);
  cad.clearFaults();
  EXPECT_NO_THROW(ms.addCircle({0, 0, 0}, 1));
  EXPECT_EQ(cad.callCount("AddLine"), 3);
  EXPECT_EQ(cad.callCount("ADDCIRCLE"), 3);
  EXPECT_EQ(cad.callCount(), 6);
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 3u);
}

TEST_F(SimStrictness, UndoTakesBackTheWholeGroupAndANewStartEndsTheOpenGroup) {
  Block ms = doc.modelSpace();
  ms.addLine({0, 0, 0}, {1, 0, 0});
  doc.startUndoMark();
  doc.layers().add("FIRST");
  doc.startUndoMark();  // as in the CAD: the first group ends here and a second one begins
  EXPECT_EQ(cad.openUndoGroups(), 1);
  ms.addCircle({0, 0, 0}, 3);
  Block b = doc.blocks().add({0, 0, 0}, "B1");
  b.addLine({0, 0, 0}, {1, 1, 0});
  doc.endUndoMark();
  EXPECT_EQ(cad.openUndoGroups(), 0);
  EXPECT_NO_THROW(doc.endUndoMark()) << "an end without a start is ignored";
  ASSERT_TRUE(cad.undo());
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 1u);
  EXPECT_FALSE(cad.drawing().findBlock("B1"));
  EXPECT_TRUE(cad.drawing().findLayer("FIRST")) << "the first group is an undo step of its own";
  EXPECT_THROW(b.count(), AutomationError) << "the block object outlived its definition";
  ASSERT_TRUE(cad.undo());
  EXPECT_FALSE(cad.drawing().findLayer("FIRST"));
  ASSERT_TRUE(cad.undo()) << "the line drawn outside any group is a step of its own";
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty());
  EXPECT_FALSE(cad.undo());
}

TEST_F(SimStrictness, DocumentsAndTheActiveDocument) {
  EXPECT_EQ(app.documentCount(), 1);
  cad.addDocument();
  EXPECT_EQ(app.documentCount(), 2);
  cad.closeAllDocuments();
  EXPECT_EQ(app.documentCount(), 0);
  EXPECT_THROW(app.activeDocument(), AutomationError);
  EXPECT_THROW(doc.modelSpace(), AutomationError) << "its document was closed";
}

}  // namespace
}  // namespace qarn::cad

namespace qarn::cad {
namespace {

class ShortVariables : public testing::SimFixture {};

// The CAD's short system variables take a 16-bit integer: the simulated CAD refuses a 32-bit one
// as a real CAD may, and the program always sends the 16-bit kind.
TEST_F(ShortVariables, AreSetAsSixteenBitIntegers) {
  Object raw = doc.object();
  EXPECT_THROW(raw.call("SetVariable", {"FILEDIA", Value(0)}), AutomationError);
  raw.call("SetVariable", {"FILEDIA", Value::int16(0)});
  EXPECT_EQ(doc.getVariable("FILEDIA").kind(), Value::Kind::Int16);
  for (const char* name : {"ATTDIA", "ATTREQ", "FILEDIA", "ORTHOMODE", "OSMODE", "CMDECHO"}) {
    doc.setVariable(name, 1);  // through the facade: goes as 16-bit
    EXPECT_EQ(doc.getVariable(name).toInt(), 1) << name;
    EXPECT_TRUE(isShortVariable(name));
  }
  EXPECT_THROW(doc.setVariable("OSMODE", 70000), AutomationError);
  EXPECT_FALSE(isShortVariable("DIMSCALE"));
  EXPECT_EQ(Value::int16(-3).toDouble(), -3.0);
  EXPECT_EQ(Value::int16(7).describe(), "int16 7");
}

}  // namespace
}  // namespace qarn::cad
