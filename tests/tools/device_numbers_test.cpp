#include "tools/device_numbers.h"

#include <gtest/gtest.h>

#include "../cad/sim_fixture.h"

namespace qarn::tools {
namespace {

class JoinNumbers : public cad::testing::SimFixture {
 protected:
  JoinNumbers() { session.mainWindow = &window; }
  // A block with the lines (tag, text), each 6 below the one before, centred on x = 0.
  std::string block(const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& lines) {
    cad::Block b = doc.blocks().add({0, 0, 0}, name);
    double y = 20;
    for (const auto& [tag, text] : lines) {
      cad::Attribute a = b.addAttribute(5, 0, tag, {0, y, 0}, tag, text);
      a.setAlignment(10);
      a.setTextAlignmentPoint({0, y, 0});
      y -= 6;
    }
    b.addCircle({0, 0, 0}, 3);
    return doc.modelSpace().insertBlock({100, 0, 0}, name).handle();
  }
  const cad::sim::Entity* line(const std::string& ref, const std::string& tag) const {
    for (const auto& h : cad.drawing().findEntity(ref)->attributes)
      if (cad.drawing().findEntity(h)->tag == tag) return cad.drawing().findEntity(h);
    return nullptr;
  }
  cad::testing::RecordingWindow window;
};

TEST_F(JoinNumbers, TwoLinesJoinHalfwayAndThreeAtTheMiddleLine) {
  std::string two = block("TWO", {{"NAME", "MC"}, {"NAME1", "12"}});
  std::string three = block("THREE", {{"NAME", "A"}, {"NAME1", "B"}, {"NAME2", "C"}});
  cad.operatorSelect({two, three});
  JoinResult r = Button9Click(session, false);
  EXPECT_EQ(r.joined, 2);
  EXPECT_EQ(line(two, "NAME")->text, "MC12");
  EXPECT_EQ(line(two, "NAME1"), nullptr);
  EXPECT_DOUBLE_EQ(line(two, "NAME")->p1.y, 17);  // halfway between 20 and 14
  EXPECT_DOUBLE_EQ(line(two, "NAME")->p2.y, 17);
  EXPECT_EQ(line(three, "NAME")->text, "ABC");
  EXPECT_DOUBLE_EQ(line(three, "NAME")->p2.y, 14);  // where NAME1 was
  EXPECT_EQ(line(three, "NAME2"), nullptr);
  EXPECT_EQ(cad.drawing().findEntity(three)->attributes.size(), 1u);
  EXPECT_EQ(cad.openUndoGroups(), 0);
  // One undo step brings every line back.
  ASSERT_TRUE(cad.undo());
  EXPECT_EQ(line(three, "NAME")->text, "A");
  EXPECT_NE(line(three, "NAME2"), nullptr);
}

TEST_F(JoinNumbers, AGapEndsTheRunAndNameAloneIsLeft) {
  std::string gap = block("GAP", {{"NAME", "K"}, {"NAME1", "1"}, {"NAME3", "Z"}});
  std::string alone = block("ALONE", {{"NAME", "K9"}});
  cad.operatorSelect({gap, alone});
  EXPECT_EQ(Button9Click(session, false).joined, 1);
  EXPECT_EQ(line(gap, "NAME")->text, "K1");
  EXPECT_EQ(line(gap, "NAME3")->text, "Z");
  EXPECT_EQ(line(alone, "NAME")->text, "K9");
}

TEST_F(JoinNumbers, BlankOnlyLeavesABlockWhoseNameOneHoldsText) {
  std::string filled = block("FILLED", {{"NAME", "MC"}, {"NAME1", "12"}});
  std::string blank = block("BLANK", {{"NAME", "CR"}, {"NAME1", ""}, {"NAME2", "X"}});
  cad.operatorSelect({filled, blank});
  EXPECT_EQ(Button9Click(session, true).joined, 1);
  EXPECT_EQ(line(filled, "NAME")->text, "MC");
  EXPECT_NE(line(filled, "NAME1"), nullptr);
  EXPECT_EQ(line(blank, "NAME")->text, "CRX");
  EXPECT_DOUBLE_EQ(line(blank, "NAME")->p2.y, 14);
  EXPECT_EQ(line(blank, "NAME1"), nullptr);
  EXPECT_EQ(line(blank, "NAME2"), nullptr);
}

TEST_F(JoinNumbers, AnErrorEndsQuietlyWithTheUndoGroupClosed) {
  std::string two = block("TWO", {{"NAME", "MC"}, {"NAME1", "12"}});
  cad.operatorSelect({two});
  cad.failMember("Erase");
  JoinResult r = Button9Click(session, false);
  cad.clearFaults();
  EXPECT_TRUE(r.ran);
  EXPECT_EQ(cad.openUndoGroups(), 0);
  EXPECT_EQ(window.events.back(), "restore");
}

}  // namespace
}  // namespace qarn::tools
