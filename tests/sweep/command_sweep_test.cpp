// Every drawing command swept: each of its automation calls fails in turn.
#include <gtest/gtest.h>

#include <filesystem>

#include "enclosure/enclosure_drawing.h"
#include "fault_sweep.h"
#include "frames/frame_block.h"
#include "frames/front_placement.h"
#include "frames/mounting_holes.h"
#include "frames/partitions.h"
#include "frames/side_view.h"
#include "inspect/attribute_editor.h"
#include "inspect/layer_table.h"
#include "inspect/summary.h"
#include "panel/panel_creation.h"
#include "library/library_commands.h"
#include "plate/plate_layout.h"
#include "tools/alignment.h"
#include "tools/device_numbers.h"

namespace qarn::testing {
namespace {

using cad::Point3;

void sweep(const SweepCase& c) {
  long runs = runSweep(c);
  EXPECT_GT(runs, 10) << c.name;
  std::printf("[ sweep    ] %s: %ld failing runs\n", c.name.c_str(), runs);
}

// A front view placed at (100, 100) and picked, as the later frame commands start.
void placedFrame(cad::sim::SimCad& sim, cad::Session& s, const std::string& dims,
                 const std::string& cut = "", double w = 45, double h = 80) {
  sim.operatorPoint(100, 100);
  frames::FrameFields f;
  f.number = "MC1";
  f.dimensions = dims;
  f.cut = cut;
  frames::InsertTovek(s, w, h, 4, "ABC", "TOVEK_FRONT", 0, f);
  sim.operatorPick(sim.drawing().lastEntity(), {100, 100, 0});
}

int entitiesAt(const cad::sim::Drawing& d, Point3 p) {
  int n = 0;
  for (const auto& h : d.modelSpace().entities)
    n += d.findEntity(h)->p1 == p ? 1 : 0;
  return n;
}

TEST(FaultSweep, Enclosures) {
  const std::pair<const char*, enclosure::ChosenEnclosure> boxes[] = {
      {"RA", {"RA12-4560", "片扉", "450", "600", "200", "390", "540", "170", "", ""}},
      {"S", {"SB-6080", "両扉", "600", "800", "250", "550", "750", "220", "", ""}},
      {"CH", {"CH20-4050", "", "400", "500", "200", "360", "460", "160", "", ""}},
      {"CL", {"CL16-3040", "", "300", "400", "160", "260", "360", "130", "", ""}},
      {"E", {"EB-8018", "両扉", "800", "1800", "400", "720", "1700", "365", "", ""}},
      {"OR", {"OR12-6080", "片扉", "600", "800", "250", "540", "740◇", "220★", "", ""}},
      {"ORM", {"ORM14-8010", "両扉", "800", "1000", "250", "740", "940", "220", "300", "215"}},
  };
  for (const auto& [family, fields] : boxes) {
    enclosure::EnclosureInput input{family, fields};
    sweep({std::string("enclosure ") + family,
           [](cad::sim::SimCad& sim, cad::Session&) { sim.operatorPoint(123.5, -87); },
           [input](cad::Session& s) { enclosure::drawEnclosure(s, input); }, nullptr});
  }
}

TEST(FaultSweep, FrameBlock) {
  sweep({"frame block", nullptr,
         [](cad::Session& s) {
           cad::Document doc = cad::attachCad(s.CadProgId).activeDocument();
           frames::EnsureFrameBlock(doc, "TOVEK_RA100", s.CadProgId);
         },
         nullptr});
}

TEST(FaultSweep, FrontPlacement) {
  struct Case {
    const char* name;
    bool array, terminal;
  };
  for (Case c : {Case{"one frame", false, false},
                 {"a row of three", true, false},
                 {"a terminal block", false, true}}) {
    frames::FrontInput in;
    in.gridModel = "TB-15";
    in.width = "10";
    in.height = "40";
    in.endWidth = "4.5";
    in.terminalMode = c.terminal;
    in.poles = "12";
    in.baseSw = 0;
    in.fields.number = "X1";
    in.fields.arrayMode = c.array;
    in.fields.arrayCount = "3";
    in.fields.arrayGap = "2";
    sweep({std::string("front placement, ") + c.name,
           [](cad::sim::SimCad& sim, cad::Session&) {
             sim.drawing().variables["ATTDIA"] = cad::Value::int16(1);
             sim.operatorPoint(500, 300);
           },
           [in](cad::Session& s) { frames::placeFront(s, in); },
           [](const SweepRun& run) {
             EXPECT_EQ(entitiesAt(run.cad->drawing(), {0, 0, 0}), 0)
                 << "a frame left at the origin, failing call " << run.failAt;
           }});
  }
}

TEST(FaultSweep, SideViews) {
  for (const char* dims : {"45 80 75 0 0", "40 60 20 50 80"}) {
    sweep({std::string("side view ") + dims,
           [dims](cad::sim::SimCad& sim, cad::Session& s) {
             placedFrame(sim, s, dims);
             sim.operatorPoint(300, 100);
           },
           [](cad::Session& s) { frames::Button8Click(s); },
           [](const SweepRun& run) {
             EXPECT_EQ(entitiesAt(run.cad->drawing(), {100, 100, 0}), 1)
                 << "a side view left over the front view, failing call " << run.failAt;
           }});
  }
}

TEST(FaultSweep, MountingHoles) {
  sweep({"mounting holes",
         [](cad::sim::SimCad& sim, cad::Session& s) {
           placedFrame(sim, s, "", "C:4 -20 30, R:10X5");
         },
         [](cad::Session& s) { frames::Button10Click(s); }, nullptr});
}

TEST(FaultSweep, Partitions) {
  sweep({"partitions",
         [](cad::sim::SimCad& sim, cad::Session& s) {
           placedFrame(sim, s, "6 40 30 0 0", "", 64, 40);
         },
         [](cad::Session& s) { frames::Button22Click(s); },
         [](const SweepRun& run) {
           for (const auto& g : run.cad->drawing().groups)
             EXPECT_FALSE(g.members.empty()) << "an empty group, failing call " << run.failAt;
         }});
}

TEST(FaultSweep, PanelDevices) {
  struct Case {
    const char* name;
    const char* kind;
    const char* width;
    const char* height;
    const char* cut;
  };
  for (Case c : {Case{"a lamp row", "1", "22", "22", "C:22"},
                 Case{"a meter row", "6", "80", "80", "C:4 -20 30, R:10x5"}}) {
    panel::PanelInput in;
    in.kind = c.kind;
    in.width = c.width;
    in.height = c.height;
    in.cut = c.cut;
    in.number = "PL1";
    in.model = "M";
    in.arrayMode = true;
    in.count = "3";
    in.pitch = "60";
    sweep({std::string("panel device, ") + c.name,
           [](cad::sim::SimCad& sim, cad::Session&) {
             sim.drawing().variables["ATTDIA"] = cad::Value::int16(1);
             sim.operatorPoint(100, 100);
           },
           [in](cad::Session& s) { panel::Button6Click(s, in); }, nullptr});
  }
}

}  // namespace
}  // namespace qarn::testing

