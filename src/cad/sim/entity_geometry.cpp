#include "cad/sim/entity_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qarn::cad::sim {

namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kMaxDepth = 16;  // references inside references, as deep as they are followed
constexpr std::size_t kMaxMeasures = 4096;  // blocks measured exactly under their own transforms

double normAngle(double a) {
  return reducedAngle(a);
}

// The text's advance in units of its height (before the width factor): a half-width character
// (Latin up to U+00FF, half-width katakana and forms U+FF61 to U+FFEF) takes 0.6, any other
// (full-width) character 1.0, as a CAD's text font with its Japanese big font lays them out.
double textAdvance(const std::string& s) {
  double advance = 0;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80         ? 1
                      : (c >> 5) == 6  ? 2
                      : (c >> 4) == 14 ? 3
                      : (c >> 3) == 30 ? 4
                                       : 1;
    char32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (std::size_t k = 1; k < len && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    bool half = cp <= 0xFF || (cp >= 0xFF61 && cp <= 0xFFEF);
    advance += half ? 0.6 : 1.0;
    i += len;
  }
  return advance;
}
}  // namespace

double reducedAngle(double a) {
  if (!std::isfinite(a)) return 0;
  a = std::fmod(a, kTwoPi);
  if (a < 0) a += kTwoPi;
  return a < kTwoPi ? a : 0;  // a tiny negative angle rounds up to 2π
}

Affine Affine::translation(double dx, double dy) {
  return {1, 0, 0, 1, dx, dy};
}

Affine Affine::rotation(Point3 base, double r) {
  double cs = std::cos(r), sn = std::sin(r);
  return {cs, -sn, sn, cs, base.x - cs * base.x + sn * base.y, base.y - sn * base.x - cs * base.y};
}

Affine Affine::mirror(Point3 p, Point3 q) {
  double phi = std::atan2(q.y - p.y, q.x - p.x);
  double c2 = std::cos(2 * phi), s2 = std::sin(2 * phi);
  Affine m{c2, s2, s2, -c2, 0, 0};
  // Keep p fixed.
  Point3 mp = m.apply(p);
  m.e = p.x - mp.x;
  m.f = p.y - mp.y;
  return m;
}

Affine Affine::scaling(double sx, double sy) {
  return {sx, 0, 0, sy, 0, 0};
}

Affine Affine::then(const Affine& n) const {
  return {n.a * a + n.b * c, n.a * b + n.b * d,       n.c * a + n.d * c,
          n.c * b + n.d * d, n.a * e + n.b * f + n.e, n.c * e + n.d * f + n.f};
}

Point3 Affine::apply(Point3 p) const {
  return {a * p.x + b * p.y + e, c * p.x + d * p.y + f, p.z};
}

bool Affine::conformal() const {
  double s0 = std::hypot(a, c), s1 = std::hypot(b, d);
  double dot = a * b + c * d;
  return std::fabs(s0 - s1) <= 1e-12 * std::max(1.0, s0) &&
         std::fabs(dot) <= 1e-12 * std::max(1.0, s0 * s1);
}

Affine referenceTransform(const Entity& ref, Point3 origin) {
  return Affine::translation(-origin.x, -origin.y)
      .then(Affine::scaling(ref.xScale, ref.yScale))
      .then(Affine::rotation({0, 0, 0}, ref.rotation))
      .then(Affine::translation(ref.p1.x, ref.p1.y));
}

namespace {
double directionAfter(const Affine& t, double angle) {
  double x = std::cos(angle), y = std::sin(angle);
  return std::atan2(t.c * x + t.d * y, t.a * x + t.b * y);
}
}  // namespace

