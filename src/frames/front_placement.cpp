#include "frames/front_placement.h"

#include <numbers>
#include <optional>

#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "cad/numbers.h"
#include "cad/text.h"
#include "catalogue/device_catalogue.h"
#include "frames/device_layers.h"
#include "frames/frame_block.h"
#include "frames/frame_row.h"
#include "frames/picked_frame.h"

namespace qarn::frames {

namespace {

using cad::Attribute;
using cad::BlockReference;

// Where the base point lies from the frame's centre.
cad::Point3 baseOffset(int baseSw, double w, double h, double offx) {
  double left = -w / 2 - offx, right = w / 2 + offx;
  switch (baseSw) {
    case 0:
      return {left, h / 2, 0};
    case 1:
      return {left, 0, 0};
    case 2:
      return {left, -h / 2, 0};
    case 3:
      return {0, h / 2, 0};
    case 5:
      return {0, -h / 2, 0};
    case 6:
      return {right, h / 2, 0};
    case 7:
      return {right, 0, 0};
    case 8:
      return {right, -h / 2, 0};
    default:
      return {0, 0, 0};
  }
}

// A device number wider than a tall frame turns to read upwards along it. The CAD may refuse the
// measure; the number then stays as it is.
void fitTest(const Attribute& name, double w, double h) {
  try {
    cad::Point3 lo, hi;
    name.getBoundingBox(lo, hi);
    if (w < hi.x - lo.x && w < h) name.setRotation(std::numbers::pi / 2);
  } catch (const cad::AutomationError&) {
  }
}

}  // namespace

void fillFrameAttributes(const BlockReference& ref, double w, double h, const std::string& ktype,
                         const FrameFields& f, double dimscale) {
  for (const Attribute& a : ref.getAttributes()) {
    std::string tag = cad::asciiUpper(a.tagString());
    std::string text;
    double height = 0.6 * dimscale, width = 0.6;
    if (tag == "NAME") {
      text = f.number;
      height = 1.8 * dimscale;
      width = 0.75;
    } else if (tag == "TYPE") {
      text = ktype;
    } else if (tag == "SPEC") {
      text = cad::ToCadSymbols(f.rating);
    } else if (tag == "AUX1") {
      text = cad::ToCadSymbols(f.auxiliary);
    } else if (tag == "AUX2") {
      text = cad::ToCadSymbols(f.dimensions);
    } else if (tag == "CUT") {
      text = f.cut;
    } else {
      continue;  // a tag of the user's own block
    }
    a.setTextString(text);
    a.setHeight(height);
    a.setScaleFactor(width);
    if (tag == "NAME") fitTest(a, w, h);
  }
}

namespace {

// The copies count on from the pasted frame's number; a number without digits stays on all.
void numberCopies(const std::vector<cad::Entity>& copies, double w, double h, FrameFields& f) {
  const std::string first = f.number;
  for (std::size_t i = 0; i < copies.size(); ++i) {
    auto next = catalogue::stepDeviceNumber(first, static_cast<int>(i) + 1);
    if (!next) return;
    f.number = *next;
    BlockReference copy(copies[i]);
    if (!copy.hasAttributes()) continue;
    for (const Attribute& a : copy.getAttributes()) {
      if (cad::asciiUpper(a.tagString()) != "NAME") continue;
      a.setTextString(f.number);
      if (a.rotation() == 0) fitTest(a, w, h);
      break;
    }
  }
}

}  // namespace

InsertResult InsertTovek(cad::Session& session, double w, double h, int baseSw,
                         const std::string& ktype, const std::string& layName, double offx,
                         FrameFields& fields) {
  InsertResult out;
  cad::CadCommand cmd(session);
  if (!cmd.running()) return out;
  const cad::Document& doc = cmd.doc();
  cad::Block ms = doc.modelSpace();
  const int initial = ms.count();
  cmd.openUndoGroup();
  cmd.setVariable("ATTDIA", 0);
  cmd.setVariable("ATTREQ", 0);

  cad::EnsureLayer(doc, layName, 7, "", cmd.progId());
  if (!EnsureFrameBlock(doc, kFrameBlock, cmd.progId()) || !(w > 0) || !(h > 0)) return out;
  if (auto why = layerRefusal(doc, layName, "機器枠")) {
    out.refusal = *why;
    return out;
  }

  cad::Point3 base = baseOffset(baseSw, w, h, offx);
  BlockReference ref = ms.insertBlock({0, 0, 0}, kFrameBlock, w / 100, h / 100, 1, 0);
  try {
    ref.setLayer(layName);
    if (ref.hasAttributes()) {
      fillFrameAttributes(ref, w, h, ktype, fields, textScale(doc));
      out.result = true;
    }
    cmd.minimizeMainWindow();
    cmd.bringCadForward();
    doc.sendCommand("_COPYBASE\rnone\r" + cad::writeNumber(base.x) + "," +
                    cad::writeNumber(base.y) + ",0" + "\r" + "SINGLE LAST" + "\r");
    doc.sendCommand("_ERASE SINGLE LAST\r");
  } catch (const cad::AutomationError&) {
    // The frame never reached the cursor: leave no stray frame at the origin.
    try {
      ref.erase();
    } catch (const cad::AutomationError&) {
    }
    throw;
  }
  doc.sendCommand("_PASTECLIP\r");
  cmd.waitIdle();
  cmd.restoreMainWindow();

  int count = ms.count();
  if (count <= initial) return out;  // the paste was cancelled
  BlockReference pasted(ms.item(count - 1));
  if (pasted.entityName() != "AcDbBlockReference" || pasted.name() != kFrameBlock) return out;
  out.placed = 1;
  if (!fields.arrayMode) return out;
  int n = cad::readInteger(fields.arrayCount);
  double gap = cad::readNumber(fields.arrayGap);
  if (n <= 1) return out;
  std::vector<cad::Entity> copies = pasted.arrayRectangular(1, n, 1, 0, w + gap, 0);
  out.placed += static_cast<int>(copies.size());
  numberCopies(copies, w, h, fields);
  return out;
}

FrontResult placeFront(cad::Session& session, const FrontInput& in) {
  FrontResult out;
  out.model = modelText(in.gridModel, in.terminalMode, in.poles);
  out.number = in.fields.number;
  double w = cad::readNumber(in.width), h = cad::readNumber(in.height);
  if (in.terminalMode) w = cad::readInteger(in.poles) * w + 2 * cad::readNumber(in.endWidth);
  out.width = w;
  if (!(w > 0) || !(h > 0)) return out;
  out.sized = true;
  double offx = in.offsetEnabled ? cad::readNumber(in.offset) : 0;
  FrameFields fields = in.fields;
  out.insert = InsertTovek(session, w, h, in.baseSw, out.model, kFrontLayer, offx, fields);
  out.number = fields.number;
  if (out.insert.result)
    if (auto next = catalogue::stepDeviceNumber(fields.number, 1)) out.number = *next;
  return out;
}

}  // namespace qarn::frames
