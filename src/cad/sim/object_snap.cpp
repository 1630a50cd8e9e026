#include "cad/sim/object_snap.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

#include "cad/sim/dimension_picture.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

using Piece = SnapIndex::Piece;
constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kMaxDepth = 16;  // references inside references, as drawn
// What one drawing gives the snaps at most, and the entities looked at to get them (references
// nested many times over multiply past any count).
constexpr std::size_t kMaxPieces = 500'000;
constexpr long kMaxVisits = 4'000'000;
constexpr int kMaxNear = 48;  // curves whose crossings are looked for

Point3 onArc(const Piece& p, double angle) {
  return {p.a.x + p.r * std::cos(angle), p.a.y + p.r * std::sin(angle), 0};
}
bool angleOn(const Piece& p, double angle) {
  if (p.sweep >= kTwoPi) return true;
  return reducedAngle(angle - p.start) <= p.sweep + 1e-9;
}
double dist(Point3 p, Point3 q) {
  return std::hypot(p.x - q.x, p.y - q.y);
}
bool finite(Point3 p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// The point of the piece nearest to `p`.
Point3 nearestOn(const Piece& s, Point3 p) {
  switch (s.kind) {
    case Piece::Kind::Segment: {
      double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y, len2 = dx * dx + dy * dy;
      double u =
          len2 > 0 ? std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / len2, 0., 1.) : 0;
      return {s.a.x + u * dx, s.a.y + u * dy, 0};
    }
    case Piece::Kind::Arc: {
      double angle = std::atan2(p.y - s.a.y, p.x - s.a.x);
      if (angleOn(s, angle)) return onArc(s, angle);
      Point3 e0 = onArc(s, s.start), e1 = onArc(s, s.start + s.sweep);
      return dist(p, e0) <= dist(p, e1) ? e0 : e1;
    }
    case Piece::Kind::Spot:
      break;
  }
  return s.a;
}

// Where two pieces cross.
void crossings(const Piece& p, const Piece& q, std::vector<Point3>& out) {
  using K = Piece::Kind;
  if (p.kind == K::Spot || q.kind == K::Spot) return;
  if (p.kind == K::Arc && q.kind == K::Segment) return crossings(q, p, out);
  if (p.kind == K::Segment && q.kind == K::Segment) {
    double rx = p.b.x - p.a.x, ry = p.b.y - p.a.y, sx = q.b.x - q.a.x, sy = q.b.y - q.a.y;
    double den = rx * sy - ry * sx;
    if (std::abs(den) <= 1e-12 * std::hypot(rx, ry) * std::hypot(sx, sy)) return;  // parallel
    double t = ((q.a.x - p.a.x) * sy - (q.a.y - p.a.y) * sx) / den;
    double u = ((q.a.x - p.a.x) * ry - (q.a.y - p.a.y) * rx) / den;
    if (t >= -1e-9 && t <= 1 + 1e-9 && u >= -1e-9 && u <= 1 + 1e-9)
      out.push_back({p.a.x + t * rx, p.a.y + t * ry, 0});
    return;
  }
  if (p.kind == K::Segment) {  // and an arc
    double dx = p.b.x - p.a.x, dy = p.b.y - p.a.y, fx = p.a.x - q.a.x, fy = p.a.y - q.a.y;
    double a = dx * dx + dy * dy, b = 2 * (fx * dx + fy * dy), c = fx * fx + fy * fy - q.r * q.r;
    double disc = b * b - 4 * a * c;
    if (a <= 0 || disc < 0) return;
    for (double sign : {-1.0, 1.0}) {
      double t = (-b + sign * std::sqrt(disc)) / (2 * a);
      Point3 x{p.a.x + t * dx, p.a.y + t * dy, 0};
      if (t >= -1e-9 && t <= 1 + 1e-9 && angleOn(q, std::atan2(x.y - q.a.y, x.x - q.a.x)))
        out.push_back(x);
      if (disc == 0) break;
    }
    return;
  }
  double d = dist(p.a, q.a);  // two arcs
  if (d <= 0 || d > p.r + q.r || d < std::abs(p.r - q.r)) return;
  double along = (p.r * p.r - q.r * q.r + d * d) / (2 * d);
  double h = std::sqrt(std::max(0.0, p.r * p.r - along * along));
  double ux = (q.a.x - p.a.x) / d, uy = (q.a.y - p.a.y) / d;
  for (double sign : {-1.0, 1.0}) {
    Point3 x{p.a.x + along * ux - sign * h * uy, p.a.y + along * uy + sign * h * ux, 0};
    if (angleOn(p, std::atan2(x.y - p.a.y, x.x - p.a.x)) &&
        angleOn(q, std::atan2(x.y - q.a.y, x.x - q.a.x)))
      out.push_back(x);
    if (h == 0) break;
  }
}

