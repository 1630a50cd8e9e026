#include "tools/alignment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../cad/sim_fixture.h"
#include "tools/scripts.h"

namespace qarn::tools {
namespace {

class Alignment : public cad::testing::SimFixture {
 protected:
  Alignment() {
    session.mainWindow = &window;
    cad::Block b = doc.blocks().add({0, 0, 0}, "DOT");
    b.addCircle({0, 0, 0}, 1);
  }
  std::string at(double x, double y, const std::string& block = "DOT") {
    return doc.modelSpace().insertBlock({x, y, 0}, block).handle();
  }
  cad::Point3 where(const std::string& h) const { return cad.drawing().findEntity(h)->p1; }
  // A block whose outline runs from 10 left of its insertion point over `width`, with an attribute
  // and a mounting hole that stick out and do not count.
  void outlineBlock(const std::string& name, double width) {
    if (!cad.drawing().findLayer("TOVEK_CUT")) doc.layers().add("TOVEK_CUT");
    cad::Block b = doc.blocks().add({0, 0, 0}, name);
    b.addLightWeightPolyline({-10, -5, width - 10, -5, width - 10, 5, -10, 5}).setClosed(true);
    b.addAttribute(5, 0, "p", {-50, 0, 0}, "NAME", "WIDE TEXT FAR OUT");
    b.addCircle({0, 0, 0}, 80).setLayer("TOVEK_CUT");
  }
  cad::testing::RecordingWindow window;
};

TEST_F(Alignment, HorizontalByBlockSpacesFromTheReferenceOutward) {
  std::string a = at(40, 7), b = at(0, 3), c = at(10, 20);
  cad.operatorSelect({a, b, c});
  cad.operatorPick(c);
  cad.operatorDistance(25);
  AlignResult r = Button11Click(session, AlignAxis::Horizontal, AlignReference::Block);
  EXPECT_EQ(r.status, AlignResult::Status::Aligned);
  EXPECT_EQ(where(b).x, -15);
  EXPECT_EQ(where(c).x, 10);
  EXPECT_EQ(where(a).x, 35);
  for (const auto& h : {a, b, c})
    EXPECT_EQ(where(h).y, 20);
  EXPECT_EQ(cad.prompts()[1], "基準ブロックを選択 : ");
  EXPECT_EQ(cad.prompts()[2], "新しい間隔を入力 (現在の平均値 = 20.000) <Enter = 変更なし> : ");
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));
}

TEST_F(Alignment, EnterKeepsTheDistancesAndOnlyAligns) {
  std::string a = at(40, 7), b = at(0, 3), c = at(10, 20);
  cad.operatorSelect({a, b, c});
  cad.operatorPick(c);
  cad.operatorEnter();
  long regens = cad.callCount("Regen");
  Button11Click(session, AlignAxis::Horizontal, AlignReference::Block);
  EXPECT_EQ(where(a).x, 40);
  EXPECT_EQ(where(b).x, 0);
  EXPECT_EQ(where(a).y, 20);
  EXPECT_EQ(where(b).y, 20);
  EXPECT_EQ(cad.callCount("Regen"), regens + 1);
}

TEST_F(Alignment, SpreadAboutAPickedCentre) {
  std::vector<std::string> hs = {at(3, 0), at(1, 9), at(7, 4), at(5, 1)};
  cad.operatorSelect(hs);
  cad.operatorPoint(100, 50);
  cad.operatorDistance(10);
  Button11Click(session, AlignAxis::Horizontal, AlignReference::Centre);
  EXPECT_EQ(where(hs[1]).x, 85);
  EXPECT_EQ(where(hs[0]).x, 95);
  EXPECT_EQ(where(hs[3]).x, 105);
  EXPECT_EQ(where(hs[2]).x, 115);
  EXPECT_EQ(where(hs[2]).y, 50);
  // A vertical spread runs top to bottom about the centre.
  cad.operatorSelect(hs);
  cad.operatorPoint(0, 0);
  cad.operatorDistance(4);
  Button11Click(session, AlignAxis::Vertical, AlignReference::Centre);
  // All at y 50 now: the exchange sort keeps the selection order, first at the top.
  EXPECT_EQ(where(hs[0]).x, 0);
  EXPECT_EQ(where(hs[0]).y, 6);
  EXPECT_EQ(where(hs[1]).y, 2);
  EXPECT_EQ(where(hs[3]).y, -6);
}

