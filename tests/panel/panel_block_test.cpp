#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "../cad/sim_fixture.h"
#include "cad/automation_error.h"
#include "panel/panel_block.h"

namespace qarn::panel {
namespace {

using cad::Point3;
using cad::sim::EntityType;
constexpr double kPi = std::numbers::pi;

class PanelBlock : public cad::testing::SimFixture {
 protected:
  std::vector<const cad::sim::Entity*> define(const std::string& name, int kind,
                                              const std::string& cut, bool plate, double H,
                                              double W) {
    EXPECT_TRUE(DefinePanelDeviceBlock(doc, name, kind, cut, plate, H, W, session.CadProgId));
    std::vector<const cad::sim::Entity*> out;
    for (const auto& h : cad.drawing().findBlock(name)->entities)
      out.push_back(cad.drawing().findEntity(h));
    return out;
  }
  static std::vector<double> xy(const cad::sim::Entity& p) {
    std::vector<double> out;
    for (const auto& v : p.vertices) {
      out.push_back(v.x);
      out.push_back(v.y);
    }
    return out;
  }
  static void near(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      EXPECT_NEAR(got[i], want[i], 1e-9) << i;
  }
  // The attribute definitions by tag.
  static const cad::sim::Entity* def(const std::vector<const cad::sim::Entity*>& e,
                                     const std::string& tag) {
    for (const auto* x : e)
      if (x->type == EntityType::AttributeDef && x->tag == tag) return x;
    return nullptr;
  }
};

TEST_F(PanelBlock, APushButtonWithItsPlateRingsAndAttributes) {
  auto e = define("TOVEKPB122NP", 0, "", true, 22, 22);
  ASSERT_EQ(e.size(), 9u);
  near(xy(*e[0]), {15, 25, -15, 25, -15, 0, 15, 0});
  EXPECT_TRUE(e[0]->closed);
  EXPECT_EQ(e[0]->vertices[2].bulge, 1) << "the lower end a half circle";
  EXPECT_EQ(e[0]->layer, "0");
  EXPECT_EQ(e[0]->color, 0);
  EXPECT_EQ(e[0]->linetype, "BYBLOCK");
  EXPECT_EQ(e[1]->radius, 15);
  EXPECT_EQ(e[2]->radius, 11.25);
  struct Want {
    const char* tag;
    double y, height, widthFactor;
    bool invisible;
    const char* layer;
    int alignment;
  };
  for (Want w : {Want{"NAME", 38, 18, 0.75, false, "TOVEK_NAME", 10},
                 {"TYPE", -17, 5, 0.6, false, "TOVEK_TYPE", 7},
                 {"SPEC", -24, 5, 0.6, false, "TOVEK_SPEC", 7},
                 {"AUX1", -31, 5, 0.6, false, "TOVEK_AUX1", 7},
                 {"AUX2", -38, 5, 0.6, true, "TOVEK_AUX2", 7},
                 {"CUT", -45, 5, 0.6, true, "TOVEK_AUX2", 7}}) {
    const auto* d = def(e, w.tag);
    ASSERT_TRUE(d) << w.tag;
    EXPECT_EQ(d->p1, (Point3{0, w.y, 0})) << w.tag;
    EXPECT_EQ(d->p2, d->p1) << w.tag;
    EXPECT_EQ(d->height, w.height) << w.tag;
    EXPECT_DOUBLE_EQ(d->widthFactor, w.widthFactor) << w.tag;
    EXPECT_EQ(d->invisible, w.invisible) << w.tag;
    EXPECT_EQ(d->layer, w.layer) << w.tag;
    EXPECT_EQ(d->alignment, w.alignment) << w.tag;
    EXPECT_EQ(d->color, 256) << w.tag;
  }
  EXPECT_EQ(cad.drawing().findLayer("TOVEK_CUT")->color, 253);
  EXPECT_EQ(cad.drawing().findLayer("TOVEK_AUX2")->color, 1);

  // Without the plate only the rings; size class 25 and "other".
  EXPECT_EQ(define("TOVEKPB122", 0, "", false, 22, 22).size(), 8u);
  auto buzzer = define("TOVEKBZ125", 5, "", false, 25, 25.9);
  EXPECT_EQ(buzzer[0]->radius, 15) << "size class 25";
  EXPECT_NE(buzzer[1]->type, EntityType::Circle) << "kind 5: the outer ring only";
  EXPECT_EQ(def(define("TOVEKPB125NP", 0, "", true, 25, 25), "NAME")->p1, (Point3{0, 43, 0}))
      << "class 25: the plate's top at 30";
  EXPECT_EQ(def(define("TOVEKPB130NP", 0, "", true, 30, 30), "NAME")->p1, (Point3{0, 43, 0}));
}

TEST_F(PanelBlock, RectanglesAndTheMeter) {
  auto e = define("TOVEKRC4ABC", 4, "", false, 48, 96);
  near(xy(*e[0]), {48, 24, -48, 24, -48, -24, 48, -24});
  EXPECT_EQ(def(e, "NAME")->p1, (Point3{0, 37, 0}));
  EXPECT_EQ(def(e, "TYPE")->p1, (Point3{0, -26, 0}));
  for (const auto* x : e)
    EXPECT_NE(x->type, EntityType::Circle);

  e = define("TOVEKAM1M", 6, "", false, 80, 80);
  EXPECT_EQ(def(e, "NAME")->p1, (Point3{0, 53, 0})) << "a meter's texts by its height too";
  EXPECT_EQ(def(e, "CUT")->p1, (Point3{0, -70, 0}));
  near(xy(*e[1]), {40, -8, -40, -8});
  EXPECT_EQ(e[2]->type, EntityType::Arc);
  EXPECT_EQ(e[2]->p1, (Point3{0, -24, 0}));
  EXPECT_DOUBLE_EQ(e[2]->radius, 54);
  EXPECT_DOUBLE_EQ(e[2]->startAngle, 0.3 * kPi);
  EXPECT_DOUBLE_EQ(e[2]->endAngle, 0.7 * kPi);
  // The pointer from 1.05 of the radius at 126 degrees down to the scale line (16 above the
  // arc's centre, along the same direction).
  double c = std::cos(0.7 * kPi), s = std::sin(0.7 * kPi);
  near(xy(*e[3]), {56.7 * c, -24 + 56.7 * s, 16 * c / s, -8});
}

TEST_F(PanelBlock, MarksAndHandlesTurnAboutTheCentre) {
  auto e = define("TOVEKPL122", 1, "", false, 22, 22);
  // Four marks from radius 10 to 7 at 135, 225, 315 and 45 degrees.
  double r = std::sqrt(0.5);
  const double at[4][2] = {{-r, r}, {-r, -r}, {r, -r}, {r, r}};
  for (int i = 0; i < 4; ++i)
    near(xy(*e[2 + i]), {10 * at[i][0], 10 * at[i][1], 7 * at[i][0], 7 * at[i][1]});

  e = define("TOVEKCS322", 3, "", false, 22, 22);
  const double x1 = 2.01976213211173, y1 = 11.0359039223261;
  near(xy(*e[2]), {x1, y1, x1, -y1});
  near(xy(*e[3]), {-x1, y1, -x1, -y1});
  e = define("TOVEKCS222", 2, "", false, 22, 22);
  near(xy(*e[2]), {(x1 - y1) * r, (x1 + y1) * r, (x1 + y1) * r, (x1 - y1) * r});
}

TEST_F(PanelBlock, CutOutsOnTheirLayer) {
  auto holes = [&](const std::string& name, const std::string& cut) {
    std::vector<const cad::sim::Entity*> out;
    for (const auto* x : define(name, 5, cut, false, 30, 30))
      if (x->layer == "TOVEK_CUT") out.push_back(x);
    return out;
  };
  auto c = holes("A", "c:22.5");
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0]->p1, (Point3{0, 0, 0}));
  EXPECT_DOUBLE_EQ(c[0]->radius, 11.25);
  EXPECT_NEAR(c[1]->p1.x - c[1]->p2.x, 27, 1e-9) << "centre lines 27 long";
  EXPECT_EQ(c[0]->color, 256);
  EXPECT_EQ(holes("B", "C:22.5,10")[0]->p1, (Point3{0, 0, 0}));
  EXPECT_EQ(holes("C", "C:22.5,10,5")[0]->p1, (Point3{10, 5, 0}));
  auto r = holes("D", "R:30X20,0,-10");
  ASSERT_EQ(r.size(), 3u);
  near(xy(*r[0]), {15, 0, -15, 0, -15, -20, 15, -20});
  EXPECT_NEAR(r[1]->p1.x - r[1]->p2.x, 36, 1e-9);
  EXPECT_NEAR(r[2]->p1.y - r[2]->p2.y, 24, 1e-9);
}