// Takes the drawing apart into pieces in model-space coordinates.
class Collector {
 public:
  Collector(const Drawing& d, std::vector<Piece>& out) : d_(d), out_(out) {}

  void topLevel(const Entity& e) {
    if (!d_.visible(e)) return;
    entity(e, Affine{}, e.layer, 0);
    if (e.type == EntityType::BlockRef) {
      spot(e.p1, Affine{});
      for (const auto& h : e.attributes)
        if (const Entity* a = d_.findEntity(h); a && !a->invisible && !a->text.empty())
          spot(a->alignment == 0 ? a->p1 : a->p2, Affine{});
    }
  }

 private:
  bool full() const { return out_.size() >= kMaxPieces || visits_ >= kMaxVisits; }

  void spot(Point3 p, const Affine& t) {
    Point3 q = t.apply(p);
    if (!full() && finite(q)) out_.push_back({Piece::Kind::Spot, q, q});
  }
  void segment(Point3 p, Point3 q, const Affine& t, bool chord = false) {
    Point3 a = t.apply(p), b = t.apply(q);
    if (!full() && finite(a) && finite(b))
      out_.push_back({Piece::Kind::Segment, a, b, 0, 0, 0, chord});
  }
  // An arc counter-clockwise from `start` through `sweep`; under a transform that does not keep
  // circles round it is its chords.
  void arc(Point3 c, double r, double start, double sweep, const Affine& t) {
    if (full() || !(r > 0)) return;
    if (!t.conformal()) {
      int n = std::max(4, static_cast<int>(std::ceil(sweep / kTwoPi * 48)));
      for (int i = 0; i < n; ++i) {
        double a0 = start + sweep * i / n, a1 = start + sweep * (i + 1) / n;
        segment({c.x + r * std::cos(a0), c.y + r * std::sin(a0), 0},
                {c.x + r * std::cos(a1), c.y + r * std::sin(a1), 0}, t, true);
      }
      return;
    }
    Piece p{Piece::Kind::Arc, t.apply(c), {}, r * std::sqrt(std::abs(t.det())), 0, sweep};
    // A mirror turns the arc round: its end becomes its start.
    double from = t.det() < 0 ? start + sweep : start;
    Point3 s = t.apply({c.x + r * std::cos(from), c.y + r * std::sin(from), 0});
    p.start = reducedAngle(std::atan2(s.y - p.a.y, s.x - p.a.x));
    if (finite(p.a) && std::isfinite(p.r)) out_.push_back(p);
  }

  // Looked up once each: a block is taken apart once per reference, and references are many.
  bool layerShown(const std::string& name) {
    auto [it, added] = shown_.emplace(name, true);
    if (added)
      for (const Layer& l : d_.layers)
        if (asciiUpper(l.name) == asciiUpper(name)) it->second = l.on && !l.frozen;
    return it->second;
  }
  const Block* block(const std::string& name) {
    auto [it, added] = blocks_.emplace(name, nullptr);
    if (added) it->second = d_.findBlock(name);
    return it->second;
  }
  const std::vector<const Entity*>& partsOf(const Block* b) {
    auto [it, added] = parts_.emplace(b, std::vector<const Entity*>{});
    if (added)
      for (const auto& h : b->entities)
        if (const Entity* e = d_.findEntity(h)) it->second.push_back(e);
    return it->second;
  }