TEST_F(Alignment, VerticalByBlockRunsTopToBottom) {
  std::string top = at(5, 100), ref = at(9, 80), low = at(2, 30), lowest = at(7, 0);
  cad.operatorSelect({low, top, lowest, ref});
  cad.operatorPick(ref);
  cad.operatorDistance(12);
  Button11Click(session, AlignAxis::Vertical, AlignReference::Block);
  EXPECT_EQ(where(top).y, 92);
  EXPECT_EQ(where(ref).y, 80);
  EXPECT_EQ(where(low).y, 68);
  EXPECT_EQ(where(lowest).y, 56);
  for (const auto& h : {top, ref, low, lowest})
    EXPECT_EQ(where(h).x, 9);
}

TEST_F(Alignment, NoChangeWithoutTwoBlocksAReferenceBlockOrAValue) {
  std::string a = at(0, 0), b = at(10, 10);
  std::string line = doc.modelSpace().addLine({0, 0, 0}, {1, 1, 0}).handle();
  cad.operatorSelect({a});
  EXPECT_EQ(Button11Click(session, AlignAxis::Horizontal, AlignReference::Block).status,
            AlignResult::Status::TooFew);
  // A line picked as the reference: nothing moves onto the origin's line.
  cad.operatorSelect({a, b});
  cad.operatorPick(line);
  EXPECT_EQ(Button11Click(session, AlignAxis::Horizontal, AlignReference::Block).status,
            AlignResult::Status::NoReference);
  EXPECT_EQ(where(b).y, 10);
  // Escape at the spacing prompt cancels.
  cad.operatorSelect({a, b});
  cad.operatorPick(a);
  cad.operatorEscape();
  EXPECT_EQ(Button11Click(session, AlignAxis::Horizontal, AlignReference::Block).status,
            AlignResult::Status::Cancelled);
  EXPECT_EQ(where(b).y, 10);
  // Escape at the reference point.
  cad.operatorSelect({a, b});
  cad.operatorEscape();
  EXPECT_EQ(Button11Click(session, AlignAxis::Vertical, AlignReference::Centre).status,
            AlignResult::Status::NoReference);
  EXPECT_EQ(window.events.back(), "restore");
}

TEST_F(Alignment, OutlineSpacingLaysOutlinesGapApartFromTheReference) {
  outlineBlock("W20", 20);
  outlineBlock("W30", 30);
  outlineBlock("W10", 10);
  std::string a = at(20, 3, "W20"), b = at(100, 40, "W30"), c = at(300, -7, "W10");
  doc.handleToObject(c).object().put("InsertionPoint", cad::pointValue(300, -7, 5));
  std::size_t before = cad.drawing().modelSpace().entities.size();
  cad.operatorSelect({c, a, b});
  cad.operatorPick(b);
  cad.operatorDistance(5);
  AlignResult r = Button7Click(session);
  EXPECT_EQ(r.status, AlignResult::Status::Aligned);
  EXPECT_EQ(where(a).x, 75);   // outline 65..85
  EXPECT_EQ(where(b).x, 100);  // 90..120
  EXPECT_EQ(where(c).x, 135);  // 125..135
  for (const auto& h : {a, b, c})
    EXPECT_EQ(where(h).y, 40);
  EXPECT_EQ(where(c).z, 5) << "each block keeps its own z";
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), before) << "no loose copy left";
  EXPECT_EQ(cad.prompts()[2], "スペースを入力 <Enter = 密着> : ");
}

TEST_F(Alignment, ATextOnlyBlockTakesTheOutlineOfTheBlockBeforeIt) {
  outlineBlock("W10", 10);
  cad::Block t = doc.blocks().add({0, 0, 0}, "TEXTONLY");
  t.addAttribute(5, 0, "p", {0, 0, 0}, "NAME", "X");
  std::string w = at(100, 0, "W10"), txt = at(300, 0, "TEXTONLY");
  cad.operatorSelect({w, txt});
  cad.operatorPick(w);
  cad.operatorEnter();  // touching
  Button7Click(session);
  // W10 measures 90..100; the text block measures nothing and keeps that box, so its outline is
  // 90..100 seen from x = 300: L = -210, R = -200. It follows W10 at once: x = 100 + 210 = 310.
  EXPECT_EQ(where(w).x, 100);
  EXPECT_EQ(where(txt).x, 310);
}

TEST_F(Alignment, OutlineSpacingWithAReferenceOutsideTheSelectionChangesNothing) {
  outlineBlock("W10", 10);
  std::string a = at(0, 0, "W10"), b = at(50, 9, "W10"), other = at(90, 9, "W10");
  cad.operatorSelect({a, b});
  cad.operatorPick(other);
  cad.operatorDistance(1);
  EXPECT_EQ(Button7Click(session).status, AlignResult::Status::NoReference);
  EXPECT_EQ(where(a).y, 0);
}

