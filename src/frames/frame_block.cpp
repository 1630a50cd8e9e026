#include "frames/frame_block.h"

#include "cad/automation_error.h"
#include "cad/drawing_routines.h"
#include "frames/device_layers.h"

namespace qarn::frames {

namespace {

struct Definition {
  const char* tag;
  const char* prompt;
  double height;
  int mode;  // 1: invisible
  const char* layer;
  double y;
  int alignment;
  double widthFactor;
};

// In the order they are made; CUT shares the layer of AUX2.
constexpr Definition kDefinitions[] = {
    {"NAME", "器具番号", 18, 0, "TOVEK_NAME", 0, 10, 0.75},
    {"TYPE", "型式", 5, 0, "TOVEK_TYPE", -50, 13, 0.6},
    {"SPEC", "定格", 5, 0, "TOVEK_SPEC", -50, 7, 0.6},
    {"AUX1", "補助1", 5, 0, "TOVEK_AUX1", -60, 7, 0.6},
    {"AUX2", "補助2", 5, 1, "TOVEK_AUX2", -70, 7, 0.6},
    {"CUT", "カット", 5, 1, "TOVEK_AUX2", -80, 7, 0.6},
};

// A step the CAD may refuse without spoiling the rest of the block.
template <class Step>
void guarded(Step step) {
  try {
    step();
  } catch (const cad::AutomationError&) {
  }
}

}  // namespace

bool EnsureFrameBlock(const cad::Document& doc, const std::string& name,
                      const std::string& progId) {
  cad::defineBlockOnce(doc, name, [&](const cad::Block& block) {
    guarded([&] {
      cad::Polyline square = block.addLightWeightPolyline({-50, -50, -50, 50, 50, 50, 50, -50});
      square.setClosed(true);
      cad::setByBlock(square);
    });
    const char* madeLayer = "";
    for (const Definition& d : kDefinitions) {
      if (std::string_view(d.layer) != madeLayer) {
        cad::EnsureLayer(doc, d.layer, findDeviceLayer(d.layer)->color, "", progId);
        madeLayer = d.layer;
      }
      guarded([&] {
        cad::Point3 at{0, d.y, 0};
        cad::Attribute def = block.addAttribute(d.height, d.mode, d.prompt, at, d.tag, "");
        def.setLayer(d.layer);
        def.setColor(256);
        def.setAlignment(d.alignment);
        def.setTextAlignmentPoint(at);
        def.setScaleFactor(d.widthFactor);
      });
    }
  });
  return true;
}

}  // namespace qarn::frames
