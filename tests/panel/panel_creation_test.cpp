#include <gtest/gtest.h>

#include "../cad/sim_fixture.h"
#include "panel/panel_creation.h"

namespace qarn::panel {
namespace {

using cad::Block;
using cad::Point3;

class PanelCreation : public cad::testing::SimFixture {
 protected:
  PanelCreation() {
    session.mainWindow = &window;
    cad.drawing().variables["ATTDIA"] = cad::Value::int16(1);
  }
  static PanelInput button(const std::string& number = "PB1") {
    PanelInput in;
    in.width = "22";
    in.height = "22";
    in.kind = "0";
    in.number = number;
    in.model = "AR22F0R";
    in.rating = "Φ22 赤";
    in.auxiliary = "停止";
    in.dimensions = "22 22 50 0 0";
    in.cut = "C:22";
    in.count = "3";
    in.pitch = "60";
    return in;
  }
  PanelResult create(const PanelInput& in, Point3 at = {100, 200, 0}) {
    cad.operatorPoint(at.x, at.y);
    return Button6Click(session, in);
  }
  std::vector<const cad::sim::Entity*> refs() const {
    std::vector<const cad::sim::Entity*> out;
    for (const auto& h : cad.drawing().modelSpace().entities)
      out.push_back(cad.drawing().findEntity(h));
    return out;
  }
  std::string text(const cad::sim::Entity& ref, const std::string& tag) const {
    for (const auto& h : ref.attributes)
      if (cad.drawing().findEntity(h)->tag == tag) return cad.drawing().findEntity(h)->text;
    return "(none)";
  }
  cad::testing::RecordingWindow window;
};

TEST_F(PanelCreation, APushButtonIsDefinedOnceInsertedAndFilled) {
  PanelResult r = create(button());
  EXPECT_EQ(r.block, "TOVEKPB122NP");
  EXPECT_EQ(r.placed, 1);
  EXPECT_EQ(r.number, "PB2");
  ASSERT_EQ(refs().size(), 1u);
  const auto& ref = *refs()[0];
  EXPECT_EQ(ref.blockName, "TOVEKPB122NP");
  EXPECT_EQ(ref.p1, (Point3{100, 200, 0}));
  EXPECT_EQ(ref.layer, "TOVEK_FRONT");
  EXPECT_EQ(text(ref, "NAME"), "PB1");
  EXPECT_EQ(text(ref, "TYPE"), "AR22F0R");
  EXPECT_EQ(text(ref, "SPEC"), "%%C22 赤");
  EXPECT_EQ(text(ref, "AUX1"), "停止");
  EXPECT_EQ(text(ref, "AUX2"), "22 22 50 0 0");
  EXPECT_EQ(text(ref, "CUT"), "C:22");
  EXPECT_EQ(cad.transcript().front(), "-INSERT\rTOVEKPB122NP\rX 1 Y 1 R 0\r");
  EXPECT_EQ(cad.drawing().variables["ATTDIA"].toInt(), 1);
  EXPECT_EQ(cad.drawing().variables["ATTREQ"].toInt(), 1);
  EXPECT_EQ(cad.callCount("Regen"), 1);
  EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore"}));

  std::size_t entities = cad.drawing().findBlock("TOVEKPB122NP")->entities.size();
  create(button("PB2"), {200, 200, 0});
  EXPECT_EQ(refs().size(), 2u);
  EXPECT_EQ(cad.drawing().findBlock("TOVEKPB122NP")->entities.size(), entities) << "defined once";
  EXPECT_EQ(cad.openUndoGroups(), 0);
}

TEST_F(PanelCreation, RowsToTheRightAndColumnsDownwards) {
  PanelInput in = button();
  in.arrayMode = true;
  PanelResult r = create(in);
  EXPECT_EQ(r.placed, 3);
  EXPECT_EQ(r.number, "PB4");
  auto all = refs();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1]->p1, (Point3{160, 200, 0}));
  EXPECT_EQ(all[2]->p1, (Point3{220, 200, 0}));
  EXPECT_EQ(text(*all[2], "NAME"), "PB3");
  EXPECT_EQ(text(*all[2], "CUT"), "C:22");

