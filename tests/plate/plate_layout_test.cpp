#include "plate/plate_layout.h"

#include <gtest/gtest.h>

#include <list>

#include "../cad/sim_fixture.h"
#include "cad/sim/entity_geometry.h"
#include "frames/device_layers.h"
#include "plate/plate_report.h"

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

LayoutDevice strip(const std::string& number, int poles, double pitch, double end, double h,
                   int line) {
  LayoutDevice d = device(number, poles * pitch + 2 * end, h, true, line);
  d.item.poles = d.poles = poles;
  d.pitch = pitch;
  d.endWidth = end;
  return d;
}

bool overlap(const Rect& a, const Rect& b) {
  const double e = 1e-9;
  return a.x0 < b.x1 - e && b.x0 < a.x1 - e && a.y0 < b.y1 - e && b.y0 < a.y1 - e;
}

// A plate of 400 x 600, ducts 40, gap 5, clearance 20, end stops 10: rails run from 40 to 360,
// devices from 60 to 340 (280). Worked out by hand:
// - A (100) and B (80) share row 0 (10 + 100 + 5 + 80 + 10 = 205); C (150) would make it 360.
// - T, 30 poles of 10 between ends of 5 (310), is wider than a row: 25 poles (260) take the whole
//   bottom rail (10 + 260 + 10 = 280), the other 5 (60) the rail above it.
// - Bands (clearance, reach above and below, clearance): 100, 90, 80, 80; with three ducts
//   between them they take 470 of the 520 between top and bottom ducts. The 50 spare lie between
//   the ordinary rows and the terminal rows, with a duct of their own above the terminal rows.
LayoutInput handInput(bool pack = false) {
  LayoutInput in{400, 600, {0, 0, 0}, 40, 5, 20, 0, 10, pack};
  return in;
}
std::vector<LayoutDevice> handList() {
  return {device("A", 100, 60, false, 1), strip("T", 30, 10, 5, 40, 2),
          device("B", 80, 40, false, 3), device("C", 150, 50, false, 4)};
}

std::map<std::string, std::tuple<double, double, int>> where(const PlateLayout& l) {
  std::map<std::string, std::tuple<double, double, int>> at;
  for (const PlacedDevice& p : l.placed)
    at[p.device.name()] = {p.centre.x, p.centre.y, p.row};
  return at;
}

TEST(PlateLayout, ClearancesEndStopsTerminalRowsAtTheBottomAndASplitStripByHand) {
  PlateLayout l = layOutPlate(handInput(), handList());
  EXPECT_TRUE(l.complete());
  using P = std::tuple<double, double, int>;
  EXPECT_EQ(where(l), (std::map<std::string, P>{{"A", {120, 510, 0}},
                                                {"B", {215, 520 - 10, 0}},
                                                {"C", {145, 375, 1}},
                                                {"T (1/2)", {200, 80, 2}},
                                                {"T (2/2)", {100, 200, 3}}}));
  for (const PlacedDevice& p : l.placed)
    if (p.device.terminal) {
      EXPECT_EQ(p.device.type, p.device.part == 1 ? "M-T x 25P" : "M-T x 5P");
    }
  std::vector<double> ductTops, stops;
  for (std::size_t i = 4; i < l.ducts.size(); ++i)
    ductTops.push_back(l.ducts[i].y1);
  EXPECT_EQ(ductTops, (std::vector<double>{460, 330, 160, 280}));
  for (const Rect& s : l.endStops)
    stops.push_back(s.x0);
  EXPECT_EQ(stops, (std::vector<double>{60, 255, 60, 220, 60, 330, 60, 130}));
  ASSERT_EQ(l.rails.size(), 4u);
  EXPECT_DOUBLE_EQ(l.rails[3].y0, 200 - 17.5);
  EXPECT_DOUBLE_EQ(l.endStops[7].y1, 200 + 17.5) << "an end stop stands on its rail";

  // Lengths: four rails of 320, ducts 2 x 400, 2 x 520 and 4 x 320, eight end stops.
  std::vector<LengthLine> lines = lengthLines(l);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].totalLength, 4 * 320.0);
  EXPECT_EQ(lines[1].totalLength, 2 * 400 + 2 * 520 + 4 * 320.0);
  EXPECT_EQ(lines[2].kind, "エンドストップ");
  EXPECT_EQ(lines[2].pieces, 8);
  // The strip counts once in the bill of materials, in its two parts.
  std::string bom = bomText(l, {});
  EXPECT_NE(bom.find("\tM-T x 30P (2分割)\tR\t\t1\n"), std::string::npos) << bom;
  EXPECT_EQ(bom.find("25P"), std::string::npos) << bom;
  EXPECT_NE(bom.find("\tエンドストップ\t10\t\t8\t\n"), std::string::npos) << bom;
}

