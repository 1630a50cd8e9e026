#include "inspect/attribute_editor.h"

#include <gtest/gtest.h>

#include "inspect_fixture.h"

namespace qarn::inspect {
namespace {

using testing::FrameTexts;

class AttributeEditor : public testing::InspectTest {
 protected:
  std::vector<std::string> column(int col) const {
    std::vector<std::string> out;
    for (int r = 1; r < grid.table.rowCount(); ++r)
      out.push_back(grid.table.cell(col, r));
    return out;
  }
  AttributeGrid grid;
};

TEST_F(AttributeEditor, GetReadsTheFiveTagsOfPickedFramesSortedLeftToRight) {
  std::string a = frame(300, 0, {"MC2", "S-T10", "AC200V", "x"});
  std::string b = frame(100, 10, {"MC1", "S-T12", "11kW", ""});
  std::string line = doc.modelSpace().addLine({}, {5, 5, 0}).handle();
  std::string c = frame(200, -10, {"CB1", "NF32", "3P", "φ22"});
  cad.operatorSelect({a, line, b, c});
  GetResult r = GetAttributes(session, grid);
  ASSERT_EQ(r.status, GetResult::Status::Rows);
  EXPECT_EQ(r.rows, 3);
  // The line is not picked (filter INSERT); No is the index in the selection set.
  EXPECT_EQ(column(kColNo), (std::vector<std::string>{"2", "3", "1"}));
  EXPECT_EQ(column(kColName), (std::vector<std::string>{"MC1", "CB1", "MC2"}));
  EXPECT_EQ(column(kColType), (std::vector<std::string>{"S-T12", "NF32", "S-T10"}));
  EXPECT_EQ(column(kColAux1), (std::vector<std::string>{"", "φ22", "x"}));
  EXPECT_EQ(column(kColBlock), (std::vector<std::string>{b, c, a}));
  EXPECT_EQ(column(kColX), (std::vector<std::string>{"100", "200", "300"}));
  EXPECT_EQ(column(kColY), (std::vector<std::string>{"10", "-10", "0"}));
  EXPECT_EQ(grid.table.cell(kColName + 9, 1), attribute(b, "NAME")->handle);
  EXPECT_EQ(grid.table.cell(kColSpec + 9, 3), attribute(a, "SPEC")->handle);
  EXPECT_EQ(grid.table.cell(kColName1, 1), "");
  EXPECT_EQ(grid.table.cell(kColName1 + 9, 1), "") << "the frame has no NAME1";
  EXPECT_EQ(grid.table.cell(kColAux2, 1), "") << "AUX2 is not read";
  // The main window went away for the pick and came back; the CAD was brought forward.
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));
  EXPECT_EQ(cad.desktop().events().back(), "escape");
}

TEST_F(AttributeEditor, GetSortsTopToBottomWhenTheFramesSpreadMoreInY) {
  std::string a = frame(0, 100, {"K1", "", "", ""});
  std::string b = frame(10, 300, {"K2", "", "", ""});
  std::string c = frame(20, 200, {"K3", "", "", ""});
  cad.operatorSelect({a, b, c});
  GetAttributes(session, grid);
  EXPECT_EQ(column(kColName), (std::vector<std::string>{"K2", "K3", "K1"}));
  // An equal spread sorts by X.
  std::string d = frame(0, 0, {"E1", "", "", ""});
  std::string e = frame(50, 50, {"E2", "", "", ""});
  cad.operatorSelect({e, d});
  GetAttributes(session, grid);
  EXPECT_EQ(column(kColName), (std::vector<std::string>{"E1", "E2"}));
}

