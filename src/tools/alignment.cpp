#include "tools/alignment.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "cad/automation_error.h"
#include "cad/text.h"
#include "frames/mounting_holes.h"
#include "tools/scripts.h"

namespace qarn::tools {

namespace {

struct blkRecord {
  std::string shnd;
  double X = 0, Y = 0;
};

struct blkRecord2 {
  std::string sHnd;
  double X = 0, Y = 0;
  double L = 0, R = 0, T = 0, B = 0;  // the outline's edges from the insertion point
};

// A mounting-hole reference belongs to the frame it was drawn on, never to a row: a window over
// a row of frames takes the holes too.
struct HoleRef {
  std::string handle;
  cad::Point3 at;
  bool moved = false;
};

// The user's pick of block references, parted into the blocks to line up (in selection order)
// and the mounting holes among them.
struct Picked {
  std::vector<cad::BlockReference> blocks;
  std::vector<HoleRef> holes;
};

bool isHoleBlock(const std::string& name) {
  return cad::asciiUpper(name).starts_with(frames::kHoleBlockPrefix);
}

bool samePlace(cad::Point3 a, cad::Point3 b) {
  return std::abs(a.x - b.x) < 1e-6 && std::abs(a.y - b.y) < 1e-6;
}

// The common opening: the active selection set emptied, QARN put away, the CAD in front and the
// user's pick of block references; the blocks when more than one is there to line up.
std::optional<cad::SelectionSet> pickBlocks(cad::CadCommand& c, Picked& picked) {
  cad::SelectionSet ss = c.doc().activeSelectionSet();
  ss.clear();
  c.minimizeMainWindow();
  c.bringCadForward();
  ss.selectOnScreen({0}, {cad::Value("INSERT")});
  if (ss.count() <= 1) return std::nullopt;
  int n = ss.count();
  for (int i = 0; i < n; ++i) {
    cad::BlockReference b(ss.item(i));
    if (isHoleBlock(b.name()))
      picked.holes.push_back({b.handle(), b.insertionPoint()});
    else
      picked.blocks.push_back(b);
  }
  if (picked.blocks.size() <= 1) return std::nullopt;
  return ss;
}

// A hole picked as the reference stands for the frame it sits on, when that frame is picked.
std::string referenceHandle(const cad::BlockReference& ref, const Picked& picked) {
  if (!isHoleBlock(ref.name())) return ref.handle();
  cad::Point3 at = ref.insertionPoint();
  for (const cad::BlockReference& b : picked.blocks)
    if (samePlace(b.insertionPoint(), at)) return b.handle();
  return ref.handle();
}

// A block moved from `from` to `to` takes along the holes that sat at its insertion point.
void moveHolesWith(const cad::Document& doc, Picked& picked, cad::Point3 from, cad::Point3 to) {
  for (HoleRef& h : picked.holes) {
    if (h.moved || !samePlace(h.at, from)) continue;
    cad::BlockReference hole(doc.handleToObject(h.handle));
    cad::Point3 p = hole.insertionPoint();
    hole.setInsertionPoint({p.x + to.x - from.x, p.y + to.y - from.y, p.z + to.z - from.z});
    h.moved = true;
  }
}

// Enter at a distance prompt is "no value"; anything else the CAD raises is a cancel.
std::optional<double> askDistance(const cad::Document& doc, const std::string& prompt,
                                  bool& cancelled) {
  try {
    return doc.utility().getDistance(prompt);
  } catch (const cad::AutomationError& e) {
    if (e.code() != cad::status::kUserInputKeyword) cancelled = true;
    return std::nullopt;
  }
}

template <class Record>
void sortRecords(std::vector<Record>& recs, bool horizontal) {
  for (std::size_t j = 0; j + 1 < recs.size(); ++j)
    for (std::size_t k = j + 1; k < recs.size(); ++k)
      if (horizontal ? recs[k].X < recs[j].X : recs[k].Y > recs[j].Y) std::swap(recs[j], recs[k]);
}

template <class Record>
int positionOf(const std::vector<Record>& recs, const std::string& handle,
               std::string Record::*field) {
  for (std::size_t i = 0; i < recs.size(); ++i)
    if (recs[i].*field == handle) return static_cast<int>(i);
  return -1;
}

}  // namespace

std::string spacingPrompt(double average) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "(現在の平均値 = %.3f) <Enter = 変更なし", average);
  return std::string("新しい間隔を入力 ") + buf + "> : ";
}