namespace qarn::testing {
namespace {

// Two frames placed and picked for the inspection commands; the grid read from them.
void twoFramesPicked(cad::sim::SimCad& sim, cad::Session& s) {
  std::vector<std::string> picked;
  for (double x : {100.0, 200.0}) {
    sim.operatorPoint(x, 100);
    frames::FrameFields f;
    f.number = "MC1";
    frames::InsertTovek(s, 45, 80, 4, "ABC", "TOVEK_FRONT", 0, f);
    picked.push_back(sim.drawing().lastEntity());
  }
  sim.operatorSelect(picked);
}

// No reference is left with two attributes of one tag, whatever call failed in a split.
void noTagTwice(const SweepRun& r) {
  const cad::sim::Drawing& d = r.cad->drawing();
  for (const auto& h : d.modelSpace().entities) {
    std::map<std::string, int> tags;
    for (const auto& a : d.findEntity(h)->attributes)
      EXPECT_EQ(++tags[d.findEntity(a)->tag], 1)
          << "call " << r.failAt << " left two " << d.findEntity(a)->tag;
  }
}

TEST(FaultSweep, AttributeEditor) {
  auto grid = std::make_shared<inspect::AttributeGrid>();
  sweep({"attribute get", twoFramesPicked,
         [](cad::Session& s) {
           inspect::AttributeGrid g;
           inspect::GetAttributes(s, g);
         },
         nullptr});
  auto readAndEdit = [grid](cad::sim::SimCad& sim, cad::Session& s) {
    twoFramesPicked(sim, s);
    *grid = inspect::AttributeGrid();
    inspect::GetAttributes(s, *grid);
    grid->table.setCell(inspect::kColName, 1, "K1^K2");
    grid->table.setCell(inspect::kColType, 2, "NEW");
  };
  sweep({"attribute update with a split", readAndEdit,
         [grid](cad::Session& s) { inspect::UpdateAttributes(s, *grid); }, noTagTwice});
  sweep({"attribute enter with a split", readAndEdit,
         [grid](cad::Session& s) { inspect::EnterKeyWrite(s, *grid, inspect::kColName, 1); },
         noTagTwice});
  sweep({"attribute click", readAndEdit,
         [grid](cad::Session& s) { inspect::MarkClickedAttribute(s, *grid, inspect::kColType, 1); },
         nullptr});
}

TEST(FaultSweep, SummaryAndLayers) {
  sweep({"summary get", twoFramesPicked,
         [](cad::Session& s) {
           inspect::GridTable g = inspect::newSummaryTable();
           inspect::GetSummary(s, g);
         },
         nullptr});
  auto table = std::make_shared<inspect::LayerTable>();
  sweep({"layer fill and switch",
         [table](cad::sim::SimCad& sim, cad::Session& s) {
           twoFramesPicked(sim, s);
           *table = inspect::LayerTable();
         },
         [table](cad::Session& s) {
           inspect::FillLayerTable(s, *table);
           inspect::SpaceOverLayers(s, *table, inspect::kLayerOn, 1, 9);
         },
         nullptr});
}

}  // namespace
}  // namespace qarn::testing

