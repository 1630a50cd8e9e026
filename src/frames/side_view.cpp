#include "frames/side_view.h"

#include <algorithm>

#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "cad/numbers.h"
#include "cad/text.h"
#include "frames/device_layers.h"
#include "frames/frame_block.h"
#include "frames/picked_frame.h"

namespace qarn::frames {

namespace {

using Status = SideResult::Status;

const char* const kSideLayer = "TOVEK_SIDE";

SideResult said(Status status, std::string message = {}) {
  return {status, std::move(message), {}};
}

// AUX1 shows the device number and AUX2 the model under the view.
void writeSideAttributes(const cad::BlockReference& ref, const std::string& kname,
                         const std::string& ktype, bool invisible, double scale) {
  for (const cad::Attribute& a : ref.getAttributes()) {
    std::string tag = cad::asciiUpper(a.tagString());
    if (tag != "AUX1" && tag != "AUX2") continue;
    a.setTextString(tag == "AUX1" ? kname : ktype);
    a.setHeight(0.6 * scale);
    a.setScaleFactor(0.6);
    a.setLayer(tag == "AUX1" ? "TOVEK_AUX1" : "TOVEK_AUX2");
    a.setColor(256);
    a.setAlignment(7);
    a.setTextAlignmentPoint(a.insertionPoint());
    if (invisible) a.setInvisible(true);
    a.update();
  }
  ref.update();
}

template <class Step>
void guarded(Step step) {
  try {
    step();
  } catch (const cad::AutomationError&) {
  }
}

void defineSideBlock(const cad::Document& doc, const std::string& name, double d, double h,
                     double d2, double h2, const std::string& progId) {
  cad::defineBlockOnce(doc, name, [&](const cad::Block& block) {
    cad::Polyline front =
        block.addLightWeightPolyline({-d, -h / 2, -d, h / 2, 0, h / 2, 0, -h / 2});
    front.setClosed(true);
    cad::setByBlock(front);
    cad::Polyline body =
        block.addLightWeightPolyline({0, -h2 / 2, 0, h2 / 2, d2, h2 / 2, d2, -h2 / 2});
    body.setClosed(true);
    body.setLayer("TOVEK_BODY");
    body.setColor(256);
    body.setLinetype("BYLAYER");
    double hm = std::max(h, h2);
    for (const char* tag : {"AUX1", "AUX2"}) {
      bool first = tag[3] == '1';
      const char* layer = first ? "TOVEK_AUX1" : "TOVEK_AUX2";
      cad::EnsureLayer(doc, layer, findDeviceLayer(layer)->color, "", progId);
      guarded([&] {
        cad::Point3 at{0, -hm / 2 - (first ? 10 : 20), 0};
        cad::Attribute def = block.addAttribute(5, 1, first ? "補助1" : "補助2", at, tag, "");
        def.setLayer(layer);
        def.setColor(256);
        def.setAlignment(7);
        def.setTextAlignmentPoint(at);
        def.setScaleFactor(0.6);
      });
    }
  });
}

// Inserts the view at the front view, lets the user move it from `base` and keeps it only when
// it moved. An error before the move leaves no view behind over the front view.
SideResult placeAndMove(cad::CadCommand& cmd, cad::Point3 at, const std::string& block, double xs,
                        double ys, cad::Point3 base) {
  const cad::Document& doc = cmd.doc();
  if (auto why = layerRefusal(doc, kSideLayer, "側面図")) return said(Status::Refused, *why);
  cad::BlockReference ref = doc.modelSpace().insertBlock(at, block, xs, ys, 1, 0);
  try {
    ref.setLayer(kSideLayer);
    if (doc.getVariable("ORTHOMODE").toInt() != 1) cmd.setVariable("ORTHOMODE", 1);
    cmd.minimizeMainWindow();
    cmd.bringCadForward();
    doc.sendCommand("_MOVE SINGLE LAST " + cad::writeNumber(base.x) + "," +
                    cad::writeNumber(base.y) + ",0" + "\r");
  } catch (const cad::AutomationError&) {
    guarded([&] { ref.erase(); });
    throw;
  }
  cmd.waitIdle();
  cmd.restoreVariable("ORTHOMODE");
  cmd.restoreMainWindow();
  cad::Point3 now = ref.insertionPoint();
  if (now.x == at.x && now.y == at.y) {
    ref.erase();
    return said(Status::Cancelled);
  }
  return {Status::Drawn, {}, ref.handle()};
}

}  // namespace

SideResult InsertTovekSide(cad::CadCommand& cmd, cad::Point3 at, double w, double h,
                           const std::string& kname, const std::string& ktype) {
  const cad::Document& doc = cmd.doc();
  cad::EnsureLayer(doc, kSideLayer, 7, "", cmd.progId());
  if (!EnsureFrameBlock(doc, kFrameBlock, cmd.progId()) || !(w > 0) || !(h > 0))
    return said(Status::NoSize);
  SideResult r = placeAndMove(cmd, at, kFrameBlock, w / 100, h / 100, {at.x + w / 2, at.y, 0});
  if (r.status != Status::Drawn) return r;
  cad::BlockReference ref(doc.handleToObject(r.handle));
  ref.setLayer(kSideLayer);
  writeSideAttributes(ref, kname, ktype, true, textScale(doc));
  return r;
}

SideResult InsertTovekSide2(cad::CadCommand& cmd, cad::Point3 at, double w, double h, double w2,
                            double h2, const std::string& blkName, const std::string& kname,
                            const std::string& ktype) {
  const cad::Document& doc = cmd.doc();
  cad::EnsureLayer(doc, kSideLayer, 7, "", cmd.progId());
  if (!(w2 > 0) || !(h2 > 0)) return said(Status::NoSize);
  cad::EnsureLayer(doc, "TOVEK_BODY", 254, "HIDDEN", cmd.progId());
  if (!(w > 0) || !(h > 0)) return said(Status::NoSize);
  defineSideBlock(doc, blkName, w, h, w2, h2, cmd.progId());
  SideResult r = placeAndMove(cmd, at, blkName, 1, 1, at);
  if (r.status != Status::Drawn) return r;
  writeSideAttributes(cad::BlockReference(doc.handleToObject(r.handle)), kname, ktype, false,
                      textScale(doc));
  return r;
}

SideResult Button8Click(cad::Session& session) {
  cad::CadCommand cmd(session);
  if (!cmd.running()) return said(Status::NotRunning);
  cmd.openUndoGroup();
  cmd.minimizeMainWindow();
  cmd.bringCadForward();
  auto frame = pickFrame(cmd, kSidePrompt, {"NAME", "TYPE", "AUX2"});
  const std::string aux2 = frame ? frame->texts[2] : "";
  if (aux2.empty()) {
    cmd.prepareMessage();
    return said(Status::NoData, kNoSideData);
  }
  auto items = cad::splitCommaText(aux2);
  if (items.size() < 5) return said(Status::NoSize);
  double W = cad::readNumber(items[0]), H = cad::readNumber(items[1]);
  double D = cad::readNumber(items[2]), H2 = cad::readNumber(items[3]);
  double D2 = cad::readNumber(items[4]);
  if (H == 0) H = W;
  if (H2 == 0) H2 = H;
  const std::string& kname = frame->texts[0];
  const std::string& ktype = frame->texts[1];
  SideResult r;
  if (!(H2 > 0 && D2 > 0))
    r = InsertTovekSide(cmd, frame->at, D, H, kname, ktype);
  else if (ktype.empty())  // the two-part block is named after the model: there is none
    r = said(Status::NoData, kNoSideData);
  else
    r = InsertTovekSide2(cmd, frame->at, D, H, D2, H2, cad::cleanBlockName(ktype + "_SIDE"), kname,
                         ktype);
  if (!r.message.empty()) cmd.prepareMessage();
  return r;
}

}  // namespace qarn::frames
