#include "cad/sim/display_list.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>

#include "cad/sim/dimension_picture.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kChordsPerCircle = 48;

// A style as an entity states it, before layers and the references above it have their say.
struct RawStyle {
  int color = 256;  // 0 by block, 256 by layer
  std::string layer = "0";
  std::string linetype = "BYLAYER";
  bool operator<(const RawStyle& o) const {
    return std::tie(color, layer, linetype) < std::tie(o.color, o.layer, o.linetype);
  }
};

RawStyle rawStyleOf(const Entity& e) {
  return {e.color, e.layer, asciiUpper(e.linetype)};
}

// A part inside a reference takes the reference's layer when on layer 0, its colour and linetype
// when by block.
RawStyle inherit(const RawStyle& child, const RawStyle& parent) {
  RawStyle r = child;
  if (child.layer == "0") r.layer = parent.layer;
  if (child.color == 0) r.color = parent.color;
  if (child.linetype == "BYBLOCK") r.linetype = parent.linetype;
  return r;
}

struct LocalLine {
  double x0, y0, x1, y1;
  int style;  // index into BlockParts::styles
};
struct LocalTriangle {
  Point3 a, b, c;
  int style;
};
struct LocalText {
  ShownText text;
  int style;
};

// A block's own parts in block coordinates, and the references it holds, drawn through their own
// blocks when it is drawn: nothing is multiplied out before it is drawn.
struct BlockParts {
  std::vector<int> styles;  // the builder's style numbers
  std::vector<LocalLine> lines;
  std::vector<LocalTriangle> triangles;
  std::vector<LocalText> texts;
  struct Nested {
    const Block* block;
    Affine t;  // to the holder's coordinates
    int style;
  };
  std::vector<Nested> refs;
  std::size_t own() const { return lines.size() + triangles.size() + texts.size(); }
};

void textPlacement(const Entity& e, ShownText& t) {
  int a = e.alignment;
  t.horizontal = (a == 1 || a == 4 || a == 7 || a == 10 || a == 13) ? 1
                 : (a == 2 || a == 8 || a == 11 || a == 14)         ? 2
                                                                    : 0;
  t.vertical = (a >= 6 && a <= 8) ? 3 : ((a >= 9 && a <= 11) || a == 4) ? 2 : (a >= 12) ? 1 : 0;
  t.at = a == 0 ? e.p1 : e.p2;
  t.height = e.height;
  t.rotation = e.rotation;
  t.widthFactor = e.widthFactor;
}

