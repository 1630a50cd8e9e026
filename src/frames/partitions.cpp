#include "frames/partitions.h"

#include <numbers>

#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "cad/numbers.h"
#include "cad/text.h"

namespace qarn::frames {

namespace {
constexpr double kPi = std::numbers::pi;
}  // namespace

PartitionsResult Button22Click(cad::Session& session) {
  PartitionsResult out;
  cad::CadCommand cmd(session);
  if (!cmd.running()) return out;
  const cad::Document& doc = cmd.doc();
  cmd.openUndoGroup();
  cmd.minimizeMainWindow();
  cmd.bringCadForward();
  auto picked = cmd.pickEntity(kPartitionsPrompt);
  cmd.activateCadWindow();
  if (!picked || picked->entity.entityName() != "AcDbBlockReference") return out;
  cad::BlockReference ref(picked->entity);
  cad::Point3 p = ref.insertionPoint();
  double rot = ref.rotation();
  std::string layer = ref.layer();
  std::string name = ref.name();
  double wt = 0, ht = 0;
  std::string aux2;
  if (name.rfind("TOVEK", 0) == 0 && ref.hasAttributes()) {
    wt = ref.xScaleFactor() * 100;
    ht = ref.yScaleFactor() * 100;
    for (const cad::Attribute& a : ref.getAttributes())
      if (cad::asciiUpper(a.tagString()) == "AUX2") {
        aux2 = a.textString();
        break;
      }
  }
  std::size_t blank = aux2.find(' ');
  if (blank == std::string::npos) return out;
  int pitch = cad::readInteger(aux2.substr(0, blank));
  if (!(pitch > 0 && wt > 0 && ht > 0)) return out;
  // The scale times 100 is not exact (29 wide reads 28.999999999999996): count the poles with a
  // tolerance, or the last boundary of a full frame would be lost.
  int n = static_cast<int>(wt / pitch + 1e-9);

  cad::LoadLinetype(doc, "HIDDEN", cmd.progId());
  cad::Block ms = doc.modelSpace();
  cad::Utility u = doc.utility();
  std::vector<cad::Value> lines;
  for (int k = 0; k <= n; ++k) {
    double s = -(static_cast<double>(n) * pitch) / 2 + k * pitch;
    cad::Point3 c = u.polarPoint(p, rot, s);
    for (double side : {kPi / 2, -kPi / 2}) {
      cad::Entity line = ms.addLine(u.polarPoint(c, rot + side, ht / 2),
                                    u.polarPoint(c, rot + side, 0.75 * ht / 2));
      // The frame's layer last: it may be locked, and a locked line takes no more changes.
      line.setLinetype("HIDDEN");
      line.setColor(252);
      line.setLayer(layer);
      lines.emplace_back(line.object().dispatch());
      ++out.lines;
    }
    ++out.boundaries;
  }
  // One group, so that the user can move the partitions with their terminal block.
  cad::Object group(
      cad::Object(doc.groups().object().call("Add", {cad::Value("*")})).as("IAcadGroup"));
  try {
    group.call("AppendItems", {cad::Value(std::move(lines))});
  } catch (const cad::AutomationError&) {
    // An empty group would be left for nothing.
    try {
      group.call("Delete");
    } catch (const cad::AutomationError&) {
    }
    throw;
  }
  out.group = group.get("Name").toText();
  return out;
}

}  // namespace qarn::frames