// A text measured by the CAD widens a device's footprint: the band grows by what hangs below the
// frame, and the next device keeps the gap from the text, not from the outline.
TEST(PlateLayout, MeasuredTextsWidenRowsAndSpacing) {
  std::vector<LayoutDevice> list = {device("A", 100, 60, false, 1), device("B", 80, 40, false, 2)};
  list[0].extent = {-50, -45, 60, 30};  // a rating 15 below and 10 to the right of the frame
  PlateLayout l = layOutPlate(handInput(), list);
  EXPECT_EQ(where(l)["A"], std::make_tuple(120.0, 600 - 40 - 20 - 30.0, 0));
  EXPECT_EQ(std::get<0>(where(l)["B"]), 170 + 10 + 5 + 40.0);
  EXPECT_DOUBLE_EQ(l.ducts[4].y1, 560 - 20 - 30 - 45 - 20.0);
}

// --pack: rows first-fit by decreasing height; a row keeps list order. In list order C (100)
// fits neither beside B (325) nor alone with A, which came before.
TEST(PlateLayout, PackingLetsSmallDevicesJoinTallerRows) {
  std::vector<LayoutDevice> list = {device("A", 150, 60, false, 1), device("B", 200, 100, false, 2),
                                    device("C", 100, 30, false, 3)};
  using P = std::tuple<double, double, int>;
  EXPECT_EQ(layOutPlate(handInput(), list).rows, 3);
  PlateLayout packed = layOutPlate(handInput(true), list);
  EXPECT_EQ(packed.rows, 2);
  EXPECT_EQ(where(packed), (std::map<std::string, P>{{"A", {145, 330, 1}},
                                                     {"B", {170, 490, 0}},
                                                     {"C", {275, 330, 1}}}));
}

TEST(PlateLayout, RowsThatDoNotFitTheHeightAreLeftOutLastOrdinaryFirst) {
  // 520 between the ducts: bands 100 + 90 + 80 + 80 and three ducts need 470; a plate of 530
  // has 450, so C's row goes (100 + 80 + 80 + 80 = 340 remain).
  LayoutInput in = handInput();
  in.plateHeight = 530;
  PlateLayout l = layOutPlate(in, handList());
  ASSERT_EQ(l.notPlaced.size(), 1u);
  EXPECT_EQ(l.notPlaced[0].item.number, "C");
  // Spare of 110 less the duct above the terminal rows: the stacks keep to their ducts.
  EXPECT_EQ(std::get<1>(where(l)["A"]), 530 - 40 - 20 - 30.0);
  EXPECT_EQ(std::get<1>(where(l)["T (1/2)"]), 80.0);
  in.plateHeight = 250;
  EXPECT_EQ(layOutPlate(in, handList()).notPlaced.size(), 4u) << "A, B, C and T (2/2)";
  // Both end stops count: 10 + 260 + 10 fills a row of 280, a device of 261 has none.
  EXPECT_TRUE(layOutPlate(handInput(), {device("W", 260, 40)}).complete());
  EXPECT_FALSE(layOutPlate(handInput(), {device("W", 261, 40)}).complete());
  in = handInput();
  in.endStop = 0;
  PlateLayout none = layOutPlate(in, {device("W", 280, 40)});
  EXPECT_TRUE(none.complete());
  EXPECT_TRUE(none.endStops.empty()) << "no end stops of width 0 to draw or buy";
}

TEST(CutPlan, FirstFitDecreasingOnStockLengths) {
  CutPlan p = cutPlan({700, 700, 1300, 700, 1300, 2500}, 2000);
  std::vector<std::vector<double>> sticks;
  std::vector<double> waste;
  for (const Stick& s : p.sticks) {
    sticks.push_back(s.cuts);
    waste.push_back(s.waste);
  }
  EXPECT_EQ(sticks, (std::vector<std::vector<double>>{
                        {2000}, {1300, 700}, {1300, 700}, {700, 500}}));
  EXPECT_EQ(waste, (std::vector<double>{0, 0, 0, 800}));
  std::vector<std::string> lines = reportLines({{}, {[&] {
                                                  p.kind = "DINレール";
                                                  p.size = 35;
                                                  return p;
                                                }()},
                                                "", std::nullopt});
  EXPECT_EQ(lines[0], "切断計画 DINレール 35 (定尺 2000 mm): 4 本");
  EXPECT_EQ(lines[4], "  4: 700 + 500 残り 800");
}