// Mounting holes taken by the window with their frames are no members of the row: those at a
// moved frame's insertion point go with it, others stay; a hole picked as the reference stands
// for its frame.
TEST_F(Alignment, MountingHolesGoWithTheirFramesAndAreNoMembers) {
  doc.blocks().add({0, 0, 0}, "TOVEKHALABC").addCircle({0, 0, 0}, 0.5);
  struct Case {
    int button;      // 11 horizontal, 13 vertical, 7 outline spacing
    char reference;  // 'b' the frame b, 'a' or 'c' the hole of that frame
    double spacing;
    double ax, bx, cx, y0, ay, cy;  // where the frames end up (y0: b's y)
  };
  const Case cases[] = {{11, 'b', 30, 20, 50, 80, 7, 7, 7},
                        {13, 'a', 12, 0, 0, 0, 15, 3, 27},
                        {7, 'b', 5, 43, 50, 57, 7, 7, 7},
                        {7, 'c', 5, 86, 93, 100, 20, 20, 20}};
  for (const Case& k : cases) {
    std::string a = at(0, 3), b = at(50, 7), c = at(100, 20);
    std::string ha = at(0, 3, "TOVEKHALABC"), hc = at(100, 20, "TOVEKHALABC");
    std::string stray = at(500, 500, "TOVEKHALABC");
    cad.operatorSelect({ha, a, stray, b, c, hc});
    cad.operatorPick(k.reference == 'a' ? ha : k.reference == 'c' ? hc : b);
    cad.operatorDistance(k.spacing);
    AlignResult r =
        k.button == 7
            ? Button7Click(session)
            : Button11Click(session, k.button == 11 ? AlignAxis::Horizontal : AlignAxis::Vertical,
                            AlignReference::Block);
    EXPECT_EQ(r.status, AlignResult::Status::Aligned) << k.button;
    EXPECT_EQ(r.moved, 3) << k.button;
    EXPECT_EQ(where(a), (cad::Point3{k.ax, k.ay, 0})) << k.button;
    EXPECT_EQ(where(b), (cad::Point3{k.bx, k.y0, 0})) << k.button;
    EXPECT_EQ(where(c), (cad::Point3{k.cx, k.cy, 0})) << k.button;
    EXPECT_EQ(where(ha), where(a)) << k.button;
    EXPECT_EQ(where(hc), where(c)) << k.button;
    EXPECT_EQ(where(stray), (cad::Point3{500, 500, 0})) << k.button;
  }
  // A frame with its holes is one block: too few to line up.
  std::string a = at(0, 0), h = at(0, 0, "TOVEKHALABC");
  cad.operatorSelect({a, h});
  EXPECT_EQ(Button11Click(session, AlignAxis::Horizontal, AlignReference::Block).status,
            AlignResult::Status::TooFew);
}

TEST(Scripts, LoadStringsDoubleTheBackslashesOfTheFolder) {
  EXPECT_EQ(scriptPath("C:\\Tools\\", "swire.lsp"), "\"C:\\\\Tools\\\\swire.lsp\"");
  EXPECT_EQ(loadString(kMinimumBendScript, "C:\\Tools\\"),
            "(if (not c:swire)(load \"C:\\\\Tools\\\\swire.lsp\"))(princ)\r");
  EXPECT_EQ(loadString(kDuctSizeScript, "D:\\盤\\"),
            "(if (not c:cdsize)(load \"D:\\\\盤\\\\wiresize.lsp\"))(princ)\r");
  EXPECT_EQ(loadString(kGridScript, "/opt/qarn/"),
            "(if (not c:pbal)(load \"/opt/qarn/pbal.lsp\"))(princ)\r");
}

class ScriptRun : public cad::testing::SimFixture {};

TEST_F(ScriptRun, LoadsOnlyAFileThatIsThereAndAlwaysSendsTheCommand) {
  std::string folder = ::testing::TempDir() + "scripts/";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "swire.lsp") << "(defun c:swire () (princ))";
  EXPECT_EQ(RunScript(session, kMinimumBendScript, folder), "");
  EXPECT_EQ(RunScript(session, kWireSizeScript, folder), "");
  EXPECT_EQ(cad.transcript(), (std::vector<std::string>{loadString(kMinimumBendScript, folder),
                                                        "swire\r", "wiresize\r"}));
  EXPECT_EQ(cad.desktop().events().back(), "foreground " + std::to_string(cad.applicationWindow()));
  // A folder with a quote in its name cannot go into the load string.
  std::string quoted = ::testing::TempDir() + "a\"b/";
  std::filesystem::create_directories(quoted);
  std::ofstream(quoted + "pbal.lsp") << "x";
  std::string m = Button21Click(session, quoted);
  EXPECT_NE(m.find("\""), std::string::npos);
  EXPECT_EQ(cad.transcript().back(), "pbal\r");
  EXPECT_EQ(cad.transcript().size(), 4u);
}

}  // namespace
}  // namespace qarn::tools
