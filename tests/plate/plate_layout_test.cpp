#include "plate/plate_layout.h"

#include <gtest/gtest.h>

#include <list>

#include "../cad/sim_fixture.h"
#include "frames/device_layers.h"

namespace qarn::plate {
namespace {

LayoutDevice device(const std::string& number, double w, double h, bool terminal = false,
                    int line = 0) {
  LayoutDevice d;
  d.item.number = number;
  d.item.model = "M-" + number;
  d.item.line = line;
  d.row.model = d.item.model;
  d.row.rating = "R";
  d.type = d.item.model;
  d.width = w;
  d.height = h;
  d.terminal = terminal;
  return d;
}

bool overlap(const Rect& a, const Rect& b) {
  const double e = 1e-9;
  return a.x0 < b.x1 - e && b.x0 < a.x1 - e && a.y0 < b.y1 - e && b.y0 < a.y1 - e;
}

Rect outline(const PlacedDevice& p) {
  return {p.centre.x - p.device.width / 2, p.centre.y - p.device.height / 2,
          p.centre.x + p.device.width / 2, p.centre.y + p.device.height / 2};
}

// A plate of 300 x 400 with ducts of 40 and gaps of 5: rows may take 210. Worked out by hand:
// row 0 holds A and B (100 + 5 + 80), C starts row 1, D row 2, E (215) fits in no row, the
// terminal block T has the bottom row. The stack (60 + 40 + 30 + 40 + 3 ducts) leaves 30 spare,
// less than a duct: it moves down onto the bottom duct.
std::vector<LayoutDevice> smallList() {
  return {device("A", 100, 50, false, 1), device("T", 150, 40, true, 2),
          device("B", 80, 60, false, 3),  device("C", 50, 40, false, 4),
          device("E", 215, 20, false, 5), device("D", 200, 30, false, 6)};
}

TEST(PlateLayout, RowsFilledInListOrderWithTheTallestSettingTheHeight) {
  PlateLayout l = layOutPlate({300, 400, {0, 0, 0}, 40, 5}, smallList());
  ASSERT_EQ(l.placed.size(), 5u);
  EXPECT_EQ(l.rows, 4);
  std::map<std::string, std::pair<double, double>> at;
  std::map<std::string, int> row;
  for (const PlacedDevice& p : l.placed) {
    at[p.device.item.number] = {p.centre.x, p.centre.y};
    row[p.device.item.number] = p.row;
  }
  EXPECT_EQ(at["A"], std::make_pair(95.0, 300.0));
  EXPECT_EQ(at["B"], std::make_pair(190.0, 300.0));
  EXPECT_EQ(at["C"], std::make_pair(70.0, 210.0));
  EXPECT_EQ(at["D"], std::make_pair(145.0, 135.0));
  EXPECT_EQ(at["T"], std::make_pair(120.0, 60.0));
  EXPECT_EQ(row["T"], 3) << "terminal blocks in the bottom row";
  ASSERT_EQ(l.notPlaced.size(), 1u);
  EXPECT_EQ(l.notPlaced[0].item.number, "E");

  // Each device centred on its row's rail; rails between the side ducts.
  ASSERT_EQ(l.rails.size(), 4u);
  for (const PlacedDevice& p : l.placed) {
    const Rect& rail = l.rails[p.row];
    EXPECT_DOUBLE_EQ((rail.y0 + rail.y1) / 2, p.centre.y);
    EXPECT_DOUBLE_EQ(rail.height(), 35);
    EXPECT_DOUBLE_EQ(rail.x0, 40);
    EXPECT_DOUBLE_EQ(rail.x1, 260);
  }
  // Four edge ducts and one between each two rows; none under the last row, which sits on the
  // bottom duct.
  ASSERT_EQ(l.ducts.size(), 7u);
  EXPECT_DOUBLE_EQ(l.ducts[4].y1, 270);
  EXPECT_DOUBLE_EQ(l.ducts[4].y0, 230);
  EXPECT_DOUBLE_EQ(l.ducts[6].y0, 80);
  for (std::size_t i = 0; i < l.placed.size(); ++i) {
    Rect r = outline(l.placed[i]);
    EXPECT_GE(r.x0, 45 - 1e-9);
    EXPECT_LE(r.x1, 255 + 1e-9);
    for (const Rect& d : l.ducts)
      EXPECT_FALSE(overlap(r, d)) << l.placed[i].device.item.number;
    for (std::size_t j = i + 1; j < l.placed.size(); ++j)
      EXPECT_FALSE(overlap(r, outline(l.placed[j])));
  }
}

// The gap counts between devices: 100 + 5 + 105 is the row's 210 exactly, 100 + 5 + 106 is not.
TEST(PlateLayout, ADeviceWrapsWhenItAndItsGapPassTheUsableWidth) {
  PlateLayout fits = layOutPlate({300, 400, {0, 0, 0}, 40, 5},
                                 {device("A", 100, 50), device("B", 105, 50)});
  EXPECT_EQ(fits.rows, 1);
  EXPECT_DOUBLE_EQ(fits.placed[1].centre.x + 105 / 2.0, 255);
  PlateLayout wraps = layOutPlate({300, 400, {0, 0, 0}, 40, 5},
                                  {device("A", 100, 50), device("B", 106, 50)});
  EXPECT_EQ(wraps.rows, 2);
  EXPECT_DOUBLE_EQ(wraps.placed[1].centre.x, 45 + 53);
}

TEST(PlateLayout, RowsThatDoNotFitTheHeightAreLeftOutLastOrdinaryFirst) {
  // Rows of 60, 40 and 40 with two ducts take 220; a plate of 290 has 210 between its top and
  // bottom ducts, so the row of C (the last ordinary one) is left out.
  std::vector<LayoutDevice> list = smallList();
  list.erase(list.begin() + 5);  // no D
  PlateLayout l = layOutPlate({300, 290, {0, 0, 0}, 40, 5}, list);
  std::vector<std::string> left;
  for (const auto& d : l.notPlaced)
    left.push_back(d.item.number);
  EXPECT_EQ(left, (std::vector<std::string>{"C", "E"}));
  EXPECT_EQ(l.rows, 2);
  // A spare of a duct or more gets a duct under the last row.
  PlateLayout roomy = layOutPlate({300, 600, {10, 20, 0}, 40, 5}, list);
  EXPECT_EQ(roomy.rows, 3);
  EXPECT_EQ(roomy.ducts.size(), 7u);
  EXPECT_DOUBLE_EQ(roomy.ducts[4].y1, 20 + 600 - 40 - 60) << "the stack starts at the top duct";
}

TEST(PlateLayout, LengthsOfRailsAndDuctsAreThoseDrawn) {
  PlateLayout l = layOutPlate({300, 400, {0, 0, 0}, 40, 5}, smallList());
  std::vector<LengthLine> lines = lengthLines(l);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].kind, "DINレール");
  EXPECT_EQ(lines[0].pieces, 4);
  EXPECT_DOUBLE_EQ(lines[0].totalLength, 4 * 220.0);
  EXPECT_EQ(lines[1].kind, "配線ダクト");
  EXPECT_DOUBLE_EQ(lines[1].size, 40);
  EXPECT_EQ(lines[1].pieces, 7);
  EXPECT_DOUBLE_EQ(lines[1].totalLength, 2 * 300 + 2 * 320 + 3 * 220.0);
  std::string bom = bomText(l);
  EXPECT_EQ(bom.substr(0, bom.find('\n')), "No\tTYPE\tSPEC\tAUX1\t個数\t長さ(mm)");
  EXPECT_NE(bom.find("\tDINレール\t35\t\t4\t880\n"), std::string::npos) << bom;
  EXPECT_NE(bom.find("\t配線ダクト\t40\t\t7\t1900\n"), std::string::npos) << bom;
  EXPECT_NE(bom.find("\n1\tM-A\tR\t\t1\n"), std::string::npos) << bom;
  std::string csv = bomCsv(l);
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBFNo,TYPE,SPEC,AUX1,個数,長さ(mm)\r\n", 0), 0u);
  EXPECT_NE(csv.find(",配線ダクト,40,,7,1900\r\n"), std::string::npos);
}

