// The commands a person types in the simulated CAD's drawing window, and its undo and redo.
#include <gtest/gtest.h>

#include "cad/sim/drawing_listing.h"
#include "cad/sim/dxf_writer.h"
#include "cad/sim/sim_world.h"
#include "sim_fixture.h"

namespace qarn::cad {
namespace {

class TypedCommands : public testing::SimFixture {
 protected:
  // The drawing file as it stands, the file's own objects numbered from a fixed handle: an undo
  // gives no handle back, so the next free one moves on.
  std::string dxf() const { return sim::writeDxf(cad.drawing(), 0x100000); }
  // The transcript lines from the `from`-th on.
  std::vector<std::string> said(std::size_t from) const {
    return {cad.transcript().begin() + static_cast<std::ptrdiff_t>(from), cad.transcript().end()};
  }
  const sim::Entity& entity(const std::string& h) { return *cad.drawing().findEntity(h); }
  Block ms() { return doc.modelSpace(); }
};

TEST_F(TypedCommands, MoveCopyEraseAskWhatTheLineLacksAndSkipLockedLayers) {
  Block b = doc.blocks().add({0, 0, 0}, "B");
  b.addAttribute(5, 0, "番号", {0, 2, 0}, "NAME", "X");
  std::string ref = ms().insertBlock({10, 10, 0}, "B").handle();
  std::string line = ms().addLine({0, 0, 0}, {5, 0, 0}).handle();
  cad.operatorSelect({ref});
  cad.operatorPoint(10, 10);
  cad.operatorPoint(40, 30);
  std::size_t from = cad.transcript().size();
  cad.typeCommand("MOVE");
  EXPECT_EQ(entity(ref).p1, (Point3{40, 30, 0}));
  EXPECT_EQ(entity(entity(ref).attributes[0]).p1, (Point3{40, 32, 0})) << "attributes travel";
  EXPECT_EQ(said(from),
            (std::vector<std::string>{"MOVE", "[オブジェクトを選択: 1 個を検出]",
                                      "[基点を指定 または [移動距離(D)] <移動距離>: 10,10]",
                                      std::string("[") + sim::kMoveSecondPointPrompt + " 40,30]"}));
  // Ortho bends a picked destination onto an axis, not a typed one.
  cad.drawing().variables["ORTHOMODE"] = Value::int16(1);
  cad.operatorSelect({ref});
  cad.operatorPoint(0, 0);
  cad.operatorPoint(30, 5);
  cad.typeCommand("MOVE");
  EXPECT_EQ(entity(ref).p1, (Point3{70, 30, 0}));
  // Everything on the line: a relative destination; then COPY to two places, the second taken
  // back with U, until Enter.
  cad.typeCommand("_MOVE L 0,0 @1,2");
  EXPECT_EQ(entity(line).p2, (Point3{6, 2, 0}));
  cad.operatorSelect({line});
  cad.operatorPoint(0, 0);
  cad.operatorPoint(0, 100);
  cad.operatorPoint(0, 200);
  cad.operatorText("U");  // the last copy taken back
  cad.operatorEnter();
  cad.typeCommand("COPY");
  ASSERT_EQ(cad.drawing().modelSpace().entities.size(), 3u);
  EXPECT_EQ(entity(cad.drawing().lastEntity()).p1, (Point3{1, 102, 0}));
  // A locked entity stays; Enter on an empty line is ERASE again.
  doc.layers().add("LOCKED").setLock(true);
  doc.handleToObject(line).setLayer("LOCKED");
  cad.typeCommand("ERASE ALL");
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), 1u);
  EXPECT_EQ(cad.transcript().back(), "[1 個はロックされた画層上にあります]");
  cad.operatorSelectAll();
  cad.typeCommand("");
  EXPECT_EQ(cad.prompts().back(), sim::kSelectObjectsPrompt);
  EXPECT_EQ(cad.transcript()[cad.transcript().size() - 3], "ERASE");
  // Escape at the base point leaves the drawing as it was.
  ms().addCircle({0, 0, 0}, 1);
  std::string before = dxf();
  cad.operatorSelectAll();
  cad.operatorEscape();
  cad.typeCommand("MOVE");
  EXPECT_EQ(cad.transcript().back(), "[*キャンセル*]");
  EXPECT_EQ(dxf(), before);
  cad.typeCommand("FOO");
  EXPECT_EQ(cad.transcript().back(),
            "[不明なコマンド \"FOO\"。F1 キーを押すとヘルプを表示します。]");
  cad.closeAllDocuments();
  cad.typeCommand("ERASE");
  EXPECT_EQ(cad.transcript().back(),
            "[不明なコマンド \"ERASE\"。F1 キーを押すとヘルプを表示します。]")
      << "no drawing open";
}