  void entity(const Entity& e, const Affine& t, const std::string& layer, int depth) {
    ++visits_;
    switch (e.type) {
      case EntityType::Line:
        segment(e.p1, e.p2, t);
        break;
      case EntityType::Polyline: {
        std::size_t n = e.vertices.size();
        for (std::size_t i = 0; i + 1 < n || (e.closed && i + 1 == n && n > 1); ++i) {
          const Vertex& v = e.vertices[i];
          const Vertex& w = e.vertices[(i + 1) % n];
          if (auto a = bulgeArc(v, w)) {
            double sweep = reducedAngle(a->end) - reducedAngle(a->start);
            if (sweep <= 0) sweep += kTwoPi;
            arc(a->centre, a->radius, reducedAngle(a->start), sweep, t);
          } else {
            segment({v.x, v.y, 0}, {w.x, w.y, 0}, t);
          }
        }
        break;
      }
      case EntityType::Circle:
        arc(e.p1, e.radius, 0, kTwoPi, t);
        break;
      case EntityType::Arc: {
        double start = reducedAngle(e.startAngle), sweep = reducedAngle(e.endAngle) - start;
        if (sweep <= 0) sweep += kTwoPi;
        arc(e.p1, e.radius, start, sweep, t);
        break;
      }
      case EntityType::AttributeDef:
        // On its own a definition shows its tag; in a block only a constant one shows.
        if (!e.invisible && (depth == 0 || e.constant)) spot(e.alignment == 0 ? e.p1 : e.p2, t);
        break;
      case EntityType::AlignedDim:
        for (const auto& l : dimensionPicture(d_, e).lines)
          segment(l[0], l[1], t);
        break;
      case EntityType::BlockRef: {
        const Block* b = block(e.blockName);
        if (!b || depth >= kMaxDepth ||
            std::find(inside_.begin(), inside_.end(), b) != inside_.end())
          break;
        Affine placed = referenceTransform(e, b->origin).then(t);
        inside_.push_back(b);
        for (const Entity* part : partsOf(b)) {
          if (full()) break;
          // A part on layer 0 is on its reference's layer.
          const std::string& partLayer = part->layer == "0" ? layer : part->layer;
          if (layerShown(partLayer)) entity(*part, placed, partLayer, depth + 1);
        }
        inside_.pop_back();
        break;
      }
      case EntityType::Attribute:
      case EntityType::Opaque:
        break;
    }
  }

  const Drawing& d_;
  std::vector<Piece>& out_;
  std::vector<const Block*> inside_;  // the blocks being taken apart, outermost first
  long visits_ = 0;
  std::unordered_map<std::string, bool> shown_;
  std::unordered_map<std::string, const Block*> blocks_;
  std::unordered_map<const Block*, std::vector<const Entity*>> parts_;
};

Extents boxOf(const Piece& p) {
  Extents x;
  x.add(p.a.x, p.a.y);
  if (p.kind == Piece::Kind::Segment) x.add(p.b.x, p.b.y);
  if (p.kind == Piece::Kind::Arc) {
    // The centre is a snap of its own: the box takes it in with the whole circle.
    x.add(p.a.x - p.r, p.a.y - p.r);
    x.add(p.a.x + p.r, p.a.y + p.r);
  }
  return x;
}

}  // namespace

int osmodeBit(SnapKind k) {
  switch (k) {
    case SnapKind::Endpoint:
      return kOsnapEndpoint;
    case SnapKind::Midpoint:
      return kOsnapMidpoint;
    case SnapKind::Centre:
      return kOsnapCentre;
    case SnapKind::Quadrant:
      return kOsnapQuadrant;
    case SnapKind::Insertion:
      return kOsnapInsertion;
    case SnapKind::Intersection:
      return kOsnapIntersection;
    case SnapKind::Nearest:
      break;
  }
  return kOsnapNearest;
}

const char* snapKindName(SnapKind k) {
  switch (k) {
    case SnapKind::Endpoint:
      return "端点";
    case SnapKind::Midpoint:
      return "中点";
    case SnapKind::Centre:
      return "中心";
    case SnapKind::Quadrant:
      return "四半円点";
    case SnapKind::Insertion:
      return "挿入基点";
    case SnapKind::Intersection:
      return "交点";
    case SnapKind::Nearest:
      break;
  }
  return "近接点";
}