TEST(DeviceList, ReadsNumbersModelsAndPolesAndRefusesABadLine) {
  std::vector<ListedDevice> l =
      parseDeviceList({"// list", "", "MC1\tS-T10", "  TB1 \t TB-15 \t 12 ", "CR1\tMY4N\t"});
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0].line, 3);
  EXPECT_EQ(l[1].number, "TB1");
  EXPECT_EQ(l[1].model, "TB-15");
  EXPECT_EQ(l[1].poles, 12);
  EXPECT_EQ(l[2].poles, 0);
  struct Bad {
    std::vector<std::string> lines;
    int line;
  } bad[] = {{{"ok\tS-T10", "MC2"}, 2},
             {{"\tS-T10"}, 1},
             {{"//", "TB\tTB-15\tx"}, 2},
             {{"TB\tTB-15\t0"}, 1}};
  for (const Bad& b : bad) {
    try {
      parseDeviceList(b.lines);
      ADD_FAILURE() << b.lines.back();
    } catch (const ListError& e) {
      EXPECT_EQ(e.line(), b.line) << e.what();
    }
  }
}

TEST(DeviceList, ModelsAreLookedUpAndTerminalBlocksSizedByTheirPoles) {
  catalogue::Snapshot cat;
  std::list<std::string> lines;  // the records' texts, where they stay
  auto add = [&](const std::string& line) {
    cat.records.push_back({static_cast<int>(cat.records.size()) + 1, lines.emplace_back(line)});
  };
  add("電磁接触器\tS-T10\tAC200V 1a\tM\t\t44\t74\t78\t\t\t\tコイル");
  add("端子台\tTB-15\t15A\tK\t\t10\t40\t30\t\t\t4.5");
  add("電磁接触器\tS-T10\tsecond row\tM\t\t99\t99");
  std::vector<LayoutDevice> d =
      resolveDevices(parseDeviceList({"MC1\tS-T10", "TB1\tTB-15\t12"}), cat);
  EXPECT_DOUBLE_EQ(d[0].width, 44);
  EXPECT_EQ(d[0].row.rating, "AC200V 1a") << "the first row of the model";
  EXPECT_TRUE(d[1].terminal);
  EXPECT_DOUBLE_EQ(d[1].width, 12 * 10 + 2 * 4.5);
  EXPECT_EQ(d[1].type, "TB-15 x 12P");
  try {
    resolveDevices(parseDeviceList({"MC1\tS-T10", "//", "X1\tNOPE"}), cat);
    FAIL();
  } catch (const ListError& e) {
    EXPECT_EQ(e.line(), 3);
    EXPECT_NE(std::string(e.what()).find("NOPE"), std::string::npos);
  }
  EXPECT_DOUBLE_EQ(plateSize("740◇"), 740);
  EXPECT_DOUBLE_EQ(plateSize(" 540 "), 540);
  EXPECT_DOUBLE_EQ(plateSize("x"), 0);
}

