#include "tools/device_numbers.h"

#include <array>

#include "cad/automation_error.h"

namespace qarn::tools {

namespace {

struct blkRecord3 {
  std::string sHnd, Tag, Txt;
};

std::string slotTag(int s) {
  return s == 0 ? "NAME" : "NAME" + std::to_string(s);
}

cad::Point3 mean(cad::Point3 a, cad::Point3 b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
}

}  // namespace

JoinResult Button9Click(cad::Session& session, bool blankOnly) {
  cad::CadCommand c(session);
  JoinResult result;
  if (!c.running()) return result;
  try {
    cad::SelectionSet ss = c.doc().activeSelectionSet();
    ss.clear();
    c.minimizeMainWindow();
    c.bringCadForward();
    ss.selectOnScreen({0}, {cad::Value("INSERT")});
    c.openUndoGroup();
    c.restoreMainWindow();
    result.ran = true;
    int n = ss.count();
    for (int i = 0; i < n; ++i) {
      std::array<blkRecord3, 10> slots{};
      cad::BlockReference ref(ss.item(i));
      if (ref.hasAttributes()) {
        for (const cad::Attribute& a : ref.getAttributes()) {
          std::string tag = a.tagString();
          for (int s = 9; s >= 0; --s)
            if (tag == slotTag(s)) slots[s] = {a.handle(), tag, a.textString()};
        }
      }
      // The run of filled slots from NAME up to the first missing line.
      int j = 0;
      std::string joined;
      while (j < 10 && !slots[j].sHnd.empty())
        joined += slots[j++].Txt;
      if (blankOnly && !slots[1].sHnd.empty() && !slots[1].Txt.empty()) continue;
      if (j <= 1) continue;
      cad::Point3 at, align;
      if (j % 2 == 1) {
        cad::Attribute middle(c.doc().handleToObject(slots[j / 2].sHnd));
        at = middle.insertionPoint();
        align = middle.textAlignmentPoint();
      } else {
        cad::Attribute first(c.doc().handleToObject(slots[0].sHnd));
        cad::Attribute last(c.doc().handleToObject(slots[j - 1].sHnd));
        at = mean(first.insertionPoint(), last.insertionPoint());
        align = mean(first.textAlignmentPoint(), last.textAlignmentPoint());
      }
      for (int k = 0; k < j; ++k) {
        cad::Attribute a(c.doc().handleToObject(slots[k].sHnd));
        if (k == 0) {
          a.setTextString(joined);
          a.setInsertionPoint(at);
          a.setTextAlignmentPoint(align);
        } else {
          a.erase();
        }
      }
      ++result.joined;
    }
  } catch (const cad::AutomationError&) {
    // Ends quietly; the undo group is closed and the window restored on the way out.
  }
  return result;
}

}  // namespace qarn::tools