SnapIndex::SnapIndex(const Drawing& d) {
  pieces_.reserve(std::min(kMaxPieces, 8 * d.modelSpace().entities.size()));
  Collector c(d, pieces_);
  for (const auto& h : d.modelSpace().entities)
    if (const Entity* e = d.findEntity(h)) c.topLevel(*e);
  build();
}

void SnapIndex::build() {
  for (const Piece& p : pieces_)
    box_.add(boxOf(p));
  if (pieces_.empty()) return;
  double w = box_.max.x - box_.min.x, h = box_.max.y - box_.min.y;
  // About two pieces a cell, at most 2048 cells a side.
  double area = std::max(w * h, 1e-12);
  cell_ = std::max(
      {std::sqrt(area * 2 / static_cast<double>(pieces_.size())), w / 2048, h / 2048, 1e-9});
  if (!std::isfinite(cell_)) return;  // no grid: every piece is wide
  cols_ = static_cast<int>(w / cell_) + 1;
  rows_ = static_cast<int>(h / cell_) + 1;
  auto cellsOf = [&](const Extents& x, int& c0, int& c1, int& r0, int& r1) {
    c0 = static_cast<int>((x.min.x - box_.min.x) / cell_);
    c1 = std::min(cols_ - 1, static_cast<int>((x.max.x - box_.min.x) / cell_));
    r0 = static_cast<int>((x.min.y - box_.min.y) / cell_);
    r1 = std::min(rows_ - 1, static_cast<int>((x.max.y - box_.min.y) / cell_));
  };
  std::vector<int> count(static_cast<std::size_t>(cols_) * rows_ + 1, 0);
  std::vector<char> wide(pieces_.size(), 0);
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    int c0, c1, r0, r1;
    cellsOf(boxOf(pieces_[i]), c0, c1, r0, r1);
    if (static_cast<long>(c1 - c0 + 1) * (r1 - r0 + 1) > 64) {
      wide[i] = 1;
      wide_.push_back(static_cast<int>(i));
      continue;
    }
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c)
        ++count[static_cast<std::size_t>(r) * cols_ + c];
  }
  cellStart_.assign(count.size(), 0);
  for (std::size_t i = 1; i < count.size(); ++i)
    cellStart_[i] = cellStart_[i - 1] + count[i - 1];
  cellPieces_.resize(static_cast<std::size_t>(cellStart_.back()));
  std::vector<int> fill(cellStart_.begin(), cellStart_.end() - 1);
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    if (wide[i]) continue;
    int c0, c1, r0, r1;
    cellsOf(boxOf(pieces_[i]), c0, c1, r0, r1);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c)
        cellPieces_[fill[static_cast<std::size_t>(r) * cols_ + c]++] = static_cast<int>(i);
  }
}