bool finite(Point3 p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

constexpr int kMaxDepth = 16;  // references inside references, as deep as they are drawn

class Builder {
 public:
  Builder(const Drawing& d, DisplayList& out, std::size_t budget)
      : d_(d), out_(out), left_(budget) {}

  void addTopLevel(const Entity& e, int owner) {
    if (e.type == EntityType::Attribute || e.type == EntityType::Opaque) return;
    BlockParts one;
    addEntity(one, e, Affine{}, nullptr, true);
    double omitted = 0;
    emit(one, Affine{}, nullptr, owner, 0, omitted);
    if (omitted > 0) {
      out_.omittedPrimitives += omitted;
      ++out_.omittedEntities;
      // The view still takes in the whole entity, drawn or not.
      if (!extents_) extents_.emplace(d_);
      out_.extents.add(extents_->of(e));
    }
  }

 private:
  int styleId(const RawStyle& s) {
    auto [it, added] = styleIds_.emplace(s, static_cast<int>(styles_.size()));
    if (added) styles_.push_back(s);
    return it->second;
  }

  int inherited(int child, int parent) {
    std::uint64_t key =
        static_cast<std::uint64_t>(child) << 32 | static_cast<std::uint32_t>(parent);
    auto it = inheritance_.find(key);
    if (it != inheritance_.end()) return it->second;
    int id = styleId(inherit(styles_[child], styles_[parent]));
    inheritance_[key] = id;
    return id;
  }

  // The batch a style paints into, or -1 when its layer hides it.
  int batchFor(int style) {
    if (static_cast<std::size_t>(style) >= batchOfStyle_.size())
      batchOfStyle_.resize(styles_.size(), -2);
    if (batchOfStyle_[style] != -2) return batchOfStyle_[style];
    const RawStyle& s = styles_[style];
    const Layer* layer = nullptr;
    for (const Layer& l : d_.layers)
      if (asciiUpper(l.name) == asciiUpper(s.layer)) layer = &l;
    int batch = -1;
    if (!layer || (layer->on && !layer->frozen)) {
      Style st;
      int color = s.color;
      if (color == 256) color = layer ? layer->color : 7;
      if (color <= 0 || color > 255) color = 7;
      st.rgb = colourOf(color);
      std::string lt = s.linetype;
      if (lt == "BYLAYER" || lt == "BYBLOCK") lt = layer ? asciiUpper(layer->linetype) : "";
      st.line = lineStyleOf(lt);
      batch = batchOf(st);
    }
    return batchOfStyle_[style] = batch;
  }

  int batchOf(const Style& s) {
    std::uint32_t key = s.rgb << 2 | static_cast<std::uint32_t>(s.line);
    auto it = batchIndex_.find(key);
    if (it != batchIndex_.end()) return it->second;
    out_.batches.push_back({s, {}, {}});
    int i = static_cast<int>(out_.batches.size()) - 1;
    batchIndex_[key] = i;
    return i;
  }

  const BlockParts& partsOf(const Block& b) {
    auto it = blocks_.find(&b);
    if (it != blocks_.end()) return *it->second;
    auto parts = std::make_unique<BlockParts>();
    for (const auto& h : b.entities)
      if (const Entity* e = d_.findEntity(h)) addEntity(*parts, *e, Affine{}, nullptr, false);
    return *(blocks_[&b] = std::move(parts));
  }

  // What a block draws in full at this depth, its nested references included; a block inside
  // itself draws nothing of itself. Counted as a real number: nested copies multiply past any
  // integer.
  double wholeOf(const Block& b, int depth) {
    if (depth >= kMaxDepth || drawing_.count(&b)) return 0;
    auto key = std::make_pair(&b, depth);
    auto it = whole_.find(key);
    if (it != whole_.end()) return it->second;
    const BlockParts& p = partsOf(b);
    drawing_.insert(&b);
    double n = static_cast<double>(p.own());
    for (const auto& r : p.refs)
      n += wholeOf(*r.block, depth + 1);
    drawing_.erase(&b);
    return whole_[key] = n;
  }

  // The parts under `t`, each style inherited from `parent` (none at the top), into the list
  // while the budget lasts; what does not fit is added to `omitted`.
  void emit(const BlockParts& p, const Affine& t, const int* parent, int owner, int depth,
            double& omitted) {
    std::vector<int> batch(p.styles.size()), style(p.styles.size());
    for (std::size_t i = 0; i < p.styles.size(); ++i) {
      style[i] = parent ? inherited(p.styles[i], *parent) : p.styles[i];
      batch[i] = batchFor(style[i]);
    }
    for (const LocalLine& l : p.lines) {
      if (batch[l.style] < 0) continue;
      if (!spend(omitted)) continue;
      Point3 a = t.apply({l.x0, l.y0, 0}), b = t.apply({l.x1, l.y1, 0});
      if (!finite(a) || !finite(b)) continue;
      out_.batches[batch[l.style]].lines.push_back({a.x, a.y, b.x, b.y, owner});
      out_.extents.add(a.x, a.y);
      out_.extents.add(b.x, b.y);
    }
    for (const LocalTriangle& tr : p.triangles) {
      if (batch[tr.style] < 0 || !spend(omitted)) continue;
      out_.batches[batch[tr.style]].triangles.push_back(
          {t.apply(tr.a), t.apply(tr.b), t.apply(tr.c), owner});
    }
    for (const LocalText& tx : p.texts) {
      if (batch[tx.style] < 0 || !spend(omitted)) continue;
      ShownText s = placedText(t, tx.text);
      if (!finite(s.at)) continue;
      s.style = out_.batches[batch[tx.style]].style;
      s.owner = owner;
      out_.extents.add(s.at.x, s.at.y);
      out_.texts.push_back(std::move(s));
    }
    for (const auto& r : p.refs) {
      int refStyle = parent ? inherited(p.styles[r.style], *parent) : p.styles[r.style];
      double whole = wholeOf(*r.block, depth + 1);
      if (whole == 0) continue;
      if (left_ == 0) {
        omitted += whole;
        continue;
      }
      drawing_.insert(r.block);
      emit(partsOf(*r.block), r.t.then(t), &refStyle, owner, depth + 1, omitted);
      drawing_.erase(r.block);
    }
  }

  bool spend(double& omitted) {
    if (left_ == 0) {
      omitted += 1;
      return false;
    }
    --left_;
    return true;
  }

  void chord(BlockParts& g, const Affine& t, int style, Point3 p, Point3 q) {
    Point3 a = t.apply(p), b = t.apply(q);
    g.lines.push_back({a.x, a.y, b.x, b.y, style});
  }

  // Chords of the arc counter-clockwise from `start` to `end`: angles of any size, a whole turn
  // at most, at most kChordsPerCircle chords.
  void arc(BlockParts& g, const Affine& t, int style, Point3 c, double r, double start,
           double end) {
    start = reducedAngle(start);
    double sweep = reducedAngle(end) - start;
    if (sweep <= 0) sweep += kTwoPi;
    int n = std::max(2, static_cast<int>(std::ceil(sweep / kTwoPi * kChordsPerCircle)));
    Point3 prev{c.x + r * std::cos(start), c.y + r * std::sin(start), 0};
    for (int i = 1; i <= n; ++i) {
      double a = start + sweep * i / n;
      Point3 next{c.x + r * std::cos(a), c.y + r * std::sin(a), 0};
      chord(g, t, style, prev, next);
      prev = next;
    }
  }

  static ShownText placedText(const Affine& t, ShownText s) {
    double scale = std::sqrt(std::abs(t.det()));
    Point3 o = t.apply({0, 0, 0}), x = t.apply({1, 0, 0});
    s.rotation += std::atan2(x.y - o.y, x.x - o.x);
    s.at = t.apply(s.at);
    s.height *= scale;
    return s;
  }

  int localStyle(BlockParts& g, int id) {
    for (std::size_t i = 0; i < g.styles.size(); ++i)
      if (g.styles[i] == id) return static_cast<int>(i);
    g.styles.push_back(id);
    return static_cast<int>(g.styles.size()) - 1;
  }

  // One entity into `g`, in the coordinates of the block that holds it, with its style as it
  // states it: by block and layer 0 are settled by each reference that draws it. Only a
  // reference's attributes take the reference's style here (`parent`).
  void addEntity(BlockParts& g, const Entity& e, const Affine& t, const RawStyle* parent,
                 bool topLevel) {
    RawStyle own = parent ? inherit(rawStyleOf(e), *parent) : rawStyleOf(e);
    int style = localStyle(g, styleId(own));
    switch (e.type) {
      case EntityType::Polyline: {
        std::size_t n = e.vertices.size();
        for (std::size_t i = 0; i + 1 < n || (e.closed && i < n && n > 1); ++i) {
          const Vertex& v = e.vertices[i];
          const Vertex& w = e.vertices[(i + 1) % n];
          if (auto a = bulgeArc(v, w))
            arc(g, t, style, a->centre, a->radius, a->start, a->end);
          else
            chord(g, t, style, {v.x, v.y, 0}, {w.x, w.y, 0});
          if (i + 1 == n) break;
        }
        break;
      }
      case EntityType::Line:
        chord(g, t, style, e.p1, e.p2);
        break;
      case EntityType::Circle:
        arc(g, t, style, e.p1, e.radius, 0, kTwoPi);
        break;
      case EntityType::Arc:
        arc(g, t, style, e.p1, e.radius, e.startAngle, e.endAngle);
        break;
      case EntityType::AttributeDef:
      case EntityType::Attribute: {
        // In a block only a constant definition shows (its value); on its own a definition
        // shows its tag.
        if (e.invisible) break;
        if (!topLevel && e.type == EntityType::AttributeDef && !e.constant) break;
        ShownText s;
        textPlacement(e, s);
        s.text = e.type == EntityType::AttributeDef && topLevel ? e.tag : e.text;
        if (!s.text.empty()) g.texts.push_back({placedText(t, std::move(s)), style});
        break;
      }
      case EntityType::AlignedDim: {
        DimensionPicture pic = dimensionPicture(d_, e);
        for (const auto& l : pic.lines)
          chord(g, t, style, l[0], l[1]);
        for (const auto& a : pic.arrowheads)
          g.triangles.push_back({t.apply(a[0]), t.apply(a[1]), t.apply(a[2]), style});
        ShownText s;
        s.at = pic.textAt;
        s.height = pic.textHeight;
        s.rotation = pic.textRotation;
        s.horizontal = 1;
        s.vertical = 2;
        s.text = pic.text;
        g.texts.push_back({placedText(t, std::move(s)), style});
        break;
      }
      case EntityType::BlockRef: {
        if (const Block* b = d_.findBlock(e.blockName))
          g.refs.push_back({b, referenceTransform(e, b->origin).then(t), style});
        // The reference's attributes stand in drawing coordinates already, styled as its parts.
        if (topLevel)
          for (const auto& h : e.attributes)
            if (const Entity* a = d_.findEntity(h)) addEntity(g, *a, Affine{}, &own, false);
        break;
      }
      case EntityType::Opaque:
        break;
    }
  }

  const Drawing& d_;
  DisplayList& out_;
  std::size_t left_;  // primitives the list may still take
  std::vector<RawStyle> styles_;
  std::map<RawStyle, int> styleIds_;
  std::unordered_map<std::uint64_t, int> inheritance_;
  std::vector<int> batchOfStyle_;  // -2 not resolved yet, -1 hidden
  std::unordered_map<std::uint32_t, int> batchIndex_;
  std::unordered_map<const Block*, std::unique_ptr<BlockParts>> blocks_;
  std::map<std::pair<const Block*, int>, double> whole_;
  std::set<const Block*> drawing_;  // the blocks being drawn, outermost first
  std::optional<ExtentsCache> extents_;
};

}  // namespace

