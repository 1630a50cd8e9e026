#include "panel/panel_block.h"

#include <cmath>
#include <numbers>

#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "cad/geometry.h"
#include "cad/text.h"
#include "frames/mounting_holes.h"

namespace qarn::panel {

namespace {

constexpr double kPi = std::numbers::pi;

cad::Polyline symbol(const cad::Block& b, std::vector<double> xy, bool closed = false) {
  cad::Polyline p = b.addLightWeightPolyline(xy);
  if (closed) p.setClosed(true);
  cad::setByBlock(p);
  return p;
}

struct Definition {
  const char* tag;
  const char* prompt;
  const char* layer;
  int color;
  bool fromTop;  // placed above the plate (B), else below the device (A)
  double offset;
  int height, mode, alignment;
  double widthFactor;
};

constexpr Definition kDefinitions[] = {
    {"NAME", "器具番号", "TOVEK_NAME", 4, true, 13, 18, 0, 10, 0.75},
    {"TYPE", "型式", "TOVEK_TYPE", 7, false, -2, 5, 0, 7, 0.6},
    {"SPEC", "定格", "TOVEK_SPEC", 2, false, -9, 5, 0, 7, 0.6},
    {"AUX1", "補助1", "TOVEK_AUX1", 1, false, -16, 5, 0, 7, 0.6},
    {"AUX2", "補助2", "TOVEK_AUX2", 1, false, -23, 5, 1, 7, 0.6},
    {"CUT", "カット", "TOVEK_AUX2", 1, false, -30, 5, 1, 7, 0.6},
};

void outline(const cad::Block& b, int kind, double A, double B, double W, double H) {
  if (isCircular(kind)) {
    // The plate: its top B above the centre, its lower end a half circle of radius A.
    symbol(b, {A, B, -A, B, -A, 0, A, 0}, true).setBulge(2, 1);
    return;
  }
  symbol(b, {W / 2, H / 2, -W / 2, H / 2, -W / 2, -H / 2, W / 2, -H / 2}, true);
  if (kind != 6) return;
  // The meter: scale line, scale arc and the pointer standing on the scale line.
  symbol(b, {W / 2, -0.1 * H, -W / 2, -0.1 * H});
  cad::Point2 c{0, -0.3 * H};
  cad::setByBlock(b.addArc({c.x, c.y, 0}, 0.675 * H, 0.3 * kPi, 0.7 * kPi));
  cad::Point2 p = cad::PolarPoint(c.x, c.y, 0.675 * H * 1.05, 0.7 * kPi);
  auto foot = cad::IntersectSegments(false, c, p, {W / 2, -0.1 * H}, {-W / 2, -0.1 * H});
  if (foot) symbol(b, {p.x, p.y, foot->x, foot->y});
}

void ringsAndMarks(const cad::Block& b, int kind, const SizeClass& s) {
  cad::setByBlock(b.addCircle({0, 0, 0}, s.R1));
  if (kind <= 3) cad::setByBlock(b.addCircle({0, 0, 0}, s.R2));
  if (kind == 1) {
    // Four marks at 45, 135, 225 and 315 degrees: each a copy of the last, turned on.
    cad::Entity mark = symbol(b, {0, 10, 0, 7});
    mark.rotate({0, 0, 0}, kPi / 4);
    for (int i = 0; i < 3; ++i) {
      mark = mark.copy();
      mark.rotate({0, 0, 0}, kPi / 2);
    }
  } else if (kind == 2 || kind == 3) {
    for (double x : {s.X1, -s.X1}) {
      cad::Polyline handle = symbol(b, {x, s.Y1, x, -s.Y1});
      if (kind == 2) handle.rotate({0, 0, 0}, kPi / 4);
    }
  }
}

}  // namespace

SizeClass sizeClassFor(double W) {
  double whole = std::trunc(W);
  if (whole == 22) return {15, 25, 15, 11.25, 2.01976213211173, 11.0359039223261};
  if (whole == 25) return {17.5, 30, 15, 11.25, 2.01976213211173, 11.0359039223261};
  return {20, 30, 17.5, 13.75, 2.46859816146988, 13.4883270161763};
}

bool isCircular(int kind) {
  return (kind >= 0 && kind <= 3) || kind == 5;
}

const char* nameCode(int kind) {
  static const char* const codes[] = {"TOVEKPB1", "TOVEKPL1", "TOVEKCS2", "TOVEKCS3",
                                      "TOVEKRC4", "TOVEKBZ1", "TOVEKAM1"};
  return kind >= 0 && kind <= 6 ? codes[kind] : "";
}

std::string panelBlockName(int kind, const std::string& widthText, const std::string& model,
                           bool nameplate) {
  bool round = isCircular(kind);
  std::string name =
      std::string(nameCode(kind)) + (round ? widthText : model) + (round && nameplate ? "NP" : "");
  return cad::cleanBlockName(name, true);  // it goes on the -INSERT line
}

std::optional<std::string> missingSize(int kind, double W, double H) {
  if (kind != 4 && kind != 6) return std::nullopt;
  if (!(W > 0)) return std::string("W");
  if (!(H > 0)) return std::string("H");
  return std::nullopt;
}

bool DefinePanelDeviceBlock(const cad::Document& doc, const std::string& name, int kind,
                            const std::string& cut, bool nameplate, double H, double W,
                            const std::string& progId) {
  cad::defineBlockOnce(doc, name, [&](const cad::Block& b) {
    SizeClass s = sizeClassFor(W);
    double A = s.A, B = s.B;
    if (kind == 4 || kind == 6) A = B = H / 2;
    if (nameplate || kind == 4 || kind == 6) outline(b, kind, A, B, W, H);
    if (isCircular(kind)) ringsAndMarks(b, kind, s);
    cad::EnsureLayer(doc, "TOVEK_CUT", 253, "", progId);
    if (!cut.empty()) frames::drawHoles(b, doc.utility(), frames::parseCutCode(cut), "BYLAYER");
    for (const Definition& d : kDefinitions) {
      if (std::string_view(d.tag) != "CUT") cad::EnsureLayer(doc, d.layer, d.color, "", progId);
      try {
        cad::Point3 at{0, d.fromTop ? B + d.offset : -A + d.offset, 0};
        // The height goes as a whole number, the width factor as currency.
        cad::Attribute def(cad::Object(b.object().call(
            "AddAttribute", {cad::Value(d.height), cad::Value(d.mode), cad::Value(d.prompt),
                             cad::pointValue(at), cad::Value(d.tag), cad::Value("")}))
                                .as("IAcadAttribute"));
        def.setLayer(d.layer);
        def.setColor(256);
        def.setAlignment(d.alignment);
        def.setTextAlignmentPoint(at);
        def.setScaleFactor(d.widthFactor);
      } catch (const cad::AutomationError&) {
      }
    }
  });
  return true;
}

}  // namespace qarn::panel