std::optional<Snap> SnapIndex::find(Point3 cursor, double aperture, int osmode) const {
  if ((osmode & kOsnapOff) || pieces_.empty() || !(aperture > 0)) return std::nullopt;
  // The pieces whose box comes within the aperture.
  std::vector<int> near(wide_);
  if (cols_ > 0) {
    double x0 = (cursor.x - aperture - box_.min.x) / cell_,
           x1 = (cursor.x + aperture - box_.min.x) / cell_;
    double y0 = (cursor.y - aperture - box_.min.y) / cell_,
           y1 = (cursor.y + aperture - box_.min.y) / cell_;
    if (x1 >= 0 && y1 >= 0 && x0 < cols_ && y0 < rows_) {
      int c0 = std::max(0, static_cast<int>(x0)), c1 = std::min(cols_ - 1, static_cast<int>(x1));
      int r0 = std::max(0, static_cast<int>(y0)), r1 = std::min(rows_ - 1, static_cast<int>(y1));
      // A cursor far zoomed out looks at every piece rather than at a million cells.
      if (static_cast<long>(c1 - c0 + 1) * (r1 - r0 + 1) > static_cast<long>(pieces_.size())) {
        near.clear();
        for (std::size_t i = 0; i < pieces_.size(); ++i)
          near.push_back(static_cast<int>(i));
      } else {
        for (int r = r0; r <= r1; ++r)
          for (int c = c0; c <= c1; ++c) {
            std::size_t cell = static_cast<std::size_t>(r) * cols_ + c;
            near.insert(near.end(), cellPieces_.begin() + cellStart_[cell],
                        cellPieces_.begin() + cellStart_[cell + 1]);
          }
        std::sort(near.begin(), near.end());
        near.erase(std::unique(near.begin(), near.end()), near.end());
      }
    }
  }

  // The kinds in the order that settles a tie: where two lines end at one corner, an endpoint.
  static const SnapKind order[] = {SnapKind::Endpoint, SnapKind::Intersection, SnapKind::Insertion,
                                   SnapKind::Centre,   SnapKind::Quadrant,     SnapKind::Midpoint};
  auto rank = [](SnapKind k) { return std::find(std::begin(order), std::end(order), k) - order; };
  std::optional<Snap> best;
  double bestDistance = 0;
  auto offer = [&](SnapKind k, Point3 p) {
    if (!(osmode & osmodeBit(k))) return;
    double d = dist(p, cursor);
    if (d > aperture) return;
    double tie = aperture * 1e-9;
    if (!best || d < bestDistance - tie ||
        (d <= bestDistance + tie && rank(k) < rank(best->kind))) {
      best = Snap{k, p};
      bestDistance = d;
    }
  };
  struct Curve {
    double distance;
    int piece;
  };
  std::vector<Curve> curves;  // the curves within the aperture
  for (int i : near) {
    const Piece& p = pieces_[i];
    switch (p.kind) {
      case Piece::Kind::Spot:
        offer(SnapKind::Insertion, p.a);
        continue;
      case Piece::Kind::Segment:
        if (!p.chord) {
          offer(SnapKind::Endpoint, p.a);
          offer(SnapKind::Endpoint, p.b);
          offer(SnapKind::Midpoint, {(p.a.x + p.b.x) / 2, (p.a.y + p.b.y) / 2, 0});
        }
        break;
      case Piece::Kind::Arc:
        offer(SnapKind::Centre, p.a);
        if (p.sweep < kTwoPi) {
          offer(SnapKind::Endpoint, onArc(p, p.start));
          offer(SnapKind::Endpoint, onArc(p, p.start + p.sweep));
          offer(SnapKind::Midpoint, onArc(p, p.start + p.sweep / 2));
        }
        for (int q = 0; q < 4; ++q)
          if (angleOn(p, q * std::numbers::pi / 2))
            offer(SnapKind::Quadrant, onArc(p, q * std::numbers::pi / 2));
        break;
    }
    double d = dist(nearestOn(p, cursor), cursor);
    if (d <= aperture) curves.push_back({d, i});
  }
  std::sort(curves.begin(), curves.end(),
            [](const Curve& a, const Curve& b) { return a.distance < b.distance; });
  if (curves.size() > static_cast<std::size_t>(kMaxNear)) curves.resize(kMaxNear);
  if (osmode & kOsnapIntersection) {
    std::vector<Point3> xs;
    for (std::size_t i = 0; i < curves.size(); ++i)
      for (std::size_t j = i + 1; j < curves.size(); ++j) {
        xs.clear();
        crossings(pieces_[curves[i].piece], pieces_[curves[j].piece], xs);
        for (Point3 x : xs)
          offer(SnapKind::Intersection, x);
      }
  }
  if (best) return best;
  if (curves.empty()) return std::nullopt;
  // Over an arc or a circle, its centre, however far; else the nearest point of the nearest curve.
  if (osmode & kOsnapCentre)
    for (const Curve& c : curves)
      if (pieces_[c.piece].kind == Piece::Kind::Arc)
        return Snap{SnapKind::Centre, pieces_[c.piece].a};
  if (osmode & kOsnapNearest)
    return Snap{SnapKind::Nearest, nearestOn(pieces_[curves.front().piece], cursor)};
  return std::nullopt;
}

}  // namespace qarn::cad::sim