TEST(Enclosure, TheSmallestPlateThatTakesTheWholeList) {
  std::vector<EnclosureSize> family = {{"BIG", 1100, 1100, 300, 1000, 1000},
                                       {"TALL", 500, 700, 200, 400, 600},
                                       {"WIDE", 700, 500, 200, 600, 400},
                                       {"SMALL", 400, 400, 200, 300, 300}};
  LayoutInput in = handInput();
  in.plateHeight = 300;
  std::vector<LayoutDevice> list = handList();
  EXPECT_FALSE(layOutPlate(in, list).complete());
  // WIDE (600 x 400) and TALL (400 x 600) have one area and both take the list: the lower one.
  EXPECT_EQ(enclosureThatFits(in, list, family), "WIDE");
  list.push_back(device("D", 100, 400, false, 5));
  EXPECT_EQ(enclosureThatFits(in, list, family), "BIG");
  list.push_back(device("E", 990, 30, false, 6));
  EXPECT_EQ(enclosureThatFits(in, list, family), std::nullopt);
  EXPECT_EQ(fitMessage("RA12-6080", "RA14-8080", "RA"),
            "RA12-6080 には入りません。RA14-8080 なら全て配置できます。");
  EXPECT_EQ(fitMessage("X", std::nullopt, "RA"), "X には入りません。全て配置できる RA の盤はありません。");
}

TEST(Heat, RiseOfTheInnerAirForAKnownEnclosure) {
  EnclosureSize box{"RA12-6080", 600, 800, 250, 540, 740};
  struct Case {
    Mount mount;
    double loss, area, rise;
    bool warm;
  } cases[] = {{Mount::Wall, 100, 1.242, 14.639, false},
               {Mount::Free, 100, 1.434, 12.679, false},
               {Mount::Wall, 120, 1.242, 17.567, true}};
  for (const Case& c : cases) {
    Heat h = estimateHeat(box, c.loss, c.mount, 15);
    EXPECT_NEAR(h.area, c.area, 1e-9);
    EXPECT_NEAR(h.rise, c.rise, 1e-3);
    EXPECT_EQ(h.tooWarm, c.warm);
  }
  // A strip split over two rails gives off its loss once.
  std::vector<LayoutDevice> list = handList();
  list[1].item.loss = 3;
  list[2].item.loss = 1.5;
  EXPECT_EQ(totalLoss(splitStrips(handInput(), list)), 4.5);
  PlateReport r;
  r.heat = estimateHeat(box, 120, Mount::Wall, 15);
  std::vector<std::string> lines = reportLines(r);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "発熱 120 W 放熱面積 1.24 m² 盤内温度上昇 17.6 K");
  EXPECT_EQ(lines[1], "警告: 盤内温度上昇が 15 K を超えます。換気や冷却を検討してください。");
}

TEST(DeviceList, ReadsNumbersModelsAndPolesAndRefusesABadLine) {
  std::vector<ListedDevice> l =
      parseDeviceList({"// list", "", "MC1\tS-T10", "  TB1 \t TB-15 \t 12 ", "CR1\tMY4N\t\t 1.5 "});
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[2].loss, 1.5);
  EXPECT_EQ(l[0].loss, 0);
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
             {{"TB\tTB-15\t0"}, 1},
             {{"CR1\tMY4N\t\tabc"}, 1},
             {{"CR1\tMY4N\t\t-2"}, 1}};
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

class PlateDrawing : public cad::testing::SimFixture {
 protected:
  // The outline of each frame and the box of each visible text, by the frame's NAME.
  std::vector<std::pair<std::string, Rect>> shapes() {
    std::vector<std::pair<std::string, Rect>> out;
    const cad::sim::Drawing& d = cad.drawing();
    for (const auto& h : d.modelSpace().entities) {
      const cad::sim::Entity& e = *d.findEntity(h);
      if (e.type != cad::sim::EntityType::BlockRef) continue;
      std::string name = d.findEntity(e.attributes[0])->text;
      out.push_back({name, {e.p1.x - 50 * e.xScale, e.p1.y - 50 * e.yScale, e.p1.x + 50 * e.xScale,
                            e.p1.y + 50 * e.yScale}});
      for (const auto& at : e.attributes) {
        cad::sim::Extents x = cad::sim::extentsOf(d, *d.findEntity(at));
        if (!x.empty()) out.push_back({name, {x.min.x, x.min.y, x.max.x, x.max.y}});
      }
    }
    return out;
  }
};