class PlateDrawing : public cad::testing::SimFixture {};

TEST_F(PlateDrawing, DrawsPlateDuctsRailsAndFramesInOneUndoGroup) {
  cad.operatorPoint(1000, 2000);
  PlaceResult r = placePlate(session, {300, 400, {}, 40, 5}, smallList());
  ASSERT_EQ(r.drawn.status, DrawResult::Status::Drawn);
  EXPECT_DOUBLE_EQ(r.layout.plate.x0, 1000);
  EXPECT_EQ(cad.prompts().back(), "配置基点（左下）を指示 : ");
  std::map<std::string, int> byLayer;
  int frames = 0;
  for (const auto& h : cad.drawing().modelSpace().entities) {
    const cad::sim::Entity& e = *cad.drawing().findEntity(h);
    ++byLayer[e.layer];
    if (e.type == cad::sim::EntityType::BlockRef) {
      ++frames;
      EXPECT_EQ(e.blockName, frames::kFrameBlock);
      EXPECT_EQ(e.attributes.size(), 6u);
    }
    if (e.type == cad::sim::EntityType::Polyline) EXPECT_TRUE(e.closed);
  }
  EXPECT_EQ(byLayer[kPlateLayer], 1);
  EXPECT_EQ(byLayer[kDuctLayer], 7);
  EXPECT_EQ(byLayer[kRailLayer], 4);
  EXPECT_EQ(byLayer[frames::kFrontLayer], 5);
  EXPECT_EQ(frames, 5);
  // The frame of A: 100 x 50 centred at its place, its number in NAME.
  const cad::sim::Entity* a = nullptr;
  for (const auto& h : cad.drawing().modelSpace().entities) {
    const cad::sim::Entity& e = *cad.drawing().findEntity(h);
    if (e.type != cad::sim::EntityType::BlockRef) continue;
    for (const auto& at : e.attributes)
      if (cad.drawing().findEntity(at)->tag == "NAME" && cad.drawing().findEntity(at)->text == "A")
        a = &e;
  }
  ASSERT_NE(a, nullptr);
  EXPECT_DOUBLE_EQ(a->p1.x, 1095);
  EXPECT_DOUBLE_EQ(a->p1.y, 2300);
  EXPECT_DOUBLE_EQ(a->xScale, 1);
  EXPECT_DOUBLE_EQ(a->yScale, 0.5);
  EXPECT_EQ(cad.openUndoGroups(), 0);
  ASSERT_TRUE(cad.undo());
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty()) << "one undo step takes it all";
}

TEST_F(PlateDrawing, AFrozenFrontLayerIsRefusedAndACancelledBasePointDrawsNothing) {
  cad.operatorEscape();
  EXPECT_EQ(placePlate(session, {300, 400, {}, 40, 5}, smallList()).drawn.status,
            DrawResult::Status::Cancelled);
  doc.layers().add(frames::kFrontLayer).setFreeze(true);
  cad.operatorPoint(0, 0);
  PlaceResult r = placePlate(session, {300, 400, {}, 40, 5}, smallList());
  EXPECT_FALSE(r.drawn.refusal.empty());
  EXPECT_EQ(cad.openUndoGroups(), 0);
}

}  // namespace
}  // namespace qarn::plate