void transformEntity(Entity& e, const Affine& t) {
  double scale = std::sqrt(std::fabs(t.det()));
  bool reflects = t.det() < 0;
  switch (e.type) {
    case EntityType::Polyline:
      for (Vertex& v : e.vertices) {
        Point3 p = t.apply({v.x, v.y, 0});
        v.x = p.x;
        v.y = p.y;
        if (reflects) v.bulge = -v.bulge;
      }
      break;
    case EntityType::Line:
      e.p1 = t.apply(e.p1);
      e.p2 = t.apply(e.p2);
      break;
    case EntityType::Circle:
      e.p1 = t.apply(e.p1);
      e.radius *= scale;
      break;
    case EntityType::Arc: {
      double s = normAngle(directionAfter(t, e.startAngle));
      double en = normAngle(directionAfter(t, e.endAngle));
      e.p1 = t.apply(e.p1);
      e.radius *= scale;
      e.startAngle = reflects ? en : s;
      e.endAngle = reflects ? s : en;
      break;
    }
    case EntityType::AttributeDef:
    case EntityType::Attribute:
      e.p1 = t.apply(e.p1);
      e.p2 = t.apply(e.p2);
      e.rotation = normAngle(directionAfter(t, e.rotation));
      e.height *= scale;
      break;
    case EntityType::AlignedDim:
      e.p1 = t.apply(e.p1);
      e.p2 = t.apply(e.p2);
      e.p3 = t.apply(e.p3);
      break;
    case EntityType::Opaque:
      break;  // its geometry is not known here
    case EntityType::BlockRef: {
      // New linear part = t's linear part times R(rotation) S(xScale, yScale); read the rotation
      // and scales back from its columns.
      double cr = std::cos(e.rotation), sr = std::sin(e.rotation);
      double m00 = (t.a * cr + t.b * sr) * e.xScale, m10 = (t.c * cr + t.d * sr) * e.xScale;
      double m01 = (-t.a * sr + t.b * cr) * e.yScale, m11 = (-t.c * sr + t.d * cr) * e.yScale;
      double rot = std::atan2(m10, m00);
      double sx = std::hypot(m00, m10);
      double sy = std::hypot(m01, m11);
      if (m00 * m11 - m01 * m10 < 0) sy = -sy;
      e.p1 = t.apply(e.p1);
      e.rotation = normAngle(rot);
      e.xScale = sx;
      e.yScale = sy;
      break;
    }
  }
}

void Extents::add(double x, double y) {
  min.x = std::min(min.x, x);
  min.y = std::min(min.y, y);
  max.x = std::max(max.x, x);
  max.y = std::max(max.y, y);
}

void Extents::add(const Extents& o) {
  if (o.empty()) return;
  add(o.min.x, o.min.y);
  add(o.max.x, o.max.y);
}

std::optional<ArcGeometry> bulgeArc(const Vertex& from, const Vertex& to) {
  double b = from.bulge;
  if (std::fabs(b) < 1e-15) return std::nullopt;
  double dx = to.x - from.x, dy = to.y - from.y;
  double chord = std::hypot(dx, dy);
  if (chord == 0) return std::nullopt;
  double k = (1 - b * b) / (4 * b);
  Point3 c{(from.x + to.x) / 2 - dy * k, (from.y + to.y) / 2 + dx * k, 0};
  double r = chord * (1 + b * b) / (4 * std::fabs(b));
  double a0 = std::atan2(from.y - c.y, from.x - c.x);
  double a1 = std::atan2(to.y - c.y, to.x - c.x);
  if (b > 0) return ArcGeometry{c, r, normAngle(a0), normAngle(a1)};
  return ArcGeometry{c, r, normAngle(a1), normAngle(a0)};
}