TEST_F(AttributeEditor, PickingNothingOrNoFrameLeavesOrEmptiesTheGrid) {
  std::string a = frame(0, 0, {"K1", "T", "S", ""});
  cad.operatorSelect({a});
  ASSERT_EQ(GetAttributes(session, grid).status, GetResult::Status::Rows);
  cad.operatorEnter();  // nothing picked
  EXPECT_EQ(GetAttributes(session, grid).status, GetResult::Status::NothingPicked);
  EXPECT_EQ(column(kColName), (std::vector<std::string>{"K1"}));
  // A block with attributes, none of them one of the five tags.
  cad::Block other = doc.blocks().add({0, 0, 0}, "OTHER");
  other.addAttribute(5, 0, "p", {0, 0, 0}, "CUT", "C:22");
  std::string o = doc.modelSpace().insertBlock({0, 0, 0}, "OTHER").handle();
  std::string plain = doc.modelSpace().insertBlock({0, 0, 0}, "TOVEK_RA100").handle();
  cad.operatorSelect({o});
  EXPECT_EQ(GetAttributes(session, grid).status, GetResult::Status::NoBlocks);
  EXPECT_EQ(grid.table.rowCount(), 2);
  EXPECT_EQ(column(kColName), (std::vector<std::string>{""}));
  EXPECT_EQ(column(kColBlock), (std::vector<std::string>{""}));
  (void)plain;
}

TEST_F(AttributeEditor, AnAutomationErrorDuringGetLeavesTheGridAsItWas) {
  std::string a = frame(0, 0, {"K1", "T", "S", ""});
  std::string b = frame(10, 0, {"K2", "T", "S", ""});
  cad.operatorSelect({a});
  GetAttributes(session, grid);
  cad.operatorSelect({a, b});
  cad.failMember("TextString");
  EXPECT_EQ(GetAttributes(session, grid).status, GetResult::Status::Failed);
  cad.clearFaults();
  EXPECT_EQ(column(kColName), (std::vector<std::string>{"K1"}));
  EXPECT_EQ(window.events.back(), "restore");
}

TEST_F(AttributeEditor, UpdateWritesEveryEditedTextInOneUndoGroupAndPassesOverErasedOnes) {
  std::string a = frame(0, 0, {"K1", "T1", "S1", ""});
  std::string b = frame(100, 0, {"K2", "T2", "S2", ""});
  cad.operatorSelect({a, b});
  GetAttributes(session, grid);
  grid.table.setCell(kColName, 1, "MC1");
  grid.table.setCell(kColSpec, 1, "AC100V");
  grid.table.setCell(kColType, 2, "NEW");
  grid.table.setCell(kColAux2, 2, "never written");  // no handle: shaded, never written
  doc.handleToObject(attribute(a, "TYPE")->handle).erase();
  long regens = cad.callCount("Regen");
  WriteResult w = UpdateAttributes(session, grid);
  EXPECT_EQ(w.message, "");
  EXPECT_EQ(attribute(a, "NAME")->text, "MC1");
  EXPECT_EQ(attribute(a, "SPEC")->text, "AC100V");
  EXPECT_EQ(attribute(b, "TYPE")->text, "NEW");
  EXPECT_EQ(attribute(b, "AUX2")->text, "");
  EXPECT_EQ(w.written, 7);  // 8 attributes read, one erased since
  EXPECT_EQ(cad.openUndoGroups(), 0);
  EXPECT_EQ(cad.callCount("Regen"), regens + 1);
  // One undo step takes every write back.
  ASSERT_TRUE(cad.undo());
  EXPECT_EQ(attribute(a, "NAME")->text, "K1");
  EXPECT_EQ(attribute(b, "TYPE")->text, "T2");
}

