#include <gtest/gtest.h>

#include <optional>

#include "cad/text.h"
#include "frame_test_support.h"
#include "frames/side_view.h"

namespace qarn::frames {
namespace {

using cad::Layer;
using cad::Point3;
using cad::sim::EntityType;
using Status = SideResult::Status;

class SideView : public testing::FrameTest {
 protected:
  // The front view picked and, where the view gets that far, the move answered.
  SideResult side(const std::string& frame, std::optional<Point3> to) {
    cad.operatorPick(frame, {100, 100, 0});
    if (to) cad.operatorPoint(to->x, to->y);
    return Button8Click(session);
  }
};

TEST_F(SideView, APlainViewIsTheFrameBlockDeepByHighMovedByItsRightEdge) {
  cad.drawing().variables["DIMSCALE"] = cad::Value(10.0);
  std::string front = placeFrame("45 80 75 0 0");
  std::size_t sent = cad.transcript().size();
  // The user drags upwards and a little aside: orthogonal mode keeps the move straight.
  SideResult r = side(front, Point3{300, 130, 0});
  ASSERT_EQ(r.status, Status::Drawn);
  EXPECT_EQ(cad.transcript()[sent], "_MOVE SINGLE LAST 137.5,100,0\r");
  const auto& view = entity(r.handle);
  EXPECT_EQ(view.blockName, "TOVEK_RA100");
  EXPECT_EQ(view.layer, "TOVEK_SIDE");
  EXPECT_DOUBLE_EQ(view.xScale, 0.75);
  EXPECT_DOUBLE_EQ(view.yScale, 0.8);
  EXPECT_EQ(view.p1, (Point3{262.5, 100, 0}));
  EXPECT_EQ(cad.drawing().variables["ORTHOMODE"].toInt(), 0) << "switched back";
  const auto* aux1 = attribute(view, "AUX1");
  const auto* aux2 = attribute(view, "AUX2");
  EXPECT_EQ(aux1->text, "MC1");
  EXPECT_EQ(aux2->text, "ABC");
  for (const auto* a : {aux1, aux2}) {
    EXPECT_TRUE(a->invisible);
    EXPECT_DOUBLE_EQ(a->height, 6);
    EXPECT_DOUBLE_EQ(a->widthFactor, 0.6);
    EXPECT_EQ(a->alignment, 7);
    EXPECT_EQ(a->p2, a->p1);
    EXPECT_EQ(a->color, 256);
  }
  EXPECT_EQ(aux1->layer, "TOVEK_AUX1");
  EXPECT_EQ(aux2->layer, "TOVEK_AUX2");
  EXPECT_EQ(attribute(view, "NAME")->text, "") << "the other attributes stay empty";
  EXPECT_EQ(cad.openUndoGroups(), 0);

  // No height: the width stands in for it.
  std::string square = placeFrame("45 0 75 0 0");
  r = side(square, Point3{300, 300, 0});
  ASSERT_EQ(r.status, Status::Drawn);
  EXPECT_DOUBLE_EQ(entity(r.handle).yScale, 0.45);
}

TEST_F(SideView, ATwoPartViewHasItsOwnBlockMovedByThePanelLine) {
  std::string front = placeFrame("40 60 20 50 80");
  SideResult r = side(front, Point3{400, 100, 0});
  ASSERT_EQ(r.status, Status::Drawn);
  EXPECT_EQ(cad.transcript().back(), "_MOVE SINGLE LAST 100,100,0\r");
  EXPECT_EQ(entity(r.handle).blockName, "ABC_SIDE");
  EXPECT_EQ(entity(r.handle).p1, (Point3{400, 100, 0}));
  EXPECT_DOUBLE_EQ(entity(r.handle).xScale, 1);
  auto e = contents("ABC_SIDE");
  ASSERT_EQ(e.size(), 4u);
  auto corners = [](const cad::sim::Entity& p) {
    std::vector<double> xy;
    for (const auto& v : p.vertices) {
      xy.push_back(v.x);
      xy.push_back(v.y);
    }
    return xy;
  };
  EXPECT_EQ(corners(*e[0]), (std::vector<double>{-20, -30, -20, 30, 0, 30, 0, -30}));
  EXPECT_TRUE(e[0]->closed);
  EXPECT_EQ(e[0]->layer, "0");
  EXPECT_EQ(e[0]->color, 0);
  EXPECT_EQ(e[0]->linetype, "BYBLOCK");
  EXPECT_EQ(corners(*e[1]), (std::vector<double>{0, -25, 0, 25, 80, 25, 80, -25}));
  EXPECT_EQ(e[1]->layer, "TOVEK_BODY");
  EXPECT_EQ(e[1]->color, 256);
  EXPECT_EQ(e[1]->linetype, "BYLAYER");
  // The taller part is the front (60): the texts hang 10 and 20 below its half height.
  EXPECT_EQ(e[2]->tag, "AUX1");
  EXPECT_EQ(e[2]->p1, (Point3{0, -40, 0}));
  EXPECT_EQ(e[3]->tag, "AUX2");
  EXPECT_EQ(e[3]->p1, (Point3{0, -50, 0}));
  for (const auto* d : {e[2], e[3]}) {
    EXPECT_TRUE(d->invisible);
    EXPECT_DOUBLE_EQ(d->height, 5);
    EXPECT_EQ(d->alignment, 7);
    EXPECT_DOUBLE_EQ(d->widthFactor, 0.6);
  }
  EXPECT_EQ(e[3]->layer, "TOVEK_AUX2");
  const auto* body = cad.drawing().findLayer("TOVEK_BODY");
  EXPECT_EQ(body->color, 254);
  EXPECT_EQ(body->linetype, "HIDDEN") << "loaded from the CAD's linetype file";
  EXPECT_EQ(attribute(entity(r.handle), "AUX1")->text, "MC1");
  EXPECT_EQ(attribute(entity(r.handle), "AUX2")->text, "ABC");

  // No H2: the body is as high as the front part.
  ASSERT_EQ(side(placeFrame("40 60 20 0 80", "FLAT"), Point3{400, 500, 0}).status, Status::Drawn);
  ASSERT_EQ(contents("FLAT_SIDE").size(), 4u);
  EXPECT_EQ(corners(*contents("FLAT_SIDE")[1]),
            (std::vector<double>{0, -30, 0, 30, 80, 30, 80, -30}));

  // A second view of the model reuses the block as it stands, whatever its sizes now say.
  std::string other = placeFrame("40 99 20 50 80");
  ASSERT_EQ(side(other, Point3{400, 300, 0}).status, Status::Drawn);
  EXPECT_EQ(contents("ABC_SIDE").size(), 4u);
  EXPECT_EQ(corners(*contents("ABC_SIDE")[0])[3], 30);
}

TEST_F(SideView, NothingIsDrawnWithoutDepthAndACancelledMoveLeavesNothing) {
  std::string front = placeFrame("40 60 0 50 80");
  std::size_t before = frames().size();
  EXPECT_EQ(side(front, std::nullopt).status, Status::NoSize);
  EXPECT_FALSE(cad.drawing().findBlock("ABC_SIDE"));
  EXPECT_EQ(side(placeFrame("45 80 75"), std::nullopt).status, Status::NoSize)
      << "fewer than five items";
  before = frames().size();
  front = placeFrame("45 80 75 0 0");
  cad.operatorPick(front, {100, 100, 0});
  cad.operatorEscape();
  SideResult r = Button8Click(session);
  EXPECT_EQ(r.status, Status::Cancelled);
  EXPECT_TRUE(r.message.empty());
  EXPECT_EQ(frames().size(), before + 1) << "only the front view";
  EXPECT_EQ(cad.drawing().variables["ORTHOMODE"].toInt(), 0);
  EXPECT_EQ(cad.openUndoGroups(), 0);
}

TEST_F(SideView, NoSideDataIsSaid) {
  std::string line = doc.modelSpace().addLine({0, 0, 0}, {9, 9, 0}).handle();
  std::string empty = placeFrame("");
  std::string noType = placeFrame("40 60 20 50 80", "");
  cad.operatorEscape();  // nothing picked
  for (const std::string& h : {line, empty, noType})
    cad.operatorPick(h);
  for (int i = 0; i < 4; ++i) {
    window.events.clear();
    SideResult r = Button8Click(session);
    EXPECT_EQ(r.status, Status::NoData) << i;
    EXPECT_EQ(r.message, "側面データがありません．");
    EXPECT_EQ(window.events, (std::vector<std::string>{"minimize", "restore", "front", "restore"}))
        << "the main window comes forward for the message";
  }
  EXPECT_EQ(cad.prompts().back(), "側面図を作成する正面図形を選択 : ");
}

TEST_F(SideView, ABlockNameTakesNoCharacterTheCadRefusesAndALockedLayerIsSaid) {
  ASSERT_EQ(side(placeFrame("40 60 20 50 80", " A/B:1 "), Point3{400, 100, 0}).status,
            Status::Drawn);
  EXPECT_TRUE(cad.drawing().findBlock(cad::cleanBlockName(" A/B:1 _SIDE")));
  EXPECT_EQ(cad::cleanBlockName(" A/B:1 _SIDE").substr(0, 13), "_A_B_1 _SIDE_")
      << "a blank inside a name is allowed";
  Layer(doc.layers().item("TOVEK_SIDE")).setLock(true);
  std::size_t before = cad.drawing().modelSpace().entities.size();
  SideResult r = side(placeFrame("45 80 75 0 0"), std::nullopt);
  EXPECT_EQ(r.status, Status::Refused);
  EXPECT_NE(r.message.find("画層「TOVEK_SIDE」がロックされている"), std::string::npos);
  EXPECT_EQ(cad.drawing().modelSpace().entities.size(), before + 1) << "only the new front view";
}

}  // namespace
}  // namespace qarn::frames
