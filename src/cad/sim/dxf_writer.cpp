#include "cad/sim/dxf_writer.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <set>

#include "cad/numbers.h"
#include "cad/sim/dimension_picture.h"
#include "cad/sim/dxf_lexer.h"
#include "cad/text.h"

namespace qarn::cad::sim {

namespace {

using dxf::escapeText;

double degrees(double r) {
  return r * 180.0 / std::numbers::pi;
}

class Writer {
 public:
  Writer(const Drawing& d, unsigned long firstFree) : d_(d), next_(firstFree) {}

  std::string run();

 private:
  void code(int c, const std::string& v) {
    out_ += std::to_string(c);
    out_ += '\n';
    out_ += v;
    out_ += '\n';
  }
  void code(int c, int v) { code(c, std::to_string(v)); }
  void num(int c, double v) { code(c, writeNumber(v)); }
  void point(int c, Point3 p) {
    num(c, p.x);
    num(c + 10, p.y);
    num(c + 20, p.z);
  }
  std::string handle() {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lX", next_++);
    return buf;
  }

  void header();
  void tables();
  void tableStart(const std::string& name, const std::string& h, int count);
  void blocks();
  void entities();
  void objects();
  void entity(const Entity& e, const std::string& ownerRecord);
  void keptEntity(const Entity& e, const std::string& ownerRecord);
  void keptFields(const std::vector<DxfField>& fields);
  void classes();
  int styles(const char* kind, const std::string& table, bool write);
  bool hasStandard(const char* kind) const;
  void common(const Entity& e, const std::string& ownerRecord);
  void text(const Entity& e, bool definition);
  void dimensionBlock(const Entity& e, const std::string& name, const std::string& record);

  std::string linetypeName(const std::string& n) const {
    const Linetype* lt = d_.findLinetype(n);
    return lt ? lt->name : n;
  }