namespace {

// Extremes of the arc under t: exact for a conformal t, finely sampled otherwise.
void addArc(Extents& x, const Affine& t, Point3 c, double r, double start, double end) {
  start = normAngle(start);
  double sweep = normAngle(normAngle(end) - start);
  if (sweep == 0) sweep = kTwoPi;
  if (t.conformal()) {
    Entity arc;
    arc.type = EntityType::Arc;
    arc.p1 = c;
    arc.radius = r;
    arc.startAngle = start;
    arc.endAngle = start + sweep;
    transformEntity(arc, t);
    double s = arc.startAngle;
    double sw = sweep;
    Point3 cc = arc.p1;
    x.add(cc.x + arc.radius * std::cos(s), cc.y + arc.radius * std::sin(s));
    x.add(cc.x + arc.radius * std::cos(s + sw), cc.y + arc.radius * std::sin(s + sw));
    for (int q = 0; q < 4; ++q) {
      double qa = q * kPi / 2;
      if (normAngle(qa - s) <= sw)
        x.add(cc.x + arc.radius * std::cos(qa), cc.y + arc.radius * std::sin(qa));
    }
    return;
  }
  int steps = 720;
  for (int i = 0; i <= steps; ++i) {
    double a = start + sweep * i / steps;
    Point3 p = t.apply({c.x + r * std::cos(a), c.y + r * std::sin(a), 0});
    x.add(p.x, p.y);
  }
}

void addPoint(Extents& x, const Affine& t, Point3 p) {
  Point3 q = t.apply(p);
  x.add(q.x, q.y);
}

void collectText(const Entity& e, const Affine& t, Extents& x) {
  // A definition shows its tag; an attribute its value.
  const std::string& shown = e.type == EntityType::AttributeDef ? e.tag : e.text;
  if (e.invisible || shown.empty()) return;
  double w = textAdvance(shown) * e.height * e.widthFactor;
  double h = e.height;
  // Horizontal: left, centre, right by the alignment code; vertical: baseline, bottom, middle, top.
  int a = e.alignment;
  double left = 0;
  if (a == 1 || a == 4 || a == 7 || a == 10 || a == 13) left = -w / 2;
  if (a == 2 || a == 8 || a == 11 || a == 14) left = -w;
  double bottom = 0;
  if (a >= 6 && a <= 8) bottom = -h;
  if (a >= 9 && a <= 11) bottom = -h / 2;
  if (a == 4) bottom = -h / 2;
  Point3 at = (a == 0) ? e.p1 : e.p2;
  Affine local = Affine::rotation({0, 0, 0}, e.rotation).then(Affine::translation(at.x, at.y));
  Affine whole = local.then(t);
  addPoint(x, whole, {left, bottom, 0});
  addPoint(x, whole, {left + w, bottom, 0});
  addPoint(x, whole, {left, bottom + h, 0});
  addPoint(x, whole, {left + w, bottom + h, 0});
}

}  // namespace

void ExtentsCache::collect(const Entity& e, const Affine& t, Extents& x, int depth) {
  switch (e.type) {
    case EntityType::Polyline: {
      std::size_t n = e.vertices.size();
      for (std::size_t i = 0; i < n; ++i) {
        addPoint(x, t, {e.vertices[i].x, e.vertices[i].y, 0});
        if (i + 1 < n || e.closed) {
          auto arc = bulgeArc(e.vertices[i], e.vertices[(i + 1) % n]);
          if (arc) addArc(x, t, arc->centre, arc->radius, arc->start, arc->end);
        }
      }
      break;
    }
    case EntityType::Line:
      addPoint(x, t, e.p1);
      addPoint(x, t, e.p2);
      break;
    case EntityType::Circle:
      addArc(x, t, e.p1, e.radius, 0, kTwoPi);
      break;
    case EntityType::Arc:
      addArc(x, t, e.p1, e.radius, e.startAngle, e.endAngle);
      break;
    case EntityType::AttributeDef:
    case EntityType::Attribute:
      collectText(e, t, x);
      break;
    case EntityType::AlignedDim: {
      // The dimension line runs through the text point, parallel to the measured points.
      double dx = e.p2.x - e.p1.x, dy = e.p2.y - e.p1.y;
      double len2 = dx * dx + dy * dy;
      double off = len2 > 0 ? ((e.p3.x - e.p1.x) * -dy + (e.p3.y - e.p1.y) * dx) / len2 : 0;
      addPoint(x, t, e.p1);
      addPoint(x, t, e.p2);
      addPoint(x, t, e.p3);
      addPoint(x, t, {e.p1.x - dy * off, e.p1.y + dx * off, 0});
      addPoint(x, t, {e.p2.x - dy * off, e.p2.y + dx * off, 0});
      break;
    }
    case EntityType::BlockRef:
      collectReference(e, t, x, depth);
      break;
    case EntityType::Opaque:
      break;  // no known extents: window selections pass it by
  }
}

