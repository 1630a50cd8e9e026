#pragma once
// What the inspection tests share: a simulated CAD with device frames placed by hand, each a
// reference of the frame block on a layer with its attribute texts set.
#include <string>

#include "../cad/sim_fixture.h"
#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "frames/frame_block.h"

namespace qarn::inspect::testing {

struct FrameTexts {
  std::string name, type, spec, aux1;
};

class InspectTest : public cad::testing::SimFixture {
 protected:
  InspectTest() { session.mainWindow = &window; }

  // A frame at (x, y) with the texts; its handle.
  std::string frame(double x, double y, const FrameTexts& t,
                    const std::string& layer = "TOVEK_FRONT") {
    frames::EnsureFrameBlock(doc, "TOVEK_RA100", session.CadProgId);
    if (!cad.drawing().findLayer(layer)) doc.layers().add(layer);
    cad::BlockReference r = doc.modelSpace().insertBlock({x, y, 0}, "TOVEK_RA100");
    r.setLayer(layer);
    for (const cad::Attribute& a : r.getAttributes()) {
      std::string tag = a.tagString();
      if (tag == "NAME") a.setTextString(t.name);
      if (tag == "TYPE") a.setTextString(t.type);
      if (tag == "SPEC") a.setTextString(t.spec);
      if (tag == "AUX1") a.setTextString(t.aux1);
    }
    return r.handle();
  }
  // The attribute of a reference with that tag, from the drawing.
  const cad::sim::Entity* attribute(const std::string& ref, const std::string& tag) const {
    for (const auto& h : cad.drawing().findEntity(ref)->attributes) {
      const auto* a = cad.drawing().findEntity(h);
      if (a->tag == tag) return a;
    }
    return nullptr;
  }

  cad::testing::RecordingWindow window;
};

}  // namespace qarn::inspect::testing