std::size_t DisplayList::lineCount() const {
  std::size_t n = 0;
  for (const Batch& b : batches)
    n += b.lines.size();
  return n;
}

std::uint32_t colourOf(int aci) {
  static const std::uint32_t firstNine[] = {0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF,
                                            0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
  if (aci >= 1 && aci <= 9) return firstNine[aci - 1];
  if (aci >= 250 && aci <= 255) {
    static const std::uint32_t greys[] = {0x333333, 0x505050, 0x696969,
                                          0x828282, 0xBEBEBE, 0xFFFFFF};
    return greys[aci - 250];
  }
  if (aci < 10 || aci > 249) return 0xFFFFFF;
  // The colour wheel: ten shades of each 15° of hue, darker by pairs, every odd one paler.
  double hue = (aci / 10 - 1) * 15.0;
  int shade = aci % 10;
  static const double values[] = {1.0, 1.0, 0.8, 0.8, 0.6, 0.6, 0.5, 0.5, 0.3, 0.3};
  double v = values[shade], s = shade % 2 ? 0.5 : 1.0;
  double c = v * s, x = c * (1 - std::abs(std::fmod(hue / 60, 2) - 1)), m = v - c;
  double r = 0, g = 0, b = 0;
  int sector = static_cast<int>(hue / 60) % 6;
  switch (sector) {
    case 0:
      r = c, g = x;
      break;
    case 1:
      r = x, g = c;
      break;
    case 2:
      g = c, b = x;
      break;
    case 3:
      g = x, b = c;
      break;
    case 4:
      r = x, b = c;
      break;
    default:
      r = c, b = x;
      break;
  }
  auto byte = [](double u) { return static_cast<std::uint32_t>(std::lround(u * 255)); };
  return byte(r + m) << 16 | byte(g + m) << 8 | byte(b + m);
}

LineStyle lineStyleOf(const std::string& linetype) {
  std::string u = asciiUpper(linetype);
  if (u.empty() || u == "CONTINUOUS" || u == "BYLAYER" || u == "BYBLOCK") return LineStyle::Solid;
  if (u.find("HIDDEN") != std::string::npos) return LineStyle::Hidden;
  if (u.find("PHANTOM") != std::string::npos) return LineStyle::Phantom;
  return LineStyle::Dashed;
}

DisplayList buildDisplayList(const Drawing& d, const std::vector<Entity>& extra,
                             bool withModelSpace, std::size_t budget) {
  DisplayList out;
  Builder b(d, out, budget);
  if (withModelSpace)
    for (const auto& h : d.modelSpace().entities)
      if (const Entity* e = d.findEntity(h)) {
        out.owners.push_back(h);
        b.addTopLevel(*e, static_cast<int>(out.owners.size()) - 1);
      }
  for (const Entity& e : extra) {
    out.owners.push_back(e.handle);
    // What follows the cursor carries its attributes as entities of their own.
    if (e.type == EntityType::Attribute) {
      Entity shown = e;
      shown.type = EntityType::AttributeDef;
      shown.constant = true;
      shown.tag = e.text;
      b.addTopLevel(shown, static_cast<int>(out.owners.size()) - 1);
    } else {
      b.addTopLevel(e, static_cast<int>(out.owners.size()) - 1);
    }
  }
  return out;
}

namespace {

double segmentDistance(double px, double py, const ShownLine& l) {
  double dx = l.x1 - l.x0, dy = l.y1 - l.y0, len2 = dx * dx + dy * dy;
  double u = len2 > 0 ? ((px - l.x0) * dx + (py - l.y0) * dy) / len2 : 0;
  u = std::clamp(u, 0.0, 1.0);
  return std::hypot(px - (l.x0 + u * dx), py - (l.y0 + u * dy));
}

bool insideTriangle(double px, double py, const ShownTriangle& t) {
  auto side = [&](Point3 a, Point3 b) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
  };
  double s1 = side(t.a, t.b), s2 = side(t.b, t.c), s3 = side(t.c, t.a);
  return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
}

}  // namespace