  in.downwards = true;
  in.number = "PB09";
  in.count = "2";
  r = create(in, {0, 0, 0});
  EXPECT_EQ(refs().back()->p1, (Point3{0, -60, 0}));
  EXPECT_EQ(text(*refs().back(), "NAME"), "PB10");
  EXPECT_EQ(r.number, "PB11");

  for (auto [count, pitch] : {std::pair{"1", "60"}, {"3", "0"}, {"x", "60"}}) {
    in.count = count;
    in.pitch = pitch;
    EXPECT_EQ(create(in).placed, 1) << count << " at " << pitch;
  }
  in = button("ABC");
  in.arrayMode = true;
  r = create(in);
  EXPECT_EQ(r.placed, 3);
  EXPECT_EQ(r.number, "ABC");
  EXPECT_EQ(text(*refs().back(), "NAME"), "ABC");
}

TEST_F(PanelCreation, ACancelledInsertNeverTakesTheUsersNewestEntity) {
  // The user's own block with a NAME is the newest entity when the insertion is cancelled.
  Block mine = doc.blocks().add({0, 0, 0}, "MINE");
  mine.addCircle({0, 0, 0}, 3);
  mine.addAttribute(5, 0, "n", {0, 0, 0}, "NAME", "keep");
  doc.modelSpace().insertBlock({5, 5, 0}, "MINE");
  cad.operatorEscape();
  PanelResult r = Button6Click(session, button());
  EXPECT_EQ(r.placed, 0);
  EXPECT_EQ(refs().back()->layer, "0");
  EXPECT_EQ(text(*refs().back(), "NAME"), "keep");
}

TEST_F(PanelCreation, ACancelledInsertLeavesTheVariablesAndTheNumber) {
  cad.operatorEscape();
  PanelResult r = Button6Click(session, button());
  EXPECT_EQ(r.placed, 0);
  EXPECT_EQ(r.number, "PB1");
  EXPECT_TRUE(refs().empty());
  EXPECT_EQ(cad.drawing().variables["ATTDIA"].toInt(), 1);
  EXPECT_EQ(cad.openUndoGroups(), 0);
  EXPECT_EQ(cad.callCount("Regen"), 1) << "regenerated all the same";
}

TEST_F(PanelCreation, TheNewDeviceIsFoundEvenOnALayerThatIsOff) {
  // The user draws on a layer that is off: "the last entity" would not see the new device.
  doc.layers().add("OFF").setLayerOn(false);
  doc.setVariable("CLAYER", "OFF");
  doc.modelSpace().addCircle({0, 0, 0}, 1).setLayer("0");
  PanelResult r = create(button());
  EXPECT_EQ(r.placed, 1);
  EXPECT_EQ(refs().back()->layer, "TOVEK_FRONT");
  EXPECT_EQ(text(*refs().back(), "NAME"), "PB1");
}

TEST_F(PanelCreation, RectanglesWithoutASizeAndModelsWithBlanks) {
  PanelInput in = button();
  in.kind = "4";
  in.model = "ABC 24V";
  in.height = "0";
  PanelResult r = Button6Click(session, in);
  EXPECT_EQ(r.message, "寸法 H がありません．機器を作成できません．");
  EXPECT_FALSE(cad.drawing().findBlock(r.block));
  EXPECT_EQ(window.events, (std::vector<std::string>{"front"})) << "the message over the window";
  in.height = "48";
  in.width = "96";
  r = create(in);
  EXPECT_EQ(r.block.substr(0, 16), "TOVEKRC4ABC_24V_");
  EXPECT_TRUE(cad.drawing().findBlock(r.block))
      << "one name for the definition and the command line";
  EXPECT_EQ(r.placed, 1);
  // A model written with "_" where the other has a blank is a block of its own.
  in.model = "ABC_24V";
  EXPECT_EQ(create(in).block, "TOVEKRC4ABC_24V");
  EXPECT_EQ(refs().back()->blockName, "TOVEKRC4ABC_24V");
}

TEST_F(PanelCreation, NoCadNoChange) {
  cad.unregister();
  PanelResult r = Button6Click(session, button());
  EXPECT_FALSE(r.running);
  EXPECT_EQ(r.number, "PB1");
  EXPECT_TRUE(window.events.empty());
}

}  // namespace
}  // namespace qarn::panel