// The split: NAME keeps what comes before "^" and moves up 0.6 text heights, a new NAME1 with
// the rest sits 0.6 heights below where NAME was.
TEST_F(AttributeEditor, ACaretInNameMakesANameOneAttributeBelowIt) {
  std::string a = frame(0, 0, {"K1", "T", "", ""});
  cad.operatorSelect({a});
  GetAttributes(session, grid);
  const cad::sim::Entity before = *attribute(a, "NAME");
  grid.table.setCell(kColName, 1, "K1^K2^K3");
  UpdateAttributes(session, grid);
  const cad::sim::Entity* name = attribute(a, "NAME");
  const cad::sim::Entity* name1 = attribute(a, "NAME1");
  ASSERT_NE(name1, nullptr);
  EXPECT_EQ(name->text, "K1");
  EXPECT_EQ(name1->text, "K2^K3");
  EXPECT_NEAR(name->p1.y - before.p1.y, 0.6 * before.height, 1e-9);
  EXPECT_NEAR(before.p1.y - name1->p1.y, 0.6 * before.height, 1e-9);
  EXPECT_NEAR(name->p1.y - name1->p1.y, 1.2 * before.height, 1e-9);
  EXPECT_DOUBLE_EQ(name1->p1.x, before.p1.x);
  EXPECT_EQ(grid.table.cell(kColName, 1), "K1");
  EXPECT_EQ(grid.table.cell(kColName1, 1), "K2^K3");
  EXPECT_EQ(grid.table.cell(kColName1 + 9, 1), name1->handle);
  EXPECT_EQ(cad.drawing().findEntity(a)->attributes.size(), 7u);

  // Now the row has a NAME1: a caret is written as it stands, even with NAME1 emptied.
  grid.table.setCell(kColName, 1, "Q1^Q2");
  grid.table.setCell(kColName1, 1, "");
  UpdateAttributes(session, grid);
  EXPECT_EQ(attribute(a, "NAME")->text, "Q1^Q2");
  EXPECT_EQ(attribute(a, "NAME1")->text, "");
  EXPECT_EQ(cad.drawing().findEntity(a)->attributes.size(), 7u) << "no second NAME1";
}

// Text typed into the NAME1 cell of a block without NAME1 keeps NAME from splitting, by Update
// and by Enter alike: the caret is written as it stands and no NAME1 is made.
TEST_F(AttributeEditor, ATypedNameOneCellKeepsNameFromSplitting) {
  for (bool enter : {false, true}) {
    std::string a = frame(0, 0, {"K1", "T", "", ""});
    cad.operatorSelect({a});
    GetAttributes(session, grid);
    grid.table.setCell(kColName, 1, "K1^K2");
    grid.table.setCell(kColName1, 1, "MINE");
    if (enter)
      EnterKeyWrite(session, grid, kColName, 1);
    else
      UpdateAttributes(session, grid);
    EXPECT_EQ(attribute(a, "NAME")->text, "K1^K2") << enter;
    EXPECT_EQ(attribute(a, "NAME1"), nullptr) << enter;
    EXPECT_EQ(grid.table.cell(kColName1, 1), "MINE") << enter;
    EXPECT_EQ(grid.table.cell(kColName1 + 9, 1), "") << enter;
  }
}

TEST_F(AttributeEditor, ASplitTheCadRefusesHalfWayLeavesNoSecondNameBehind) {
  std::string a = frame(0, 0, {"K1", "T", "", ""});
  cad.operatorSelect({a});
  GetAttributes(session, grid);
  const cad::sim::Entity before = *attribute(a, "NAME");
  grid.table.setCell(kColName, 1, "K1^K2");
  cad.failMember("TagString");
  UpdateAttributes(session, grid);
  cad.clearFaults();
  EXPECT_EQ(cad.drawing().findEntity(a)->attributes.size(), 6u);
  EXPECT_EQ(attribute(a, "NAME")->text, "K1");
  EXPECT_DOUBLE_EQ(attribute(a, "NAME")->p1.y, before.p1.y);
  EXPECT_EQ(grid.table.cell(kColName1 + 9, 1), "");
  EXPECT_EQ(cad.openUndoGroups(), 0);
}

