#pragma once
// What the device-frame tests share: the simulated CAD with a main window that records what the
// command did to it, and readers for the frames and attributes the command left.
#include <string>
#include <vector>

#include "../cad/sim_fixture.h"
#include "cad/automation_error.h"
#include "frames/front_placement.h"

namespace qarn::frames::testing {

using cad::testing::RecordingWindow;

// The device number alone, or a row of `count` frames `gap` apart.
inline FrameFields numbered(std::string number) {
  FrameFields f;
  f.number = std::move(number);
  return f;
}
inline FrameFields inRow(std::string number, std::string count, std::string gap) {
  FrameFields f = numbered(std::move(number));
  f.arrayMode = true;
  f.arrayCount = std::move(count);
  f.arrayGap = std::move(gap);
  return f;
}

class FrameTest : public cad::testing::SimFixture {
 protected:
  FrameTest() { session.mainWindow = &window; }

  // The references of model space, oldest first.
  std::vector<const cad::sim::Entity*> frames() const {
    std::vector<const cad::sim::Entity*> out;
    for (const auto& h : cad.drawing().modelSpace().entities) {
      const auto* e = cad.drawing().findEntity(h);
      if (e->type == cad::sim::EntityType::BlockRef) out.push_back(e);
    }
    return out;
  }
  const cad::sim::Entity& newestFrame() const { return *frames().back(); }
  const cad::sim::Entity* attribute(const cad::sim::Entity& ref, const std::string& tag) const {
    for (const auto& h : ref.attributes) {
      const auto* a = cad.drawing().findEntity(h);
      if (a && a->tag == tag) return a;
    }
    return nullptr;
  }
  std::string name(const cad::sim::Entity& ref) const {
    const auto* a = attribute(ref, "NAME");
    return a ? a->text : "(none)";
  }
  // A front view placed with its centre at `at`; its handle.
  std::string placeFrame(const std::string& dims, const std::string& type = "ABC",
                         const std::string& cut = "", double w = 45, double h = 80,
                         cad::Point3 at = {100, 100, 0}) {
    FrameFields f = numbered("MC1");
    f.dimensions = dims;
    f.cut = cut;
    cad.operatorPoint(at.x, at.y);
    InsertTovek(session, w, h, 4, type, "TOVEK_FRONT", 0, f);
    return cad.drawing().lastEntity();
  }
  const cad::sim::Entity& entity(const std::string& handle) const {
    return *cad.drawing().findEntity(handle);
  }
  // The entities of a block definition, in order.
  std::vector<const cad::sim::Entity*> contents(const std::string& block) const {
    std::vector<const cad::sim::Entity*> out;
    const auto* b = cad.drawing().findBlock(block);
    if (!b) return out;  // the test's size check says so
    for (const auto& h : b->entities)
      out.push_back(cad.drawing().findEntity(h));
    return out;
  }

  // A frame 45 x 80 at its centre (base point 4), picked at `at`.
  InsertResult insert(FrameFields& f, double w = 45, double h = 80, int baseSw = 4, double offx = 0,
                      cad::Point3 at = {0, 0, 0}) {
    cad.operatorPoint(at.x, at.y);
    return InsertTovek(session, w, h, baseSw, "S-T10", "TOVEK_FRONT", offx, f);
  }

  RecordingWindow window;
};

}  // namespace qarn::frames::testing