TEST_F(TypedCommands, VariablesTakeValuesOfTheirKindAndSayWhyNot) {
  double told = 0;
  cad.world().onDimscaleTyped = [&](double v) { told = v; };
  struct Case {
    const char* line;
    const char* variable;
    const char* value;  // the value after, as the listing writes it
    const char* said;   // the message when refused
  } cases[] = {
      {"DIMSCALE 10", "DIMSCALE", "double 10", nullptr},
      {"DIMSCALE -1", "DIMSCALE", "double 10", "値は 0 以上でなければなりません。"},
      {"DIMTXT 0", "DIMTXT", "double 2.5", "値は 0 より大きくなければなりません。"},
      {"DIMASZ 3.5", "DIMASZ", "double 3.5", nullptr},
      {"SETVAR DIMASZ abc", "DIMASZ", "double 3.5", "数値を入力してください。"},
      {"SETVAR ORTHOMODE 2", "ORTHOMODE", "int16 0", "0 から 1 の整数を入力してください。"},
      {"SETVAR orthomode 1", "ORTHOMODE", "int16 1", nullptr},
      {"SETVAR OSMODE 1.5", "OSMODE", "int16 0", "0 から 32767 の整数を入力してください。"},
      {"SETVAR VIEWSIZE 3", "VIEWSIZE", "double 297", "VIEWSIZE は読み込み専用です。"},
      {"SETVAR CLAYER NONE", "CLAYER", "text \"0\"", "画層 \"NONE\" が見つかりません。"},
      {"SETVAR NOSUCH 1", "CLAYER", "text \"0\"",
       "変数名が不明です。SETVAR ? と入力すると変数の一覧が表示されます。"},
  };
  for (const auto& c : cases) {
    cad.typeCommand(c.line);
    EXPECT_EQ(cad.drawing().variables.at(c.variable).describe(), c.value) << c.line;
    if (c.said) {
      EXPECT_EQ(cad.transcript().back(), std::string("[") + c.said + "]") << c.line;
    }
  }
  EXPECT_EQ(told, 10) << "only the accepted DIMSCALE is told";
  cad.operatorEnter();
  cad.typeCommand("DIMSCALE");
  EXPECT_EQ(cad.prompts().back(), "DIMSCALE の新しい値を入力 <10.0000>:");
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 10) << "Enter keeps it";
}

TEST_F(TypedCommands, LayerOptionsRefuseAsTheCadDoes) {
  doc.layers().add("A1");
  doc.layers().add("A2");
  doc.layers().add("B");
  auto layer = [&](const char* name) { return *cad.drawing().findLayer(name); };
  cad.operatorText("N");  // not the current layer off
  cad.operatorEnter();
  cad.typeCommand("-LAYER F A* LO B OFF 0");
  EXPECT_TRUE(layer("A1").frozen && layer("A2").frozen && !layer("B").frozen);
  EXPECT_TRUE(layer("B").locked);
  EXPECT_TRUE(layer("0").on);
  const auto& asked = cad.prompts();
  EXPECT_NE(std::find(asked.begin(), asked.end(),
                      "本当に現在画層 \"0\" をオフにしますか? [はい(Y)/いいえ(N)] <N>:"),
            asked.end());
  std::size_t from = cad.transcript().size();
  cad.operatorEnter();
  cad.typeCommand("-LAYER S A1 F 0 T A2 S A2 ON Q* X");
  EXPECT_EQ(cad.drawing().variables.at("CLAYER").toText(), "A2");
  EXPECT_FALSE(layer("A2").frozen);
  EXPECT_TRUE(layer("A1").frozen);
  auto shown = said(from);
  for (const char* why :
       {"[フリーズされた画層は現在画層にできません。]", "[画層 \"0\" : 現在画層は凍結できません]",
        "[該当する画層が見つかりません。]", "[無効なオプション キーワードです。]"})
    EXPECT_NE(std::find(shown.begin(), shown.end(), why), shown.end()) << why;
  cad.operatorEnter();
  cad.typeCommand("-LAYER F A2");
  EXPECT_FALSE(layer("A2").frozen) << "the current layer now";
  // The same commands on a command line sent by automation: one undo step each.
  doc.sendCommand("-LAYER\rT\rA1\r\rDIMSCALE\r20\r");
  EXPECT_FALSE(layer("A1").frozen);
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 20);
  ASSERT_TRUE(cad.undo());
  EXPECT_FALSE(layer("A1").frozen) << "DIMSCALE was a step of its own";
  EXPECT_EQ(cad.drawing().variables.at("DIMSCALE").toDouble(), 1);
}