TEST_F(AttributeEditor, WritesGoOnlyIntoTheDrawingAndAttributesTheGridWasReadFrom) {
  std::string a = frame(0, 0, {"K1", "T1", "", ""});
  cad.operatorSelect({a});
  GetAttributes(session, grid);
  // A second drawing from the same template holds the same handles.
  cad.addDocument();
  cad::Document second = app.activeDocument();
  frames::EnsureFrameBlock(second, "TOVEK_RA100", session.CadProgId);
  cad::BlockReference other = second.modelSpace().insertBlock({0, 0, 0}, "TOVEK_RA100");
  grid.table.setCell(kColName, 1, "MC9");
  WriteResult w = UpdateAttributes(session, grid);
  EXPECT_NE(w.message.find("Drawing1.dwg"), std::string::npos) << w.message;
  EXPECT_EQ(w.written, 0);
  EXPECT_EQ(EnterKeyWrite(session, grid, kColName, 1).written, 0);
  for (const cad::Attribute& att : other.getAttributes())
    EXPECT_EQ(att.textString(), "");
}

TEST_F(AttributeEditor, AHandleOfAnotherTagIsNotWritten) {
  std::string a = frame(0, 0, {"K1", "T1", "S1", ""});
  cad.operatorSelect({a});
  GetAttributes(session, grid);
  grid.table.setCell(kColName + 9, 1, grid.table.cell(kColType + 9, 1));
  grid.table.setCell(kColName, 1, "WRONG");
  grid.table.setCell(kColAux1 + 9, 1, a);  // the block itself, not an attribute
  grid.table.setCell(kColAux1, 1, "WRONG");
  UpdateAttributes(session, grid);
  EXPECT_EQ(attribute(a, "TYPE")->text, "T1");
  EXPECT_EQ(attribute(a, "NAME")->text, "K1");
  // The definition of NAME in the frame block has the tag too, but is no attribute of a frame.
  std::string definition;
  for (const auto& h : cad.drawing().findBlock("TOVEK_RA100")->entities)
    if (cad.drawing().findEntity(h)->tag == "NAME") definition = h;
  ASSERT_FALSE(definition.empty());
  grid.table.setCell(kColName + 9, 1, definition);
  UpdateAttributes(session, grid);
  EXPECT_EQ(cad.drawing().findEntity(definition)->text, "");
}

TEST_F(AttributeEditor, EnterWritesTheOneCellAndMovesDownWrappingToTheTop) {
  std::string a = frame(0, 0, {"K1", "T1", "", ""});
  std::string b = frame(100, 0, {"K2", "T2", "", ""});
  cad.operatorSelect({a, b});
  GetAttributes(session, grid);
  grid.table.setCell(kColType, 2, "X2");
  grid.table.setCell(kColType, 1, "X1");
  WriteResult w = EnterKeyWrite(session, grid, kColType, 2);
  EXPECT_EQ(w.written, 1);
  EXPECT_EQ(attribute(b, "TYPE")->text, "X2");
  EXPECT_EQ(attribute(a, "TYPE")->text, "T1") << "only the current cell";
  EXPECT_EQ(cad.openUndoGroups(), 0);
  // Columns outside the texts write nothing.
  EXPECT_EQ(EnterKeyWrite(session, grid, kColNo, 1).written, 0);
  EXPECT_EQ(EnterKeyWrite(session, grid, kColBlock, 1).written, 0);
  EXPECT_EQ(EnterKeyNextRow(grid.table, 1), 2);
  EXPECT_EQ(EnterKeyNextRow(grid.table, 2), 1);
  // Enter on NAME splits as Update does.
  grid.table.setCell(kColName, 1, "A^B");
  EnterKeyWrite(session, grid, kColName, 1);
  ASSERT_NE(attribute(a, "NAME1"), nullptr);
  EXPECT_EQ(attribute(a, "NAME1")->text, "B");
}