  const Drawing& d_;
  unsigned long next_;
  std::string out_;
  std::string rootDict_, groupDict_, blockRecordTable_;
  std::map<std::string, std::string> dimBlocks_;  // dimension handle -> its picture's block name
  std::map<std::string, std::string> dimRecords_;
  std::set<std::string> written_;  // handles of what the file holds: entities, blocks, tables
  std::set<std::string> appIds_;   // applications whose data kept entities carry
  bool paper_ = false;             // writing the paper-space entities of ENTITIES
  std::map<const DxfRecord*, std::string> styleHandles_;
};

void Writer::header() {
  code(0, "SECTION");
  code(2, "HEADER");
  code(9, "$ACADVER");
  code(1, "AC1015");
  code(9, "$DWGCODEPAGE");
  code(3, "ANSI_1252");
  code(9, "$INSUNITS");
  code(70, 4);
  code(9, "$MEASUREMENT");
  code(70, 1);
  auto var = [&](const char* name) -> double {
    auto it = d_.variables.find(name);
    return it == d_.variables.end() ? 1.0 : it->second.toDouble();
  };
  code(9, "$DIMSCALE");
  num(40, var("DIMSCALE"));
  code(9, "$CLAYER");
  auto cl = d_.variables.find("CLAYER");
  code(8, escapeText(cl == d_.variables.end() ? "0" : cl->second.toText()));
  code(9, "$HANDSEED");
  code(5, "FFFFF");  // replaced once every handle is known
  code(0, "ENDSEC");
}

void Writer::tableStart(const std::string& name, const std::string& h, int count) {
  code(0, "TABLE");
  code(2, name);
  code(5, h);
  code(330, "0");
  code(100, "AcDbSymbolTable");
  code(70, count);
}

void Writer::tables() {
  code(0, "SECTION");
  code(2, "TABLES");

  std::string t = handle();
  tableStart("VPORT", t, 1);
  code(0, "VPORT");
  code(5, handle());
  code(330, t);
  code(100, "AcDbSymbolTableRecord");
  code(100, "AcDbViewportTableRecord");
  code(2, "*Active");
  code(70, 0);
  num(10, 0);
  num(20, 0);
  num(11, 1);
  num(21, 1);
  num(12, 0);
  num(22, 0);
  num(40, 1000);
  num(41, 1.5);
  code(0, "ENDTAB");

  t = handle();
  tableStart("LTYPE", t, static_cast<int>(d_.linetypes.size()));
  for (const Linetype& lt : d_.linetypes) {
    code(0, "LTYPE");
    code(5, lt.handle);
    code(330, t);
    code(100, "AcDbSymbolTableRecord");
    code(100, "AcDbLinetypeTableRecord");
    code(2, escapeText(lt.name));
    code(70, 0);
    code(3, escapeText(lt.description));
    code(72, 65);
    int n = lt.pattern.empty() ? 0 : static_cast<int>(lt.pattern.size()) - 1;
    code(73, n);
    num(40, lt.pattern.empty() ? 0.0 : lt.pattern[0]);
    for (int i = 1; i <= n; ++i) {
      num(49, lt.pattern[i]);
      code(74, 0);
    }
  }
  code(0, "ENDTAB");

  t = handle();
  tableStart("LAYER", t, static_cast<int>(d_.layers.size()));
  for (const Layer& l : d_.layers) {
    code(0, "LAYER");
    code(5, l.handle);
    code(330, t);
    code(100, "AcDbSymbolTableRecord");
    code(100, "AcDbLayerTableRecord");
    code(2, escapeText(l.name));
    code(70, (l.frozen ? 1 : 0) | (l.locked ? 4 : 0));
    code(62, l.on ? l.color : -l.color);
    code(6, escapeText(linetypeName(l.linetype)));
    code(290, l.plottable ? 1 : 0);
    code(370, -3);
    code(390, "0");
  }
  code(0, "ENDTAB");

  t = handle();
  int keptStyles = styles("STYLE", t, false);
  bool standard = !hasStandard("STYLE");
  tableStart("STYLE", t, keptStyles + (standard ? 1 : 0));
  styles("STYLE", t, true);
  if (standard) {
    code(0, "STYLE");
    code(5, handle());
    code(330, t);
    code(100, "AcDbSymbolTableRecord");
    code(100, "AcDbTextStyleTableRecord");
    code(2, "Standard");
    code(70, 0);
    num(40, 0);
    num(41, 1);
    num(50, 0);
    code(71, 0);
    num(42, 2.5);
    code(3, "txt");
    code(4, "");
  }
  code(0, "ENDTAB");

  for (const char* empty : {"VIEW", "UCS"}) {
    t = handle();
    tableStart(empty, t, 0);
    code(0, "ENDTAB");
  }

  t = handle();
  tableStart("APPID", t, static_cast<int>(appIds_.size()));
  for (const auto& app : appIds_) {
    code(0, "APPID");
    code(5, handle());
    code(330, t);
    code(100, "AcDbSymbolTableRecord");
    code(100, "AcDbRegAppTableRecord");
    code(2, escapeText(app));
    code(70, 0);
  }
  code(0, "ENDTAB");

  t = handle();
  code(0, "TABLE");
  code(2, "DIMSTYLE");
  code(5, t);
  code(330, "0");
  code(100, "AcDbSymbolTable");
  standard = !hasStandard("DIMSTYLE");
  code(70, styles("DIMSTYLE", t, false) + (standard ? 1 : 0));
  code(100, "AcDbDimStyleTable");
  styles("DIMSTYLE", t, true);
  if (standard) {
    code(0, "DIMSTYLE");
    code(105, handle());
    code(330, t);
    code(100, "AcDbSymbolTableRecord");
    code(100, "AcDbDimStyleTableRecord");
    code(2, "Standard");
    code(70, 0);
  }
  code(0, "ENDTAB");

  blockRecordTable_ = handle();
  std::vector<std::pair<std::string, std::string>> records;  // name, handle
  for (const Block& b : d_.blocks)
    records.emplace_back(b.name, b.handle);
  for (const auto& [dim, name] : dimBlocks_)
    records.emplace_back(name, dimRecords_[dim]);
  tableStart("BLOCK_RECORD", blockRecordTable_, static_cast<int>(records.size()));
  for (const auto& [name, h] : records) {
    code(0, "BLOCK_RECORD");
    code(5, h);
    code(330, blockRecordTable_);
    code(100, "AcDbSymbolTableRecord");
    code(100, "AcDbBlockTableRecord");
    code(2, escapeText(name));
    code(340, "0");
  }
  code(0, "ENDTAB");
  code(0, "ENDSEC");
}

void Writer::common(const Entity& e, const std::string& ownerRecord) {
  code(0, dxfName(e.type));
  code(5, e.handle);
  code(330, ownerRecord);
  code(100, "AcDbEntity");
  if (paper_) code(67, 1);
  code(8, escapeText(e.layer));
  if (asciiUpper(e.linetype) != "BYLAYER") code(6, escapeText(linetypeName(e.linetype)));
  if (e.color != 256) code(62, e.color);
}

void Writer::text(const Entity& e, bool definition) {
  static const int kH[15] = {0, 1, 2, 3, 4, 5, 0, 1, 2, 0, 1, 2, 0, 1, 2};
  static const int kV[15] = {0, 0, 0, 0, 0, 0, 3, 3, 3, 2, 2, 2, 1, 1, 1};
  int al = (e.alignment >= 0 && e.alignment <= 14) ? e.alignment : 0;
  code(100, "AcDbText");
  point(10, e.p1);
  num(40, e.height);
  code(1, escapeText(e.text));
  if (e.rotation != 0) num(50, degrees(e.rotation));
  if (e.widthFactor != 1) num(41, e.widthFactor);
  if (kH[al]) code(72, kH[al]);
  if (al != 0) point(11, e.p2);
  code(100, definition ? "AcDbAttributeDefinition" : "AcDbAttribute");
  if (definition) code(3, escapeText(e.prompt));
  code(2, escapeText(e.tag));
  code(70, (e.invisible ? 1 : 0) | (e.constant ? 2 : 0));
  if (kV[al]) code(74, kV[al]);
}

// Group codes whose values are handles of other objects.
bool isPointer(int c) {
  return (c >= 320 && c <= 369) || c == 390 || c == 480 || c == 481 || c == 1005;
}

void Writer::keptFields(const std::vector<DxfField>& fields) {
  for (const DxfField& f : fields) {
    if (isPointer(f.code)) {
      // A link to an object this file does not hold would point at whatever gets its handle.
      code(f.code, written_.count(asciiUpper(f.value)) ? f.value : std::string("0"));
    } else {
      code(f.code, dxf::kindOf(f.code) == dxf::ValueKind::Text ? escapeText(f.value) : f.value);
    }
  }
}

// An entity of a kind the simulated CAD does not model, as it was read; its own records after it
// (a polyline's vertices) with handles of this file.
void Writer::keptEntity(const Entity& e, const std::string& ownerRecord) {
  code(0, e.dxfType);
  code(5, e.handle);
  code(330, ownerRecord);
  keptFields(e.fields);
  for (const DxfRecord& r : e.parts) {
    code(0, r.kind);
    code(5, handle());
    code(330, e.handle);
    keptFields(r.fields);
  }
}

// The styles of a kind read from a drawing file, written when `write`; how many there are.
int Writer::styles(const char* kind, const std::string& table, bool write) {
  int n = 0;
  for (const DxfRecord& r : d_.styles) {
    if (r.kind != kind) continue;
    ++n;
    if (!write) continue;
    code(0, r.kind);
    code(r.kind == "DIMSTYLE" ? 105 : 5, styleHandles_.at(&r));
    code(330, table);
    keptFields(r.fields);
  }
  return n;
}

bool Writer::hasStandard(const char* kind) const {
  for (const DxfRecord& r : d_.styles)
    if (r.kind == kind)
      for (const DxfField& f : r.fields)
        if (f.code == 2 && asciiUpper(f.value) == "STANDARD") return true;
  return false;
}

void Writer::classes() {
  if (d_.classes.empty()) return;
  code(0, "SECTION");
  code(2, "CLASSES");
  for (const DxfRecord& r : d_.classes) {
    code(0, r.kind);
    keptFields(r.fields);
  }
  code(0, "ENDSEC");
}

void Writer::entity(const Entity& e, const std::string& ownerRecord) {
  if (e.type == EntityType::Opaque) return keptEntity(e, ownerRecord);
  common(e, ownerRecord);
  switch (e.type) {
    case EntityType::Polyline:
      code(100, "AcDbPolyline");
      code(90, static_cast<int>(e.vertices.size()));
      code(70, e.closed ? 1 : 0);
      num(43, 0);
      for (const Vertex& v : e.vertices) {
        num(10, v.x);
        num(20, v.y);
        if (v.bulge != 0) num(42, v.bulge);
      }
      break;
    case EntityType::Line:
      code(100, "AcDbLine");
      point(10, e.p1);
      point(11, e.p2);
      break;
    case EntityType::Circle:
      code(100, "AcDbCircle");
      point(10, e.p1);
      num(40, e.radius);
      break;
    case EntityType::Arc:
      code(100, "AcDbCircle");
      point(10, e.p1);
      num(40, e.radius);
      code(100, "AcDbArc");
      num(50, degrees(e.startAngle));
      num(51, degrees(e.endAngle));
      break;
    case EntityType::AttributeDef:
      text(e, true);
      break;
    case EntityType::Attribute:
      text(e, false);
      break;
    case EntityType::AlignedDim: {
      double dx = e.p2.x - e.p1.x, dy = e.p2.y - e.p1.y, len2 = dx * dx + dy * dy;
      double off = len2 > 0 ? ((e.p3.x - e.p1.x) * -dy + (e.p3.y - e.p1.y) * dx) / len2 : 0;
      code(100, "AcDbDimension");
      code(2, escapeText(dimBlocks_[e.handle]));
      point(10, {e.p2.x - dy * off, e.p2.y + dx * off, 0});
      point(11, e.p3);
      code(70, 1 | 32 | 128);
      code(3, "Standard");
      code(100, "AcDbAlignedDimension");
      point(13, e.p1);
      point(14, e.p2);
      break;
    }
    case EntityType::Opaque:
      break;
    case EntityType::BlockRef:
      code(100, "AcDbBlockReference");
      if (!e.attributes.empty()) code(66, 1);
      code(2, escapeText(e.blockName));
      point(10, e.p1);
      if (e.xScale != 1) num(41, e.xScale);
      if (e.yScale != 1) num(42, e.yScale);
      if (e.zScale != 1) num(43, e.zScale);
      if (e.rotation != 0) num(50, degrees(e.rotation));
      if (!e.attributes.empty()) {
        for (const auto& h : e.attributes)
          if (const Entity* a = d_.findEntity(h)) entity(*a, e.handle);
        code(0, "SEQEND");
        code(5, handle());
        code(330, e.handle);
        code(100, "AcDbEntity");
        code(8, escapeText(e.layer));
      }
      break;
  }
}

// The picture a dimension shows: extension lines, the dimension line and its measurement.
void Writer::dimensionBlock(const Entity& e, const std::string& name, const std::string& record) {
  code(0, "BLOCK");
  code(5, handle());
  code(330, record);
  code(100, "AcDbEntity");
  code(8, "0");
  code(100, "AcDbBlockBegin");
  code(2, name);
  code(70, 1);
  point(10, {});
  code(3, name);
  code(1, "");
  DimensionPicture pic = dimensionPicture(d_, e);
  auto head = [&](const char* kind, const char* subclass) {
    code(0, kind);
    code(5, handle());
    code(330, record);
    code(100, "AcDbEntity");
    code(8, "0");
    code(62, 0);
    code(100, subclass);
  };
  for (const auto& l : pic.lines) {
    head("LINE", "AcDbLine");
    point(10, l[0]);
    point(11, l[1]);
  }
  for (const auto& t : pic.arrowheads) {
    head("SOLID", "AcDbTrace");
    point(10, t[0]);
    point(11, t[1]);
    point(12, t[2]);
    point(13, t[2]);
  }
  head("TEXT", "AcDbText");
  point(10, pic.textAt);
  num(40, pic.textHeight);
  code(1, escapeText(pic.text));
  num(50, degrees(pic.textRotation));
  code(72, 1);
  point(11, pic.textAt);
  code(100, "AcDbText");
  code(73, 2);
  code(0, "ENDBLK");
  code(5, handle());
  code(330, record);
  code(100, "AcDbEntity");
  code(8, "0");
  code(100, "AcDbBlockEnd");
}

void Writer::blocks() {
  code(0, "SECTION");
  code(2, "BLOCKS");
  for (const Block& b : d_.blocks) {
    code(0, "BLOCK");
    code(5, handle());
    code(330, b.handle);
    code(100, "AcDbEntity");
    code(8, "0");
    code(100, "AcDbBlockBegin");
    code(2, escapeText(b.name));
    code(70, !b.isLayout && !b.name.empty() && b.name[0] == '*' ? 1 : 0);  // anonymous
    point(10, b.origin);
    code(3, escapeText(b.name));
    code(1, "");
    // Model space and the active paper space are in ENTITIES.
    if (&b != &d_.blocks[0] && &b != &d_.blocks[1])
      for (const auto& h : b.entities)
        if (const Entity* e = d_.findEntity(h)) entity(*e, b.handle);
    code(0, "ENDBLK");
    code(5, handle());
    code(330, b.handle);
    code(100, "AcDbEntity");
    code(8, "0");
    code(100, "AcDbBlockEnd");
  }
  for (const auto& [dim, name] : dimBlocks_)
    if (const Entity* e = d_.findEntity(dim)) dimensionBlock(*e, name, dimRecords_[dim]);
  code(0, "ENDSEC");
}

void Writer::entities() {
  code(0, "SECTION");
  code(2, "ENTITIES");
  for (const auto& h : d_.blocks[0].entities)
    if (const Entity* e = d_.findEntity(h)) entity(*e, d_.blocks[0].handle);
  paper_ = true;
  for (const auto& h : d_.blocks[1].entities)
    if (const Entity* e = d_.findEntity(h)) entity(*e, d_.blocks[1].handle);
  paper_ = false;
  code(0, "ENDSEC");
}

void Writer::objects() {
  code(0, "SECTION");
  code(2, "OBJECTS");
  code(0, "DICTIONARY");
  code(5, rootDict_);
  code(330, "0");
  code(100, "AcDbDictionary");
  code(281, 1);
  code(3, "ACAD_GROUP");
  code(350, groupDict_);
  code(0, "DICTIONARY");
  code(5, groupDict_);
  code(330, rootDict_);
  code(100, "AcDbDictionary");
  code(281, 1);
  for (const Group& g : d_.groups) {
    code(3, escapeText(g.name));
    code(350, g.handle);
  }
  for (const Group& g : d_.groups) {
    code(0, "GROUP");
    code(5, g.handle);
    code(330, groupDict_);
    code(100, "AcDbGroup");
    code(300, "");
    code(70, g.anonymous ? 1 : 0);
    code(71, 1);
    for (const auto& m : g.members)
      if (d_.findEntity(m)) code(340, m);
  }
  code(0, "ENDSEC");
}

std::string Writer::run() {
  // Every dimension shows a picture block of its own, as the CAD makes them.
  // Their names are free ones: pictures of dimensions kept as read keep theirs.
  int n = 0;
  for (const Block& b : d_.blocks)
    for (const auto& h : b.entities)
      if (const Entity* e = d_.findEntity(h); e && e->type == EntityType::AlignedDim) {
        std::string name;
        do
          name = "*D" + std::to_string(++n);
        while (d_.findBlock(name));
        dimBlocks_[h] = name;
        dimRecords_[h] = handle();
      }
  appIds_.insert("ACAD");
  for (const auto& [h, e] : d_.entities) {
    written_.insert(h);
    auto apps = [&](const std::vector<DxfField>& fields) {
      for (const DxfField& f : fields)
        if (f.code == 1001) appIds_.insert(f.value);
    };
    apps(e.fields);
    for (const DxfRecord& r : e.parts)
      apps(r.fields);
  }
  for (const Block& b : d_.blocks)
    written_.insert(b.handle);
  for (const Layer& l : d_.layers)
    written_.insert(l.handle);
  for (const Linetype& l : d_.linetypes)
    written_.insert(l.handle);
  for (const DxfRecord& r : d_.styles)
    written_.insert(styleHandles_[&r] = r.handle.empty() ? handle() : r.handle);
  rootDict_ = handle();
  groupDict_ = handle();
  header();
  classes();
  tables();
  blocks();
  entities();
  objects();
  code(0, "EOF");
  std::string seed = handle();
  std::size_t at = out_.find("$HANDSEED\n5\nFFFFF\n");
  if (at != std::string::npos) out_.replace(at + 12, 5, seed);
  return out_;
}

}  // namespace

std::string writeDxf(const Drawing& drawing, unsigned long firstFreeHandle) {
  return Writer(drawing, firstFreeHandle).run();
}

}  // namespace qarn::cad::sim
