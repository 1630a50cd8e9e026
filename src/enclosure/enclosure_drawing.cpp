#include "enclosure/enclosure_drawing.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>

#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "cad/numbers.h"
#include "cad/text.h"
#include "enclosure/symbol_blocks.h"

namespace qarn::enclosure {

using cad::Point3;

namespace {

struct FamilyConstants {
  double mx, my, g, hl, hp, t, c, hx, hd;
};

FamilyConstants constantsFor(const std::string& f) {
  if (f == "S") return {20, 20, 3, 84, 6, 15, 0, 50, 50};
  if (f == "CL") return {1, 1, 0, 105, 0, 23, 4, 1, 0};
  if (f == "CH") return {1, 1.5, 0, 105, 0, 25, 4, 1, 0};
  if (f == "E") return {4, 6, 5, 150, 3, 30, 5, 81, 66};
  return {2, 3, 3, 110, 3.5, 24, 4, 50, 50};  // RA, OR, ORM
}

// Window values of the ORM family.
struct Window {
  double WW = 0, WH = 0, T = 0, WY = 0, WX = 0, WL = 0, s = 0;
};

Window windowFor(double W, double H, double D, double ED, double WW, double WH, bool twoDoors,
                 const FamilyConstants& k) {
  Window w;
  w.WW = WW;
  w.WH = WH;
  w.T = WH == 145 ? 156 : WH == 165 ? 170 : WH == 215 ? 220 : WH == 310 ? 320 : 0;
  w.WY = WH == 145 ? H - (w.T / 2 + 52) : H - (w.T / 2 + 60);
  w.WX = twoDoors ? (W / 2 - k.mx - k.g / 2) / 2 + W / 2 + k.g / 2 : W / 2;
  w.WL = std::min(twoDoors ? W / 2 - 95 : W - 95, 605.0);
  double a = 0;
  if (D == 200)
    a = 143;
  else if (D == 250 && W <= 900 && H <= 900)
    a = 193;
  else if (D == 250 && (W >= 1000 || H >= 1000))
    a = 187;
  else if (D == 300)
    a = 237;
  w.s = ED - a;
  return w;
}

// Draws into model space with every point shifted by the base point and the view's offset.
class Pen {
 public:
  Pen(const cad::Document& doc, const std::string& progId, double bx, double by)
      : doc_(doc), ms_(doc.modelSpace()), progId_(progId), bx_(bx), by_(by) {}

  void view(double shiftX, double shiftY = 0) {
    sx_ = shiftX;
    sy_ = shiftY;
  }
  Point3 at(double x, double y) const { return {bx_ + sx_ + x, by_ + sy_ + y, 0}; }

  cad::Polyline poly(std::initializer_list<double> xy, bool closed = false) {
    return poly(std::vector<double>(xy), closed);
  }
  cad::Polyline poly(std::vector<double> xy, bool closed = false) {
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
      xy[i] += bx_ + sx_;
      xy[i + 1] += by_ + sy_;
    }
    cad::Polyline p = ms_.addLightWeightPolyline(xy);
    if (closed) p.setClosed(true);
    return p;
  }
  void linetype(const cad::Entity& e, const std::string& name) {
    cad::LoadLinetype(doc_, name, progId_);
    e.setLinetype(name);
  }
  void insert(const std::string& block, double x, double y, double scale = 1, double rotation = 0) {
    ms_.insertBlock(at(x, y), block, scale, scale, scale, rotation);
  }
  // A dimension the CAD refuses is left out; the drawing goes on.
  void dim(double x1, double y1, double x2, double y2, double tx, double ty) {
    try {
      ms_.addDimAligned(at(x1, y1), at(x2, y2), at(tx, ty));
    } catch (const cad::AutomationError&) {
      ++skipped;
    }
  }
  const cad::Block& modelSpace() const { return ms_; }

  int skipped = 0;

 private:
  const cad::Document& doc_;
  cad::Block ms_;
  std::string progId_;
  double bx_, by_, sx_ = 0, sy_ = 0;
};

struct Sizes {
  double W, H, D, PW, PH, ED;
};

std::optional<std::string> readSizes(const ChosenEnclosure& f, Sizes& s) {
  s.W = cad::readNumber(f.width);
  s.H = cad::readNumber(f.height);
  s.D = cad::readNumber(f.depth);
  s.PW = cad::readNumber(f.plateWidth);
  s.PH = cad::readNumber(cad::replaceAll(f.plateHeight, "◇", ""));
  s.ED = cad::readNumber(cad::replaceAll(f.usableDepth, "★", ""));
  for (auto [value, name] :
       {std::pair{s.W, "W"}, {s.H, "H"}, {s.D, "D"}, {s.PW, "PW"}, {s.PH, "PH"}, {s.ED, "ED"}})
    if (value == 0) return std::string(name);
  return std::nullopt;
}

}  // namespace

