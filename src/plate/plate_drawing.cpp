// The plate drawn in the CAD: every frame inserted and measured first, so that the layout counts
// the texts as the CAD shows them, then moved to its place.
#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "frames/device_layers.h"
#include "frames/frame_block.h"
#include "frames/front_placement.h"
#include "frames/picked_frame.h"
#include "plate/plate_layout.h"

namespace qarn::plate {

namespace {

void outline(const cad::Block& ms, const Rect& r, const std::string& layer) {
  cad::Polyline p = ms.addLightWeightPolyline({r.x0, r.y0, r.x1, r.y0, r.x1, r.y1, r.x0, r.y1});
  p.setClosed(true);
  p.setLayer(layer);
}

// The frame of a device at `at` with its six attributes, as the front placement fills them.
cad::BlockReference insertFrame(const cad::Block& ms, const LayoutDevice& d, cad::Point3 at,
                                double dimscale) {
  cad::BlockReference ref =
      ms.insertBlock(at, frames::kFrameBlock, d.width / 100, d.height / 100, 1, 0);
  ref.setLayer(frames::kFrontLayer);
  frames::FrameFields f;
  f.number = d.name();
  f.rating = d.row.rating;
  f.auxiliary = d.row.auxiliary;
  f.dimensions = d.row.dimensions;
  f.cut = d.row.cut;
  if (ref.hasAttributes()) frames::fillFrameAttributes(ref, d.width, d.height, d.type, f, dimscale);
  return ref;
}

// What the frame and its visible texts cover around `at`; the outline alone when the CAD cannot
// say (a measure, not a step the layout cannot do without).
Rect measure(const cad::BlockReference& ref, const LayoutDevice& d, cad::Point3 at) {
  try {
    cad::Point3 lo, hi;
    ref.getBoundingBox(lo, hi);
    return {lo.x - at.x, lo.y - at.y, hi.x - at.x, hi.y - at.y};
  } catch (const cad::AutomationError&) {
    return {-d.width / 2, -d.height / 2, d.width / 2, d.height / 2};
  }
}

}  // namespace

PlaceResult placePlate(cad::Session& session, LayoutInput in,
                       const std::vector<LayoutDevice>& devices) {
  PlaceResult out;
  {
    cad::CadCommand c(session);
    if (!c.running()) return out;
    c.minimizeMainWindow();
    c.bringCadForward();
    std::optional<cad::Point3> base = c.pickPoint(kBasePointPrompt);
    if (!base) {
      out.drawn.status = DrawResult::Status::Cancelled;
      return out;
    }
    in.base = *base;
  }
  cad::CadCommand c(session);
  if (!c.running()) return out;
  const cad::Document& doc = c.doc();
  c.openUndoGroup();
  cad::EnsureLayer(doc, kPlateLayer, 8, "", c.progId());
  cad::EnsureLayer(doc, kDuctLayer, 4, "", c.progId());
  cad::EnsureLayer(doc, kRailLayer, 5, "", c.progId());
  cad::EnsureLayer(doc, frames::kFrontLayer, 7, "", c.progId());
  if (auto why = frames::layerRefusal(doc, frames::kFrontLayer, "機器枠")) {
    out.drawn.refusal = *why;
    return out;
  }
  frames::EnsureFrameBlock(doc, frames::kFrameBlock, c.progId());
  cad::Block ms = doc.modelSpace();
  double dimscale = frames::textScale(doc);

  out.measured = splitStrips(in, devices);
  std::vector<cad::BlockReference> refs;
  for (LayoutDevice& d : out.measured) {
    refs.push_back(insertFrame(ms, d, in.base, dimscale));
    d.extent = measure(refs.back(), d, in.base);
  }
  out.layout = layOutPlate(in, out.measured);
  std::vector<bool> placed(refs.size(), false);
  for (const PlacedDevice& p : out.layout.placed) {
    refs[p.index].move(in.base, p.centre);
    placed[p.index] = true;
  }
  for (std::size_t i = 0; i < refs.size(); ++i)
    if (!placed[i]) refs[i].erase();

  outline(ms, out.layout.plate, kPlateLayer);
  for (const Rect& d : out.layout.ducts)
    outline(ms, d, kDuctLayer);
  for (const Rect& rail : out.layout.rails)
    outline(ms, rail, kRailLayer);
  for (const Rect& stop : out.layout.endStops)
    outline(ms, stop, kRailLayer);
  out.drawn.status = DrawResult::Status::Drawn;
  return out;
}

}  // namespace qarn::plate