std::string entityAt(const DisplayList& list, double x, double y, double tolerance) {
  int best = -1;
  for (const Batch& b : list.batches) {
    for (const ShownLine& l : b.lines)
      if (l.owner > best && segmentDistance(x, y, l) <= tolerance) best = l.owner;
    for (const ShownTriangle& t : b.triangles)
      if (t.owner > best && insideTriangle(x, y, t)) best = t.owner;
  }
  for (const ShownText& t : list.texts) {
    if (t.owner <= best) continue;
    // The text's box, as wide as its characters at 0.6 (half width) or 1.0 of its height.
    double w = 0;
    for (std::size_t i = 0; i < t.text.size();) {
      unsigned char c = static_cast<unsigned char>(t.text[i]);
      int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      w += n == 1 ? 0.6 : 1.0;
      i += n;
    }
    w *= t.height * t.widthFactor;
    double cs = std::cos(-t.rotation), sn = std::sin(-t.rotation);
    double lx = (x - t.at.x) * cs - (y - t.at.y) * sn, ly = (x - t.at.x) * sn + (y - t.at.y) * cs;
    double left = t.horizontal == 1 ? -w / 2 : t.horizontal == 2 ? -w : 0;
    double bottom = t.vertical == 3 ? -t.height : t.vertical == 2 ? -t.height / 2 : 0;
    if (lx >= left - tolerance && lx <= left + w + tolerance && ly >= bottom - tolerance &&
        ly <= bottom + t.height + tolerance)
      best = t.owner;
  }
  return best >= 0 && list.owners[best].size() ? list.owners[best] : std::string();
}

}  // namespace qarn::cad::sim