// A QARN command (one undo group) and typed commands, each one step: U takes each back exactly,
// REDO makes it again, a new change drops what could be made again.
TEST_F(TypedCommands, UndoAndRedoReturnTheDrawingExactly) {
  ms().addCircle({0, 0, 0}, 5);
  std::vector<std::string> states{dxf()};
  doc.startUndoMark();
  doc.layers().add("NEW").setColor(3);
  Block b = doc.blocks().add({0, 0, 0}, "BLK");
  b.addAttribute(2, 0, "p", {0, 0, 0}, "T", "v");
  std::string ref = ms().insertBlock({5, 5, 0}, "BLK").handle();
  cad.drawing().groups.push_back({"G", cad.newHandle(), {ref}});
  doc.setVariable("DIMSCALE", 20.0);
  doc.endUndoMark();
  states.push_back(dxf());
  cad.typeCommand("MOVE L 0,0 7,7");
  states.push_back(dxf());
  cad.typeCommand("ERASE ALL");
  states.push_back(dxf());
  for (int i = 3; i > 0; --i) {
    cad.typeCommand("U");
    EXPECT_EQ(dxf(), states[i - 1]) << i;
  }
  EXPECT_EQ(cad.transcript().back(), "[元に戻す: GROUP]");
  cad.typeCommand("U");
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty())
      << "what automation drew outside a group is a step of its own";
  cad.typeCommand("U");
  EXPECT_EQ(cad.transcript().back(), "[元に戻す操作はありません。]");
  for (int i = 0; i < 3; ++i) cad.typeCommand("REDO");
  EXPECT_EQ(dxf(), states[2]);
  EXPECT_EQ(cad.transcript().back(), "[やり直し: MOVE]");
  cad.typeCommand("UNDO 2");
  EXPECT_EQ(dxf(), states[0]);
  cad.typeCommand("DIMSCALE 5");
  cad.typeCommand("REDO");
  EXPECT_EQ(cad.transcript().back(), "[やり直す操作はありません。]");
  // A command that failed before its end: one U takes back what it did.
  std::string before = dxf();
  doc.startUndoMark();
  ms().addLine({0, 0, 0}, {1, 1, 0});
  EXPECT_THROW(ms().insertBlock({0, 0, 0}, "NO_SUCH"), AutomationError);
  cad.typeCommand("U");
  EXPECT_EQ(dxf(), before);
  // At least a hundred steps are kept, and no more than the bound.
  for (int i = 0; i < 150; ++i)
    cad.typeCommand("DIMASZ " + std::to_string(i + 1));
  cad.typeCommand("UNDO 100");
  EXPECT_EQ(cad.drawing().variables.at("DIMASZ").toDouble(), 50);
  for (int i = 0; i < 1100; ++i)
    cad.typeCommand("DIMASZ " + std::to_string(i + 1));
  EXPECT_EQ(cad.world().activeDoc().history.undoCount(), sim::UndoHistory::kMaxSteps);
}

TEST_F(TypedCommands, ZoomTellsTheWindowWhatToShow) {
  struct Seen : sim::Observer {
    std::vector<std::string> calls;
    void drawingChanged() override {}
    void zoomExtents() override { calls.push_back("extents"); }
    void zoomCenter(Point3 c, double h) override {
      calls.push_back(listing(c.x) + "," + listing(c.y) + " " + listing(h));
    }
    static std::string listing(double v) { return sim::listingNumber(v); }
  } seen;
  cad.addObserver(&seen);
  ms().addLine({0, 0, 0}, {1000, 10, 0});
  cad.typeCommand("ZOOM E");
  cad.typeCommand("Z W 0,0 160,20");  // wider than the screen's 16:9: the height follows
  cad.typeCommand("ZOOM 0,0 10,40");  // a corner at once is a window
  cad.typeCommand("ZOOM A");
  cad.typeCommand("ZOOM X");
  cad.removeObserver(&seen);
  EXPECT_EQ(seen.calls,
            (std::vector<std::string>{"extents", "80,10 90", "5,20 40", "500,148.5 562.5"}));
  EXPECT_EQ(cad.transcript().back(), "[点、またはオプション キーワードが必要です。]");
  EXPECT_TRUE(cad.undo()) << "the line";
  EXPECT_FALSE(cad.undo()) << "a view is no undo step";
}

}  // namespace
// A block defined by automation outside any undo group is a step of its own: U takes it back.
TEST_F(TypedCommands, ABlockDefinedOutsideAGroupIsTakenBackByU) {
  doc.blocks().add({0, 0, 0}, "LOOSE");
  cad.typeCommand("U");
  EXPECT_FALSE(cad.drawing().findBlock("LOOSE"));
}

}  // namespace qarn::cad