void ExtentsCache::collectReference(const Entity& e, const Affine& t, Extents& x, int depth) {
  const Block* b = d_.findBlock(e.blockName);
  Affine whole = b ? referenceTransform(e, b->origin).then(t) : Affine{};
  // Turns reached along different paths differ in their last bits: one measure serves them all,
  // its parts rounded to 2⁻⁴⁰ of the largest.
  int exp = 0;
  std::frexp(
      std::max({std::fabs(whole.a), std::fabs(whole.b), std::fabs(whole.c), std::fabs(whole.d)}),
      &exp);
  auto keyPart = [exp](double v) {
    return std::ldexp(std::round(std::ldexp(v, 40 - exp)), exp - 40);
  };
  Affine linear{keyPart(whole.a), keyPart(whole.b), keyPart(whole.c), keyPart(whole.d), 0, 0};
  bool finite = true;  // a scale or place that is no number puts the block nowhere
  for (double v : {whole.a, whole.b, whole.c, whole.d, whole.e, whole.f})
    finite = finite && std::isfinite(v);
  if (b && finite && depth < kMaxDepth && !measuring_.count(b)) {
    bool exact = blocks_.size() < kMaxMeasures;
    // Past so many distinct transforms (a hostile drawing turning each copy anew) the box of the
    // block as drawn is turned instead: larger than the truth at worst, never smaller.
    const Extents& inner = blockUnder(*b, exact ? linear : Affine{}, depth + 1);
    if (!inner.empty()) {
      if (exact) {
        x.add(inner.min.x + whole.e, inner.min.y + whole.f);
        x.add(inner.max.x + whole.e, inner.max.y + whole.f);
      } else {
        for (Point3 p : {inner.min, inner.max, Point3{inner.min.x, inner.max.y, 0},
                         Point3{inner.max.x, inner.min.y, 0}})
          addPoint(x, whole, p);
      }
    }
  }
  for (const auto& h : e.attributes)
    if (const Entity* att = d_.findEntity(h)) collect(*att, t, x, depth + 1);
}

const Extents& ExtentsCache::blockUnder(const Block& b, const Affine& l, int depth) {
  Key key{&b, l.a, l.b, l.c, l.d, depth};
  auto it = blocks_.find(key);
  if (it != blocks_.end()) return it->second;
  Extents x;
  measuring_.insert(&b);
  for (const auto& h : b.entities) {
    const Entity* child = d_.findEntity(h);
    if (child && child->type != EntityType::AttributeDef) collect(*child, l, x, depth);
  }
  measuring_.erase(&b);
  return blocks_[key] = x;
}

Extents ExtentsCache::of(const Entity& e) {
  Extents x;
  collect(e, Affine{}, x, 0);
  return x;
}

Extents extentsOf(const Drawing& d, const Entity& e) {
  return ExtentsCache(d).of(e);
}

