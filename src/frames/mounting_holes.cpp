#include "frames/mounting_holes.h"

#include <numbers>

#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "cad/numbers.h"
#include "cad/text.h"
#include "frames/picked_frame.h"

namespace qarn::frames {

namespace {

constexpr double kPi = std::numbers::pi;

bool isHole(const std::string& item) {
  return item.find("C:") != std::string::npos || item.find("R:") != std::string::npos;
}

void onCutLayer(const cad::Entity& e, const char* linetype) {
  e.setLayer("TOVEK_CUT");
  e.setColor(256);
  e.setLinetype(linetype);
}

// A centre cross standing `dx` and `dy` out from the centre, through the CAD's polar points.
void cross(const cad::Block& b, const cad::Utility& u, cad::Point3 c, double dx, double dy) {
  onCutLayer(b.addLine(u.polarPoint(c, 0, dx), u.polarPoint(c, kPi, dx)), "BYLAYER");
  onCutLayer(b.addLine(u.polarPoint(c, kPi / 2, dy), u.polarPoint(c, 3 * kPi / 2, dy)), "BYLAYER");
}

void drawHole(const cad::Block& b, const cad::Utility& u, const Hole& hole,
              const char* rectangleLinetype) {
  cad::Point3 c = hole.centre;
  if (hole.circle) {
    double r = hole.width / 2;
    onCutLayer(b.addCircle(c, r), "BYLAYER");
    cross(b, u, c, 1.2 * r, 1.2 * r);
    return;
  }
  double w = hole.width, h = hole.height;
  cad::Polyline p = b.addLightWeightPolyline({c.x + w / 2, c.y + h / 2, c.x - w / 2, c.y + h / 2,
                                              c.x - w / 2, c.y - h / 2, c.x + w / 2, c.y - h / 2});
  p.setClosed(true);
  onCutLayer(p, rectangleLinetype);
  cross(b, u, c, 0.6 * w, 0.6 * h);
}

}  // namespace

void drawHoles(const cad::Block& block, const cad::Utility& u, const std::vector<Hole>& holes,
               const char* rectangleLinetype) {
  for (const Hole& h : holes)
    if (h.drawable()) drawHole(block, u, h, rectangleLinetype);
}

std::vector<Hole> parseCutCode(const std::string& cut) {
  std::vector<std::string> items = cad::splitCommaText(cad::asciiUpper(cut));
  std::vector<Hole> holes;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    Hole h;
    if (item.rfind("C:", 0) == 0) {
      h.width = cad::readNumber(item.substr(2));
    } else if (item.rfind("R:", 0) == 0) {
      std::string size = item.substr(2);
      std::size_t x = size.find('X');
      h.circle = false;
      h.width = cad::readNumber(size.substr(0, x));
      h.height = x == std::string::npos ? 0 : cad::readNumber(size.substr(x + 1));
    } else {
      continue;  // a coordinate without its hole, or an item of no known form
    }
    if (i + 2 < items.size() && !isHole(items[i + 1]) && !isHole(items[i + 2])) {
      h.centre = {cad::readNumber(items[i + 1]), cad::readNumber(items[i + 2]), 0};
      i += 2;
    }
    holes.push_back(h);
  }
  return holes;
}

HolesResult Button10Click(cad::Session& session) {
  HolesResult out;
  cad::CadCommand cmd(session);
  if (!cmd.running()) return out;
  cmd.minimizeMainWindow();
  cmd.bringCadForward();
  auto frame = pickFrame(cmd, kHolesPrompt, {"TYPE", "CUT"});
  cmd.restoreMainWindow();
  const std::string type = frame ? frame->texts[0] : "";
  const std::string cut = frame ? frame->texts[1] : "";
  out.status = HolesResult::Status::NoData;
  out.message = kNoHoleData;
  // The hole block is named after the model: without one there is nothing to name it by.
  if (cut.empty() || type.empty()) {
    cmd.prepareMessage();
    return out;
  }
  const cad::Document& doc = cmd.doc();
  cad::EnsureLayer(doc, "TOVEK_CUT", 253, "", cmd.progId());
  out.block = cad::cleanBlockName(kHoleBlockPrefix + type);
  if (!doc.blocks().contains(out.block)) {
    // Sizes first: a code that draws nothing would leave an empty block for every later run.
    std::vector<Hole> holes = parseCutCode(cut);
    std::erase_if(holes, [](const Hole& h) { return !h.drawable(); });
    if (holes.empty()) {
      cmd.prepareMessage();
      return out;
    }
    cad::Utility u = doc.utility();
    cad::defineBlockOnce(doc, out.block,
                         [&](const cad::Block& block) { drawHoles(block, u, holes); });
  }
  out.status = HolesResult::Status::Drawn;
  out.message.clear();
  try {
    doc.modelSpace().insertBlock(frame->at, out.block, 1, 1, 1, 0);
  } catch (const cad::AutomationError&) {
  }
  return out;
}

}  // namespace qarn::frames