// A cell pasted from a spreadsheet loses its line break at the end; a line break or tab inside
// a cell is refused before anything is written, naming the cell.
TEST_F(AttributeEditor, LineBreaksInCellsAreDroppedAtTheEndAndRefusedInside) {
  std::string a = frame(0, 0, {"K1", "T1", "S1", ""});
  std::string b = frame(100, 0, {"K2", "T2", "S2", ""});
  cad.operatorSelect({a, b});
  GetAttributes(session, grid);
  grid.table.setCell(kColName, 1, "MC1\r\n");
  grid.table.setCell(kColType, 1, "X1\n");
  EXPECT_EQ(EnterKeyWrite(session, grid, kColName, 1).written, 1);
  EXPECT_EQ(attribute(a, "NAME")->text, "MC1");
  EXPECT_EQ(grid.table.cell(kColName, 1), "MC1") << "the grid shows what was written";
  grid.table.setCell(kColSpec, 2, "AC\n200V");
  long writes = cad.callCount("TextString");
  for (auto write : {+[](cad::Session& s, AttributeGrid& g) { return UpdateAttributes(s, g); },
                     +[](cad::Session& s, AttributeGrid& g) {
                       return EnterKeyWrite(s, g, kColSpec, 2);
                     }}) {
    WriteResult w = write(session, grid);
    EXPECT_NE(w.message.find("SPEC 2 行目"), std::string::npos) << w.message;
    EXPECT_EQ(w.written, 0);
  }
  EXPECT_EQ(cad.callCount("TextString"), writes) << "nothing written";
  EXPECT_EQ(attribute(a, "TYPE")->text, "T1");
  EXPECT_EQ(attribute(b, "SPEC")->text, "S2");
  EXPECT_EQ(cad.openUndoGroups(), 0);
}

TEST_F(AttributeEditor, AClickCentresTheViewOnTheAttributeAndMarksItWithAnArrow) {
  std::string a = frame(40, 60, {"K1", "T1", "", ""});
  cad.operatorSelect({a});
  GetAttributes(session, grid);
  long zooms = cad.callCount("ZoomCenter");
  MarkClickedAttribute(session, grid, kColName, 1);
  EXPECT_EQ(cad.callCount("ZoomCenter"), zooms + 2);
  ASSERT_EQ(cad.desktop().markers().size(), 1u);
  const cad::ViewMarker& m = cad.desktop().markers()[0];
  // SCREENSIZE 1600 x 900: centre (800, 450), L = 80, half-height 40.
  ASSERT_EQ(m.lines.size(), 3u);
  EXPECT_EQ((std::vector<int>{m.lines[0].x0, m.lines[0].y0, m.lines[0].x1, m.lines[0].y1}),
            (std::vector<int>{800, 450, 720, 410}));
  EXPECT_EQ((std::vector<int>{m.lines[1].x1, m.lines[1].y1}), (std::vector<int>{720, 490}));
  EXPECT_EQ((std::vector<int>{m.lines[2].x1, m.lines[2].y1}), (std::vector<int>{800, 450}));
  EXPECT_EQ(m.penWidth, 3);
  EXPECT_FALSE(m.xorMode);
  EXPECT_EQ(m.red, 255u);
  EXPECT_EQ(m.green, 100u);
  EXPECT_EQ(cad.desktop().events().back(), "marker " + std::to_string(cad.documentWindow()));
  // A cell without an attribute, or the number column, does nothing.
  MarkClickedAttribute(session, grid, kColName1, 1);
  MarkClickedAttribute(session, grid, kColNo, 1);
  EXPECT_EQ(cad.desktop().markers().size(), 1u);
}

class PcadMarker : public AttributeEditor {};

TEST_F(PcadMarker, TakesTheWindowSizeTimesTheMonitorScaleForPcad) {
  cad::Application a = app;
  cad.desktop().addWindow(cad.documentWindow(), 1000, 600);
  cad.desktop().setMonitorScale(150);
  MarkViewCenter(a, cad.desktop(), "PCAD.Application", {0, 0, 0}, 2, true, 0.1);
  ASSERT_EQ(cad.desktop().markers().size(), 1u);
  const cad::ViewMarker& m = cad.desktop().markers()[0];
  // 1500 x 900: centre (750, 450), L = 150, half-height 75.
  EXPECT_EQ((std::vector<int>{m.lines[0].x0, m.lines[0].y0, m.lines[0].x1, m.lines[0].y1}),
            (std::vector<int>{750, 450, 600, 375}));
  EXPECT_TRUE(m.xorMode);
}

}  // namespace
}  // namespace qarn::inspect