AlignResult Button11Click(cad::Session& session, AlignAxis axis, AlignReference reference) {
  cad::CadCommand c(session);
  AlignResult result;
  if (!c.running()) return result;
  Picked blocks;
  std::optional<cad::SelectionSet> ss = pickBlocks(c, blocks);
  // Whatever happens once the user has picked, the view is regenerated at the end.
  struct Regen {
    const cad::Document& doc;
    ~Regen() {
      try {
        doc.regen(0);
      } catch (const cad::AutomationError&) {
      }
    }
  } regen{c.doc()};
  if (!ss) {
    result.status = AlignResult::Status::TooFew;
    return result;
  }
  bool horizontal = axis == AlignAxis::Horizontal;
  bool byBlock = reference == AlignReference::Block;

  cad::Point3 R;
  std::string refHandle;
  if (byBlock) {
    std::optional<cad::PickedEntity> picked = c.pickEntity(kReferenceBlockPrompt);
    c.activateCadWindow();
    // A picked entity that is no block reference gives no reference: nothing is moved, rather
    // than every block moved onto the origin's line.
    if (!picked || picked->entity.entityName() != "AcDbBlockReference") {
      result.status = AlignResult::Status::NoReference;
      return result;
    }
    cad::BlockReference ref(picked->entity);
    R = ref.insertionPoint();
    refHandle = referenceHandle(ref, blocks);
  } else {
    std::optional<cad::Point3> p = c.pickPoint(kReferencePointPrompt);
    c.activateCadWindow();
    if (!p) {
      result.status = AlignResult::Status::NoReference;
      return result;
    }
    R = *p;
  }

  std::vector<blkRecord> recs;
  int n = static_cast<int>(blocks.blocks.size());
  for (const cad::BlockReference& b : blocks.blocks) {
    cad::Point3 p = b.insertionPoint();
    recs.push_back({b.handle(), p.x, p.y});
  }
  sortRecords(recs, horizontal);
  int r = byBlock ? positionOf(recs, refHandle, &blkRecord::shnd) : -1;
  double average = horizontal ? (recs.back().X - recs.front().X) / (n - 1)
                              : (recs.front().Y - recs.back().Y) / (n - 1);
  bool cancelled = false;
  std::optional<double> given = askDistance(c.doc(), spacingPrompt(average), cancelled);
  if (cancelled) {
    result.status = AlignResult::Status::Cancelled;
    return result;
  }
  double d = given.value_or(average);
  bool respace = given.has_value();

  for (int u = 0; u < n; ++u) {
    cad::BlockReference b(c.doc().handleToObject(recs[u].shnd));
    cad::Point3 p = b.insertionPoint();
    const cad::Point3 was = p;
    if (horizontal) {
      p.y = R.y;
      if (respace) p.x = byBlock ? R.x + (u - r) * d : R.x - (n - 1) * d / 2 + u * d;
    } else {
      p.x = R.x;
      if (respace) p.y = byBlock ? R.y + (r - u) * d : R.y + (n - 1) * d / 2 - u * d;
    }
    b.setInsertionPoint(p);
    moveHolesWith(c.doc(), blocks, was, p);
    ++result.moved;
  }
  result.status = AlignResult::Status::Aligned;
  return result;
}