TEST_F(PanelBlock, AnExistingBlockIsNeverChangedAndNamesAreClean) {
  auto first = define("TOVEKPB122", 0, "C:22", false, 22, 22).size();
  EXPECT_EQ(define("TOVEKPB122", 0, "R:40X40", true, 22, 22).size(), first);
  EXPECT_EQ(panelBlockName(0, "22", "X", true), "TOVEKPB122NP");
  EXPECT_EQ(panelBlockName(4, "96", "ABC", true), "TOVEKRC4ABC") << "no NP for a rectangle";
  EXPECT_EQ(panelBlockName(4, "96", "ABC_24V", false), "TOVEKRC4ABC_24V");
  EXPECT_EQ(panelBlockName(4, "96", "ABC 24V", false).substr(0, 16), "TOVEKRC4ABC_24V_")
      << "no blank on the command line, and no merging with ABC_24V";
  EXPECT_EQ(panelBlockName(6, "", "A=B/C", false).substr(0, 14), "TOVEKAM1A_B_C_");
  EXPECT_EQ(panelBlockName(9, "22", "M", false), "M") << "no code for a kind outside 0 to 6";
  EXPECT_EQ(missingSize(4, 0, 48), "W");
  EXPECT_EQ(missingSize(6, 80, 0), "H");
  EXPECT_FALSE(missingSize(0, 0, 0));
}

}  // namespace
}  // namespace qarn::panel