TEST_F(PlateDrawing, DrawsPlateDuctsRailsEndStopsAndFramesInOneUndoGroup) {
  cad.operatorPoint(1000, 2000);
  LayoutInput in = handInput();
  PlaceResult r = placePlate(session, in, handList());
  ASSERT_EQ(r.drawn.status, DrawResult::Status::Drawn);
  EXPECT_DOUBLE_EQ(r.layout.plate.x0, 1000);
  EXPECT_EQ(cad.prompts().back(), "配置基点（左下）を指示 : ");
  std::map<std::string, int> byLayer;
  for (const auto& h : cad.drawing().modelSpace().entities) {
    const cad::sim::Entity& e = *cad.drawing().findEntity(h);
    ++byLayer[e.layer];
    if (e.type == cad::sim::EntityType::Polyline) {
      EXPECT_TRUE(e.closed);
    }
  }
  EXPECT_EQ(byLayer, (std::map<std::string, int>{{kPlateLayer, 1},
                                                 {kDuctLayer, 8},
                                                 {kRailLayer, 4 + 8},
                                                 {frames::kFrontLayer, 5}}));
  // Each frame where the layout put it, its number (a part's number) in NAME.
  std::map<std::string, Rect> frames;
  for (const auto& [name, r] : shapes())
    frames.emplace(name, r);  // the first of a name is its outline
  EXPECT_DOUBLE_EQ(frames["A"].x0, 1070);
  EXPECT_NEAR(frames["A"].y1, 2540, 1e-6);
  EXPECT_DOUBLE_EQ(frames["T (2/2)"].x1, 1130);
  EXPECT_NEAR(frames["T (1/2)"].y0, 2060.6, 1e-9) << "its rating hangs 0.6 below the frame";
  EXPECT_EQ(cad.openUndoGroups(), 0);
  ASSERT_TRUE(cad.undo());
  EXPECT_TRUE(cad.drawing().modelSpace().entities.empty()) << "one undo step takes it all";
}

// Texts as the CAD measures them at DIMSCALE 10: a red AUX1 under a low breaker, ratings wider
// than their frames, a number turned up a tall narrow frame. None reaches a duct or another
// device, and frames that do not fit are not left behind.
TEST_F(PlateDrawing, NoTextInsideADuctOrOnAnotherDevice) {
  cad.drawing().variables["DIMSCALE"] = cad::Value(10.0);
  std::vector<LayoutDevice> list;
  for (int i = 0; i < 12; ++i) {
    LayoutDevice d = device("CB" + std::to_string(i + 1), i % 3 == 0 ? 18 : 50, 40 + i * 7,
                            false, i + 1);
    d.row.rating = "AC200V 2a2b 50/60Hz";
    d.row.auxiliary = i % 2 ? "AC220V" : "";
    list.push_back(d);
  }
  list.push_back(strip("TB1", 40, 6, 3, 45, 13));
  cad.operatorPoint(0, 0);
  LayoutInput in = handInput();
  in.plateHeight = 800;
  PlaceResult r = placePlate(session, in, list);
  ASSERT_EQ(r.drawn.status, DrawResult::Status::Drawn);
  auto all = shapes();
  EXPECT_TRUE(r.layout.complete());
  EXPECT_EQ(all.size(), r.layout.placed.size() * 4 + 6) << "outline, NAME, TYPE, SPEC, 6 AUX1";
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (const Rect& d : r.layout.ducts)
      EXPECT_FALSE(overlap(all[i].second, d)) << all[i].first;
    for (std::size_t j = i + 1; j < all.size(); ++j)
      if (all[i].first != all[j].first) {
        EXPECT_FALSE(overlap(all[i].second, all[j].second)) << all[i].first << " " << all[j].first;
      }
  }
}

TEST_F(PlateDrawing, AFrozenFrontLayerIsRefusedAndACancelledBasePointDrawsNothing) {
  cad.operatorEscape();
  EXPECT_EQ(placePlate(session, handInput(), handList()).drawn.status,
            DrawResult::Status::Cancelled);
  doc.layers().add(frames::kFrontLayer).setFreeze(true);
  cad.operatorPoint(0, 0);
  PlaceResult r = placePlate(session, handInput(), handList());
  EXPECT_FALSE(r.drawn.refusal.empty());
  EXPECT_EQ(cad.openUndoGroups(), 0);
}

}  // namespace
}  // namespace qarn::plate