namespace {

// The box of the entities of the set that make a block's outline: texts, attributes and mounting
// holes left out. Nothing measured leaves the points as they were.
void measureOutline(const cad::SelectionSet& ss, cad::Point3& min, cad::Point3& max) {
  bool first = true;
  int n = ss.count();
  for (int i = 0; i < n; ++i) {
    cad::Entity e = ss.item(i);
    std::string name = e.entityName();
    if (name.find("Text") != std::string::npos || name.find("Attribute") != std::string::npos)
      continue;
    if (e.layer().find("TOVEK_CUT") != std::string::npos) continue;
    cad::Point3 lo, hi;
    e.getBoundingBox(lo, hi);
    if (first) {
      min = lo;
      max = hi;
      first = false;
    } else {
      min.x = std::min(min.x, lo.x);
      min.y = std::min(min.y, lo.y);
      max.x = std::max(max.x, hi.x);
      max.y = std::max(max.y, hi.y);
    }
  }
}

}  // namespace

AlignResult Button7Click(cad::Session& session) {
  cad::CadCommand c(session);
  AlignResult result;
  if (!c.running()) return result;
  Picked blocks;
  std::optional<cad::SelectionSet> ss = pickBlocks(c, blocks);
  if (!ss) {
    result.status = AlignResult::Status::TooFew;
    return result;
  }
  std::optional<cad::PickedEntity> picked = c.pickEntity(kReferenceBlockPrompt);
  if (!picked) {
    c.activateCadWindow();
    result.status = AlignResult::Status::NoReference;
    return result;
  }
  bool cancelled = false;
  double g = askDistance(c.doc(), kGapPrompt, cancelled).value_or(0.0);
  std::string refHandle;
  if (!cancelled && picked->entity.entityName() == "AcDbBlockReference")
    refHandle = referenceHandle(cad::BlockReference(picked->entity), blocks);
  c.activateCadWindow();
  if (cancelled) {
    result.status = AlignResult::Status::Cancelled;
    return result;
  }

  std::vector<blkRecord2> recs;
  for (const cad::BlockReference& b : blocks.blocks) {
    cad::Point3 p = b.insertionPoint();
    recs.push_back({b.handle(), p.x, p.y});
  }
  sortRecords(recs, true);
  int r = positionOf(recs, refHandle, &blkRecord2::sHnd);
  if (r < 0) {
    result.status = AlignResult::Status::NoReference;
    return result;
  }

  cad::Point3 min, max;
  for (blkRecord2& rec : recs) {
    cad::Entity block = c.doc().handleToObject(rec.sHnd);
    ss->clear();
    std::vector<cad::Entity> copies = block.explode();
    // The loose copies go again whatever happens while they are measured.
    struct EraseCopies {
      std::vector<cad::Entity>* copies;
      ~EraseCopies() {
        for (const cad::Entity& e : *copies) {
          try {
            e.erase();
          } catch (const cad::AutomationError&) {
          }
        }
      }
    } eraseOnError{&copies};
    ss->addItems(copies);
    measureOutline(*ss, min, max);
    rec.L = min.x - rec.X;
    rec.R = max.x - rec.X;
    rec.T = max.y - rec.Y;
    rec.B = min.y - rec.Y;
    ss->erase();
    copies.clear();  // erased with the set
  }

  double start = recs[r].X + recs[r].L;
  for (int l = r - 1; l >= 0; --l)
    start -= g + recs[l].R - recs[l].L;
  for (blkRecord2& rec : recs) {
    cad::BlockReference b(c.doc().handleToObject(rec.sHnd));
    cad::Point3 p = b.insertionPoint();  // each block keeps its own z
    const cad::Point3 was = p;
    p.x = start - rec.L;
    p.y = recs[r].Y;
    b.setInsertionPoint(p);
    moveHolesWith(c.doc(), blocks, was, p);
    start += (rec.R - rec.L) + g;
    ++result.moved;
  }
  result.status = AlignResult::Status::Aligned;
  return result;
}

std::string Button21Click(cad::Session& session, const std::string& folder) {
  return RunScript(session, kGridScript, folder);
}

}  // namespace qarn::tools