EnclosureResult drawEnclosure(cad::Session& session, const EnclosureInput& input) {
  EnclosureResult result;
  const std::string& fam = input.family;
  bool twoDoors = cad::containsText(input.fields.doorType, "両");
  bool isE = fam == "E", isS = fam == "S", isORM = fam == "ORM";
  bool roofed = fam == "OR" || isORM;
  bool lever = fam == "CL" || fam == "CH";
  double G1 = isE ? 450 : 300, G2 = isE ? 250 : 200;

  cad::CadCommand cmd(session);
  if (!cmd.running()) return result;

  Sizes z;
  if (auto missing = readSizes(input.fields, z)) {
    result.status = EnclosureResult::Status::MissingValue;
    result.missing = *missing;
    return result;
  }
  const double W = z.W, H = z.H, D = z.D, PW = z.PW, PH = z.PH, ED = z.ED;

  const cad::Document& doc = cmd.doc();
  cmd.bringCadForward();
  cmd.minimizeMainWindow();
  std::optional<Point3> picked;
  try {
    picked = doc.utility().getPoint(kBasePointPrompt);
  } catch (const cad::AutomationError&) {
  }
  if (!picked) {
    cmd.restoreMainWindow();
    doc.regen(0);
    result.status = EnclosureResult::Status::Cancelled;
    return result;
  }
  double bx = std::trunc(picked->x / 10) * 10, by = std::trunc(picked->y / 10) * 10;
  cmd.activateCadWindow();
  cmd.restoreMainWindow();

  FamilyConstants k = constantsFor(fam);
  Window win;
  if (isORM)
    win = windowFor(W, H, D, ED, cad::readNumber(input.fields.windowWidth),
                    cad::readNumber(input.fields.windowHeight), twoDoors, k);
  double yh = H / 2;
  if (isORM && H == 500) yh = H / 2 - 25;
  if (isORM && H == 800 && win.WH >= 310) yh = H / 2 - 48;

  Pen pen(doc, session.CadProgId, bx, by);

  // Front view.
  double Ht = roofed ? H + 10 : H;
  pen.poly({0, 0, 0, Ht, W, Ht, W, 0}, true);
  if (twoDoors) {
    cad::Polyline leaf = pen.poly(
        {k.mx, k.my, k.mx, H - k.my, W / 2 - k.g / 2, H - k.my, W / 2 - k.g / 2, k.my}, true);
    leaf.mirror(pen.at(W / 2, H), pen.at(W / 2, 0));
  } else {
    pen.poly({k.mx, k.my, k.mx, H - k.my, W - k.mx, H - k.my, W - k.mx, k.my}, true);
  }
  if (!lever) {
    std::string kind = (fam == "S" || fam == "E") ? fam : "RA";
    std::string block = kind == "RA" ? "TOVEKHDLRA" : "TOVEKHDL" + fam;
    ensureHandleBlock(doc, block, kind);
    if (twoDoors) {
      pen.insert(block, W / 2 - (k.g / 2 + k.hd), H / 2);
      pen.insert(block, W / 2 + (k.g / 2 + k.hd), H / 2);
    } else {
      pen.insert(block, isS ? k.hx : k.hx + k.mx, yh);
    }
  } else {
    ensureHandleBlock(doc, "TOVEKHDL" + fam, fam);
    pen.insert("TOVEKHDL" + fam, k.hx, H / 2);
  }
  if (roofed) {
    pen.poly({0, H - 10, -2.5, H - 10, -2.5, H + 30, W + 2.5, H + 30, W + 2.5, H - 10, W, H - 10});
    pen.poly({-2.5, H + 10, W + 2.5, H + 10});
    pen.poly({-2.5, H + 20, W + 2.5, H + 20});
  }
  constexpr double kKeyScale = 0.8583333333333333;
  if (isE) {
    ensureKeyBlock(doc, "TOVEKEYBF16", "F16");
    double s = D < 400 ? 1 : kKeyScale;
    pen.insert("TOVEKEYBF16", 32.5, H, s);
    pen.insert("TOVEKEYBF16", W - 32.5, H, s);
    pen.poly({0, 0, 0, -50, W, -50, W, 0}, true);
  }
  if (!roofed) {
    pen.dim(0, H, W, H, W / 2, H + 100);
  } else {
    pen.dim(-2.5, H + 30, W + 2.5, H + 30, W / 2, H + 130);
    pen.dim(0, 0, W, 0, W / 2, -100);
  }
  if (!roofed)
    pen.dim(W, 0, W, H, W + 100, H / 2);
  else
    pen.dim(W + 2, 0, W + 2, H + 30, W + 100, (H + 30) / 2);
  if (isE) {
    pen.dim(W, -50, W, 0, W + 100, -25);
    pen.dim(W, -50, W, H, W + 175, (H + 50) / 2);
  }
  if (isORM) {
    double hw = win.WW / 2, hh = win.WH / 2;
    pen.view(win.WX, win.WY);
    cad::Polyline frame = pen.poly({-hw + 35, -hh, -hw, -hh + 35, -hw, hh - 35, -hw + 35, hh,
                                    hw - 35, hh, hw, hh - 35, hw, -hh + 35, hw - 35, -hh},
                                   true);
    for (int seg : {0, 2, 4, 6})
      frame.setBulge(seg, -0.41421356);
    frame.offset(-12.5);
    ensureHandleBlock(doc, "TOVEKHT", "HT");
    pen.insert("TOVEKHT", -hw + 35, hh - 35, 1, 0.7853981633974483);
    pen.insert("TOVEKHT", hw - 35, -hh + 35, 1, 3.9269908169872414);
  }

  // Side view.
  double side = W + G1;
  pen.view(side);
  if (isS)
    pen.poly({0, 0, 0, H, k.t, H, k.t, 0}, true);
  else
    pen.poly({0, k.my, 0, H - k.my, k.t, H - k.my, k.t, k.my}, true);
  double Hs = roofed ? H - 10 : H;
  pen.poly({k.t + k.c, 0, k.t + k.c, Hs, D, Hs, D, 0}, true);
  double y0 = (H - PH) / 2;
  cad::Polyline plate = pen.poly({ED + 10, y0, ED, y0, ED, H - y0, ED + 10, H - y0});
  pen.linetype(plate, "HIDDEN");
  if (!lever)
    pen.poly({0, yh - k.hl / 2, -k.hp, yh - k.hl / 2, -k.hp, yh + k.hl / 2, 0, yh + k.hl / 2});
  if (roofed) {
    cad::Polyline roof =
        pen.poly({k.t + k.c, H - 10, k.t + k.c, H, k.t + k.c - 10, H + 10, -20, H + 10, -20, H + 20,
                  25, H + 30, D + 2, H + 30, D + 2, H - 10, D, H - 10});
    roof.setBulge(1, 0.41421356);
  }
  if (isE) {
    ensureKeyBlock(doc, "TOVEKEYBS16", "S16");
    if (D < 400) {
      pen.insert("TOVEKEYBS16", k.t + k.c + (D - k.t - k.c) / 2, H);
    } else {
      pen.insert("TOVEKEYBS16", k.t + k.c + 37.5, H, kKeyScale);
      pen.insert("TOVEKEYBS16", D - 37.5, H, kKeyScale);
    }
    pen.poly({k.t + k.c, 0, k.t + k.c, -50, D, -50, D, 0}, true);
  }
  if (!roofed) {
    pen.dim(0, H, D, H, D / 2, H + 100);
  } else {
    pen.dim(-20, H + 30, D + 2, H + 30, (D + 22) / 2, H + 130);
    pen.dim(0, 0, D, 0, D / 2, -100);
  }
  if (isORM) {
    pen.view(side, win.WY);
    double hh = win.WH / 2;
    pen.poly({0, -hh - 12.5, -10, -hh - 12.5, -10, hh + 12.5, 0, hh + 12.5});
    cad::Polyline bracket = pen.poly(
        {win.s + 17, -win.T / 2, win.s, -win.T / 2, win.s, win.T / 2, win.s + 17, win.T / 2});
    bracket.setLinetype("HIDDEN");
  }

  // Inside view.
  double inside = W + G1 + D + G2;
  pen.view(inside);
  double Hi = roofed ? H + 30 : H;
  cad::Polyline outline = pen.poly({0, 0, 0, Hi, W, Hi, W, 0}, true);
  pen.linetype(outline, "PHANTOM");
  double x0 = (W - PW) / 2;
  pen.poly({x0, y0, x0, H - y0, W - x0, H - y0, W - x0, y0}, true);
  double top = roofed ? 30 : 0;
  double xs[4] = {0, x0, PW + x0, W};
  for (int i = 0; i < 3; ++i)
    pen.dim(xs[i], H + top, xs[i + 1], H + top, (xs[i] + xs[i + 1]) / 2, H + 100 + top);
  double ys[4] = {0, y0, PH + y0, roofed ? H + 30 : H};
  for (int i = 0; i < 3; ++i) {
    double tx = (roofed && i == 2) ? W + 200 : W + 100;
    pen.dim(W, ys[i], W, ys[i + 1], tx, (ys[i] + ys[i + 1]) / 2);
  }
  if (isORM) {
    pen.view(inside + win.WX, win.WY);
    double l = win.WL / 2, t = win.T / 2;
    pen.poly({-l, -t, -l, t, l, t, l, -t}, true);
    pen.poly({-l + 24.5, -t, -l + 24.5, -t - 12.25, -l - 3.5, -t - 12.25, -l - 3.5, t + 12.25,
              -l + 24.5, t + 12.25, -l + 24.5, t});
    pen.poly({l - 24.5, -t, l - 24.5, -t - 12.25, l + 3.5, -t - 12.25, l + 3.5, t + 12.25, l - 24.5,
              t + 12.25, l - 24.5, t});
    ensureHandleBlock(doc, "TOVEKHDLORM", "ORM");
    pen.insert("TOVEKHDLORM", -l + 30, 0);
  }

  doc.regen(0);
  result.status = EnclosureResult::Status::Drawn;
  result.dimensionsSkipped = pen.skipped;
  return result;
}

}  // namespace qarn::enclosure