std::optional<Entity> offsetEntity(const Entity& e, double distance) {
  Entity out = e;
  switch (e.type) {
    case EntityType::Circle:
    case EntityType::Arc:
      out.radius = e.radius + distance;
      if (out.radius <= 0) return std::nullopt;
      return out;
    case EntityType::Line: {
      double dx = e.p2.x - e.p1.x, dy = e.p2.y - e.p1.y, len = std::hypot(dx, dy);
      if (len == 0) return std::nullopt;
      double nx = -dy / len * distance, ny = dx / len * distance;
      out.p1 = {e.p1.x + nx, e.p1.y + ny, e.p1.z};
      out.p2 = {e.p2.x + nx, e.p2.y + ny, e.p2.z};
      return out;
    }
    case EntityType::Polyline:
      break;
    default:
      return std::nullopt;
  }

  const auto& v = e.vertices;
  std::size_t n = v.size();
  if (n < 2) return std::nullopt;
  double area = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const Vertex& p = v[i];
    const Vertex& q = v[(i + 1) % n];
    area += p.x * q.y - q.x * p.y;
  }
  // `left` is how far each segment moves to its left: a closed outline shrinks for a negative
  // distance whichever way it runs.
  double left = (e.closed && area > 0) ? -distance : distance;
  std::size_t segs = e.closed ? n : n - 1;
  struct Seg {
    Point2 s, t;
    bool arc;
  };
  std::vector<Seg> off(segs);
  for (std::size_t i = 0; i < segs; ++i) {
    const Vertex& p = v[i];
    const Vertex& q = v[(i + 1) % n];
    auto arc = bulgeArc(p, q);
    if (arc) {
      double r2 = p.bulge > 0 ? arc->radius - left : arc->radius + left;
      if (r2 <= 1e-12) return std::nullopt;
      double k = r2 / arc->radius;
      off[i] = {
          {arc->centre.x + (p.x - arc->centre.x) * k, arc->centre.y + (p.y - arc->centre.y) * k},
          {arc->centre.x + (q.x - arc->centre.x) * k, arc->centre.y + (q.y - arc->centre.y) * k},
          true};
    } else {
      double dx = q.x - p.x, dy = q.y - p.y, len = std::hypot(dx, dy);
      if (len == 0) return std::nullopt;
      double nx = -dy / len * left, ny = dx / len * left;
      off[i] = {{p.x + nx, p.y + ny}, {q.x + nx, q.y + ny}, false};
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    Point2 at;
    bool hasPrev = e.closed || i > 0;
    bool hasNext = i < segs;
    if (hasNext && hasPrev) {
      const Seg& prev = off[(i + segs - 1) % segs];
      const Seg& next = off[i];
      at = next.s;
      if (std::hypot(prev.t.x - next.s.x, prev.t.y - next.s.y) > 1e-9 && !prev.arc && !next.arc) {
        auto meet = IntersectSegments(false, prev.s, prev.t, next.s, next.t);
        if (meet) at = *meet;
      }
    } else if (hasNext) {
      at = off[i].s;
    } else {
      at = off[i - 1].t;
    }
    out.vertices[i].x = at.x;
    out.vertices[i].y = at.y;
  }
  return out;
}

std::vector<Entity> explodeEntity(const Drawing& d, const Entity& e) {
  std::vector<Entity> parts;
  auto like = [&](EntityType type) {
    Entity p;
    p.type = type;
    p.owner = e.owner;
    p.layer = e.layer;
    p.linetype = e.linetype;
    p.color = e.color;
    return p;
  };
  if (e.type == EntityType::Polyline) {
    std::size_t n = e.vertices.size();
    std::size_t segs = e.closed ? n : (n ? n - 1 : 0);
    for (std::size_t i = 0; i < segs; ++i) {
      const Vertex& p = e.vertices[i];
      const Vertex& q = e.vertices[(i + 1) % n];
      if (auto arc = bulgeArc(p, q)) {
        Entity a = like(EntityType::Arc);
        a.p1 = arc->centre;
        a.radius = arc->radius;
        a.startAngle = arc->start;
        a.endAngle = arc->end;
        parts.push_back(a);
      } else {
        Entity l = like(EntityType::Line);
        l.p1 = {p.x, p.y, 0};
        l.p2 = {q.x, q.y, 0};
        parts.push_back(l);
      }
    }
  } else if (e.type == EntityType::BlockRef) {
    const Block* b = d.findBlock(e.blockName);
    if (!b) return parts;
    Affine t = referenceTransform(e, b->origin);
    for (const auto& h : b->entities) {
      const Entity* child = d.findEntity(h);
      if (!child) continue;
      Entity c = *child;
      c.owner = e.owner;
      c.attributes.clear();
      transformEntity(c, t);
      parts.push_back(c);
    }
  }
  return parts;
}

}  // namespace qarn::cad::sim