namespace qarn::testing {
namespace {

// Three blocks of a circle and a rectangle picked, with the reference and the value answered.
void threeBlocksPicked(cad::sim::SimCad& sim, cad::Session& s) {
  cad::Document doc = cad::attachCad(s.CadProgId).activeDocument();
  cad::Block b = doc.blocks().add({0, 0, 0}, "BOX");
  b.addLightWeightPolyline({-10, -5, 10, -5, 10, 5, -10, 5}).setClosed(true);
  b.addCircle({0, 0, 0}, 3);
  std::vector<std::string> hs;
  for (double x : {0.0, 40.0, 100.0})
    hs.push_back(doc.modelSpace().insertBlock({x, x / 10, 0}, "BOX").handle());
  sim.operatorSelect(hs);
  sim.operatorPick(hs[1]);
  sim.operatorDistance(30);
}

TEST(FaultSweep, LayoutTools) {
  sweep({"align by block", threeBlocksPicked,
         [](cad::Session& s) {
           tools::Button11Click(s, tools::AlignAxis::Horizontal, tools::AlignReference::Block);
         },
         nullptr});
  sweep({"outline spacing", threeBlocksPicked, [](cad::Session& s) { tools::Button7Click(s); },
         [](const SweepRun& r) {
           // Whatever failed, no loose copy of a block is left in the drawing.
           EXPECT_EQ(r.cad->drawing().modelSpace().entities.size(), 3u) << "call " << r.failAt;
         }});
  sweep({"join device numbers",
         [](cad::sim::SimCad& sim, cad::Session& s) {
           twoFramesPicked(sim, s);
           inspect::AttributeGrid g;
           inspect::GetAttributes(s, g);
           g.table.setCell(inspect::kColName, 1, "MC^12");
           inspect::UpdateAttributes(s, g);
           sim.operatorSelect({sim.drawing().modelSpace().entities});
         },
         [](cad::Session& s) { tools::Button9Click(s, false); }, noTagTwice});
}

}  // namespace
}  // namespace qarn::testing

namespace qarn::testing {
namespace {

TEST(FaultSweep, PlateLayout) {
  // Frames measured and moved, a strip split over two rails, a device too wide erased again.
  std::vector<plate::LayoutDevice> devices;
  for (int i = 0; i < 6; ++i) {
    plate::LayoutDevice d;
    d.item.number = "MC" + std::to_string(i + 1);
    d.item.line = i + 1;
    d.row.model = d.type = "S-T10";
    d.width = i == 4 ? 500 : 44;
    d.height = 74;
    d.terminal = i == 5;
    if (d.terminal) {
      d.poles = 30;
      d.pitch = 6;
      d.endWidth = 3;
      d.width = 186;
      d.height = 40;
    }
    devices.push_back(d);
  }
  sweep({"plate layout",
         [](cad::sim::SimCad& sim, cad::Session&) {
           sim.drawing().variables["DIMSCALE"] = cad::Value(10.0);
           sim.operatorPoint(0, 0);
         },
         [devices](cad::Session& s) {
           plate::placePlate(s, {300, 600, {}, 40, 5}, devices);
         },
         nullptr});
}

}  // namespace
}  // namespace qarn::testing

namespace qarn::testing {
namespace {

TEST(FaultSweep, BlockLibrary) {
  std::string dir = ::testing::TempDir() + "sweep library/";
  std::filesystem::create_directories(dir);
  {
    cad::sim::SimCad other;
    cad::Document d = cad::Application(cad::Object(other.application())).activeDocument();
    d.modelSpace().addCircle({0, 0, 0}, 5);
    other.writeDxf(dir + "motor.dwg");
  }
  sweep({"library insert", [](cad::sim::SimCad& sim, cad::Session&) { sim.operatorPoint(1, 2); },
         [dir](cad::Session& s) { library::Button18Click(s, dir + "motor.dwg", false); },
         nullptr});
  sweep({"library wblock",
         [dir](cad::sim::SimCad& sim, cad::Session& s) {
           std::filesystem::remove(dir + "VALVE.dwg");
           cad::Document doc = cad::attachCad(s.CadProgId).activeDocument();
           cad::Block b = doc.blocks().add({0, 0, 0}, "VALVE");
           b.addCircle({0, 0, 0}, 4);
           sim.operatorPick(doc.modelSpace().insertBlock({5, 5, 0}, "VALVE").handle());
         },
         [dir](cad::Session& s) { library::Button17Click(s, dir, [] { return true; }); },
         [](const SweepRun& r) {
           // Whatever failed, the drawing QARN started in is the active one again, or the
           // opened file is (when CLOSE itself failed); never a third.
           EXPECT_LE(r.cad->documentCount(), 2) << "call " << r.failAt;
         }});
}

}  // namespace
}  // namespace qarn::testing
