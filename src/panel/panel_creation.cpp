#include "panel/panel_creation.h"

#include "cad/drawing_routines.h"
#include "cad/numbers.h"
#include "cad/text.h"
#include "catalogue/device_catalogue.h"
#include "panel/panel_block.h"

namespace qarn::panel {

namespace {

// The newest entity of model space, "" when there is none. Selecting "the last entity" would
// skip entities on a layer that is off, and take an older one for the new device.
std::string newestHandle(const cad::Block& ms) {
  int n = ms.count();
  return n > 0 ? ms.item(n - 1).handle() : std::string();
}

void fillAttributes(const cad::BlockReference& ref, const PanelInput& in) {
  for (const cad::Attribute& a : ref.getAttributes()) {
    std::string tag = cad::asciiUpper(a.tagString());
    if (tag == "NAME")
      a.setTextString(in.number);
    else if (tag == "TYPE")
      a.setTextString(in.model);
    else if (tag == "SPEC")
      a.setTextString(cad::ToCadSymbols(in.rating));
    else if (tag == "AUX1")
      a.setTextString(cad::ToCadSymbols(in.auxiliary));
    else if (tag == "AUX2")
      a.setTextString(cad::ToCadSymbols(in.dimensions));
    else if (tag == "CUT")
      a.setTextString(cad::ToCadSymbols(in.cut));
  }
}

// The body of the command inside its guard; true when the device was made.
bool create(cad::CadCommand& cmd, const PanelInput& in, PanelResult& out) {
  const cad::Document& doc = cmd.doc();
  double W = cad::readNumber(in.width, 30), H = cad::readNumber(in.height, 0);
  int kind = cad::readInteger(in.kind, 0);
  cad::EnsureLayer(doc, "TOVEK_FRONT", 7, "", cmd.progId());
  out.block = panelBlockName(kind, in.width, in.model, in.nameplate);
  // A rectangle or meter without a size would leave a half-built block behind.
  if (auto size = missingSize(kind, W, H)) {
    out.message = "寸法 " + *size + " がありません．機器を作成できません．";
    return false;
  }
  cmd.openUndoGroup();
  cmd.setVariable("ATTDIA", 0);
  cmd.setVariable("ATTREQ", 0);
  if (!DefinePanelDeviceBlock(doc, out.block, kind, in.cut, in.nameplate, H, W, cmd.progId()))
    return false;

  cmd.minimizeMainWindow();
  cad::Block ms = doc.modelSpace();
  std::string before = newestHandle(ms);
  doc.sendCommand("-INSERT\r" + out.block + "\r" + "X 1 Y 1 R 0" + "\r");
  cmd.waitIdle();
  cmd.restoreMainWindow();
  std::string after = newestHandle(ms);
  if (after.empty() || after == before) return false;  // the user cancelled the insertion
  cad::BlockReference current(doc.handleToObject(after));
  if (current.objectName() != "AcDbBlockReference") return false;
  current.setLayer("TOVEK_FRONT");
  if (!current.hasAttributes()) return false;
  fillAttributes(current, in);
  out.placed = 1;

  int n = cad::readInteger(in.count);
  double pitch = cad::readNumber(in.pitch);
  if (!in.arrayMode || n <= 1 || pitch == 0) return true;
  for (int i = 1; i < n; ++i) {
    current = cad::BlockReference(current.copy());
    cad::Point3 at = current.insertionPoint();
    current.setInsertionPoint(in.downwards ? cad::Point3{at.x, at.y - pitch, at.z}
                                           : cad::Point3{at.x + pitch, at.y, at.z});
    ++out.placed;
    auto next = catalogue::stepDeviceNumber(out.number, 1);
    if (!next) continue;  // a number without digits stays on every copy
    out.number = *next;
    if (!current.hasAttributes()) continue;
    for (const cad::Attribute& a : current.getAttributes())
      if (cad::asciiUpper(a.tagString()) == "NAME") {
        a.setTextString(out.number);
        break;
      }
  }
  return true;
}

}  // namespace

PanelInput chooseCatalogueRow(const catalogue::Fields& f) {
  PanelInput in;
  in.model = f[1];
  in.rating = f[2];
  in.width = f[5];
  in.height = f[6];
  in.kind = f[10];
  in.auxiliary = f[11];
  in.dimensions = catalogue::dimensionString(f);
  in.cut = f[13];
  in.count = "2";
  in.pitch = "60";
  return in;
}

PanelResult Button6Click(cad::Session& session, const PanelInput& in) {
  PanelResult out;
  out.number = in.number;
  bool made = false;
  cad::Document doc;
  {
    cad::CadCommand cmd(session);
    if (!cmd.running()) return out;
    out.running = true;
    doc = cmd.doc();
    made = create(cmd, in, out);
    if (!out.message.empty()) cmd.prepareMessage();
  }
  // After the undo group is closed and the variables are back, as the command ends.
  doc.regen(0);
  if (made)
    if (auto next = catalogue::stepDeviceNumber(out.number, 1)) out.number = *next;
  return out;
}

}  // namespace qarn::panel
