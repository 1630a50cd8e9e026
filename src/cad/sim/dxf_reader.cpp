#include "cad/sim/dxf_reader.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <numbers>
#include <optional>
#include <set>
#include <sstream>

#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::cad::sim {

namespace {

struct Pair {
  int code;
  std::string_view value;  // trimmed of the line end; numbers also of blanks
  int line;                // of the value
};

enum class ValueKind { Text, Real, Integer };

ValueKind kindOf(int c) {
  if ((c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) ||
      (c >= 460 && c <= 469) || (c >= 1010 && c <= 1059))
    return ValueKind::Real;
  if ((c >= 60 && c <= 99) || (c >= 160 && c <= 179) || (c >= 270 && c <= 299) ||
      (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || (c >= 420 && c <= 429) ||
      (c >= 440 && c <= 459) || (c >= 1060 && c <= 1071))
    return ValueKind::Integer;
  return ValueKind::Text;
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

bool isInteger(std::string_view s) {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool isReal(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// The versions read: R12 (AC1009) to 2018 (AC1032).
std::optional<int> versionNumber(std::string_view v) {
  static const std::map<std::string, int, std::less<>> known = {
      {"AC1009", 1009}, {"AC1012", 1012}, {"AC1014", 1014}, {"AC1015", 1015}, {"AC1018", 1018},
      {"AC1021", 1021}, {"AC1024", 1024}, {"AC1027", 1027}, {"AC1032", 1032}};
  auto it = known.find(trimBlanks(v));
  if (it == known.end()) return std::nullopt;
  return it->second;
}

[[noreturn]] void unknownVersion(int line, std::string_view v) {
  throw DxfError(line, "drawing version " + std::string(trimBlanks(v)) +
                           " is not read; drawings from R12 (AC1009) to 2018 (AC1032) are");
}

// The file as group-code pairs; every code an integer, every number a number.
std::vector<Pair> tokenize(std::string_view bytes) {
  if (bytes.substr(0, 18) == "AutoCAD Binary DXF")
    throw DxfError(1, "a binary DXF file; only ASCII DXF is read");
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    std::size_t stop = end == std::string_view::npos ? bytes.size() : end;
    std::string_view line = bytes.substr(start, stop - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end == std::string_view::npos ? bytes.size() : end + 1;
  }
  if (lines.empty()) throw DxfError(1, "the file is empty");
  std::vector<Pair> pairs;
  pairs.reserve(lines.size() / 2);
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    int codeLine = static_cast<int>(i) + 1;
    std::string_view c = trimBlanks(lines[i]);
    if (c.empty() && i + 1 == lines.size()) break;  // a blank last line
    if (!isInteger(c)) throw DxfError(codeLine, "a group code must be a whole number");
    int code = 0;
    std::from_chars(c.data() + (c.front() == '+'), c.data() + c.size(), code);
    if (i + 1 >= lines.size()) throw DxfError(codeLine + 1, "the file ends after a group code");
    std::string_view v = lines[i + 1];
    if (code == 0) v = trimBlanks(v);
    ValueKind k = kindOf(code);
    if (k != ValueKind::Text) {
      v = trimBlanks(v);
      if (k == ValueKind::Integer ? !isInteger(v) : !isReal(v))
        throw DxfError(codeLine + 1, "group code " + std::to_string(code) + " needs a number");
    }
    if (code == 999) continue;  // a comment
    pairs.push_back({code, v, codeLine + 1});
    // A drawing of a version not read is refused as such, not for what follows in it.
    if (code == 1 && pairs.size() >= 2 && pairs[pairs.size() - 2].code == 9 &&
        pairs[pairs.size() - 2].value == "$ACADVER" && !versionNumber(v))
      unknownVersion(codeLine + 1, v);
  }
  return pairs;
}

double real(const Pair& p) {
  std::string_view s = p.value;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

long integer(const Pair& p) {
  std::string_view s = p.value;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  long long v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc()) throw DxfError(p.line, "a number out of range");
  return static_cast<long>(v);
}

double radians(double degrees) {
  return degrees * std::numbers::pi / 180.0;
}

void appendUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Windows-1252 bytes 0x80 to 0x9F; the others are Latin-1.
const unsigned kCp1252[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                              0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

bool hexDigits(std::string_view s, std::size_t at, std::size_t n, unsigned& v) {
  if (at + n > s.size()) return false;
  v = 0;
  for (std::size_t k = 0; k < n; ++k) {
    char c = s[at + k];
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                   : -1;
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  return true;
}

class Reader {
 public:
  explicit Reader(std::vector<Pair> pairs) : p_(std::move(pairs)) {}
  DxfDrawing run();

 private:
  // Records: a code-0 pair and the pairs after it up to the next code 0.
  std::size_t recordEnd(std::size_t i) const {
    std::size_t j = i + 1;
    while (j < p_.size() && p_[j].code != 0)
      ++j;
    return j;
  }
  [[noreturn]] void fault(std::size_t i, const std::string& reason) const {
    throw DxfError(i < p_.size() ? p_[i].line : (p_.empty() ? 1 : p_.back().line + 1), reason);
  }
  bool is(std::size_t i, int code, std::string_view v) const {
    return i < p_.size() && p_[i].code == code && p_[i].value == v;
  }

  std::string text(const Pair& p) const;
  void header(std::size_t& i);
  void tables(std::size_t& i);
  void blocksSection(std::size_t& i);
  void entitiesSection(std::size_t& i);
  void objects(std::size_t& i);
  void skipSection(std::size_t& i);
  // Entities from i up to a record named `stop` (ENDBLK, ENDSEC), into `owner`.
  void entityList(std::size_t& i, const std::string& stop, Block* owner, bool modelSection);
  Entity entityRecord(std::size_t begin, std::size_t end, bool& paper);
  void keepHandle(Entity& e, std::size_t at);
  Block& spaceBlock(bool paper);

  std::vector<Pair> p_;
  DxfDrawing out_;
  Drawing& d_ = out_.drawing;
  int version_ = 1009;  // AC1009
  enum class Codepage { Utf8, Cp1252, Cp932, Other } codepage_ = Codepage::Cp1252;
  std::string codepageName_ = "ANSI_1252";
  unsigned long handseed_ = 0;
  std::map<std::string, std::string> recordHandles_;          // block name (upper case) -> record
  std::set<std::string> used_;                                // handles taken, upper case
  std::vector<std::string> unhandled_;                        // entities still to be given a handle
  std::vector<std::pair<std::string, std::size_t>> inserts_;  // reference, its pair index
  std::map<std::string, std::string> groupNames_;             // group handle -> name
  std::vector<Group> groups_;
};

std::string Reader::text(const Pair& p) const {
  std::string_view raw = p.value;
  std::string s;
  bool high = false;
  for (char c : raw)
    if (static_cast<unsigned char>(c) >= 0x80) high = true;
  if (!high || codepage_ == Codepage::Utf8) {
    s = std::string(raw);
  } else if (codepage_ == Codepage::Cp932) {
    s = decodeText(std::string(raw), TextEncoding::ShiftJis);
  } else if (codepage_ == Codepage::Cp1252) {
    for (char c : raw) {
      auto b = static_cast<unsigned char>(c);
      appendUtf8(s, b < 0x80 ? b : b < 0xA0 ? kCp1252[b - 0x80] : b);
    }
  } else {
    throw DxfError(p.line, "text in code page " + codepageName_ +
                               " is not read (only ANSI_1252, ANSI_932 and UTF-8 drawings)");
  }
  if (s.find('\\') == std::string::npos) return s;
  // \U+XXXX is a Unicode character (surrogate pairs joined); \M+1XXXX a Shift-JIS one.
  std::string out;
  for (std::size_t k = 0; k < s.size();) {
    unsigned v = 0;
    if (s.compare(k, 3, "\\U+") == 0 && hexDigits(s, k + 3, 4, v)) {
      k += 7;
      unsigned lo = 0;
      if (v >= 0xD800 && v < 0xDC00 && s.compare(k, 3, "\\U+") == 0 && hexDigits(s, k + 3, 4, lo) &&
          lo >= 0xDC00 && lo < 0xE000) {
        v = 0x10000 + ((v - 0xD800) << 10) + (lo - 0xDC00);
        k += 7;
      }
      appendUtf8(out, v);
      continue;
    }
    if (s.compare(k, 4, "\\M+1") == 0 && hexDigits(s, k + 4, 4, v)) {
      std::string sjis{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
      out += decodeText(sjis, TextEncoding::ShiftJis);
      k += 8;
      continue;
    }
    out += s[k++];
  }
  return out;
}

void Reader::header(std::size_t& i) {
  auto setVar = [&](const char* name, const Pair& v) {
    auto it = d_.variables.find(name);
    if (it == d_.variables.end()) return;
    switch (it->second.kind()) {
      case Value::Kind::Int:
        if (kindOf(v.code) == ValueKind::Integer) it->second = Value(static_cast<int>(integer(v)));
        break;
      case Value::Kind::Int16:
        if (kindOf(v.code) == ValueKind::Integer && integer(v) >= INT16_MIN &&
            integer(v) <= INT16_MAX)
          it->second = Value::int16(static_cast<std::int16_t>(integer(v)));
        break;
      case Value::Kind::Double:
        if (kindOf(v.code) == ValueKind::Real) it->second = Value(real(v));
        break;
      case Value::Kind::Text:
        if (kindOf(v.code) == ValueKind::Text) it->second = Value(text(v));
        break;
      default:
        break;
    }
  };
  while (i < p_.size() && !is(i, 0, "ENDSEC")) {
    if (p_[i].code != 9) {
      ++i;
      continue;
    }
    std::string name(p_[i].value);
    ++i;
    if (i >= p_.size()) break;
    const Pair& v = p_[i];
    if (name == "$ACADVER") {
      out_.version = std::string(trimBlanks(v.value));
      auto known = versionNumber(out_.version);
      if (!known) unknownVersion(v.line, v.value);
      version_ = *known;
      if (version_ >= 1021) codepage_ = Codepage::Utf8;
    } else if (name == "$DWGCODEPAGE" && version_ < 1021) {
      codepageName_ = asciiUpper(trimBlanks(v.value));
      codepage_ = codepageName_ == "ANSI_1252"                               ? Codepage::Cp1252
                  : codepageName_ == "ANSI_932" || codepageName_ == "DOS932" ? Codepage::Cp932
                                                                             : Codepage::Other;
    } else if (name == "$HANDSEED") {
      unsigned long h = 0;
      std::string_view s = trimBlanks(v.value);
      auto r = std::from_chars(s.data(), s.data() + s.size(), h, 16);
      if (r.ec != std::errc() || r.ptr != s.data() + s.size())
        throw DxfError(v.line, "$HANDSEED is not a handle");
      handseed_ = h;
    } else if (name.size() > 1) {
      // Variables the simulated CAD keeps, when the file holds them in their own type.
      std::string var = name.substr(1);
      if (var != "VIEWSIZE" && var != "SCREENSIZE") setVar(var.c_str(), v);
    }
    ++i;
  }
}

void Reader::skipSection(std::size_t& i) {
  while (i < p_.size() && !is(i, 0, "ENDSEC"))
    ++i;
}

void Reader::tables(std::size_t& i) {
  while (i < p_.size() && !is(i, 0, "ENDSEC")) {
    if (p_[i].code != 0) {
      ++i;
      continue;
    }
    std::size_t end = recordEnd(i);
    std::string_view kind = p_[i].value;
    // Fields of the record, outside the {...} application groups.
    std::map<int, std::vector<const Pair*>> f;
    bool inGroup = false;
    for (std::size_t k = i + 1; k < end; ++k) {
      if (p_[k].code == 102) {
        inGroup = !p_[k].value.empty() && p_[k].value.front() == '{';
        continue;
      }
      if (!inGroup) f[p_[k].code].push_back(&p_[k]);
    }
    auto first = [&](int code) -> const Pair* { return f.count(code) ? f[code].front() : nullptr; };
    auto handleOf = [&]() -> std::string {
      const Pair* h = first(5);
      return h ? asciiUpper(trimBlanks(h->value)) : std::string();
    };
    if (kind == "LAYER") {
      const Pair* name = first(2);
      if (!name) fault(i, "a layer without a name");
      Layer l;
      l.name = text(*name);
      l.handle = handleOf();
      if (const Pair* fl = first(70)) {
        l.frozen = (integer(*fl) & 1) != 0;
        l.locked = (integer(*fl) & 4) != 0;
      }
      if (const Pair* c = first(62)) {
        long colour = integer(*c);
        l.on = colour >= 0;
        l.color = static_cast<int>(colour < 0 ? -colour : colour);
      }
      if (const Pair* lt = first(6)) l.linetype = text(*lt);
      if (const Pair* pl = first(290)) l.plottable = integer(*pl) != 0;
      if (d_.findLayer(l.name)) fault(i, "layer " + l.name + " is defined twice");
      d_.layers.push_back(l);
    } else if (kind == "LTYPE") {
      const Pair* name = first(2);
      if (!name) fault(i, "a linetype without a name");
      Linetype lt;
      lt.name = text(*name);
      lt.handle = handleOf();
      if (const Pair* ds = first(3)) lt.description = text(*ds);
      if (f.count(49)) {
        lt.pattern.push_back(first(40) ? real(*first(40)) : 0.0);
        for (const Pair* e : f[49])
          lt.pattern.push_back(real(*e));
      }
      if (!d_.findLinetype(lt.name)) d_.linetypes.push_back(lt);
    } else if (kind == "BLOCK_RECORD") {
      if (const Pair* name = first(2)) recordHandles_[asciiUpper(text(*name))] = handleOf();
    }
    i = end;
  }
}

Block& Reader::spaceBlock(bool paper) {
  return d_.blocks[paper ? 1 : 0];
}

void Reader::keepHandle(Entity& e, std::size_t at) {
  if (e.handle.empty()) return;
  if (!used_.insert(e.handle).second) fault(at, "handle " + e.handle + " is used twice");
}

Entity Reader::entityRecord(std::size_t begin, std::size_t end, bool& paper) {
  static const int kH[15] = {0, 1, 2, 3, 4, 5, 0, 1, 2, 0, 1, 2, 0, 1, 2};
  static const int kV[15] = {0, 0, 0, 0, 0, 0, 3, 3, 3, 2, 2, 2, 1, 1, 1};
  Entity e;
  std::string kind(p_[begin].value);
  e.dxfType = kind;
  int h = 0, v = 0;
  long dimType = -1, columns = 1, rows = 1;
  bool inGroup = false;
  Vertex* vertex = nullptr;
  for (std::size_t k = begin + 1; k < end; ++k) {
    const Pair& q = p_[k];
    if (q.code == 102) {
      inGroup = !q.value.empty() && q.value.front() == '{';
      continue;
    }
    if (inGroup || q.code >= 1000) continue;  // application data
    if (q.code == 101) break;                 // an embedded object: not this entity's fields
    switch (q.code) {
      case 5:
        e.handle = asciiUpper(trimBlanks(q.value));
        continue;
      case 8:
        e.layer = text(q);
        continue;
      case 6:
        e.linetype = text(q);
        continue;
      case 62:
        e.color = static_cast<int>(integer(q));
        continue;
      case 67:
        paper = integer(q) != 0;
        continue;
      default:
        break;
    }
    if (kind == "LWPOLYLINE") {
      if (q.code == 10) {
        e.vertices.push_back({real(q), 0, 0});
        vertex = &e.vertices.back();
      } else if (q.code == 20 && vertex) {
        vertex->y = real(q);
      } else if (q.code == 42 && vertex) {
        vertex->bulge = real(q);
      } else if (q.code == 70) {
        e.closed = (integer(q) & 1) != 0;
      }
      continue;
    }
    switch (q.code) {
      case 10:
        e.p1.x = real(q);
        break;
      case 20:
        e.p1.y = real(q);
        break;
      case 30:
        e.p1.z = real(q);
        break;
      case 11:
        e.p2.x = real(q);
        break;
      case 21:
        e.p2.y = real(q);
        break;
      case 31:
        e.p2.z = real(q);
        break;
      case 13:
        e.p3.x = real(q);
        break;  // dimension: first measured point, kept in p3 for now
      case 23:
        e.p3.y = real(q);
        break;
      case 33:
        e.p3.z = real(q);
        break;
      case 14:
        e.vertices.resize(1), e.vertices[0].x = real(q);
        break;  // second measured point
      case 24:
        e.vertices.resize(1), e.vertices[0].y = real(q);
        break;
      case 40:
        (kind == "CIRCLE" || kind == "ARC" ? e.radius : e.height) = real(q);
        break;
      case 41:
        (kind == "INSERT" ? e.xScale : e.widthFactor) = real(q);
        break;
      case 42:
        e.yScale = real(q);
        break;
      case 43:
        e.zScale = real(q);
        break;
      case 50:
        (kind == "ARC" ? e.startAngle : e.rotation) = radians(real(q));
        break;
      case 51:
        e.endAngle = radians(real(q));
        break;
      case 1:
        e.text = text(q);
        break;
      case 2:
        (kind == "INSERT" || kind == "DIMENSION" ? e.blockName : e.tag) = text(q);
        break;
      case 3:
        if (kind == "ATTDEF") e.prompt = text(q);
        break;
      case 70:
        if (kind == "DIMENSION")
          dimType = integer(q);
        else if (kind == "INSERT")
          columns = integer(q);
        else if (kind == "ATTDEF" || kind == "ATTRIB") {
          e.invisible = (integer(q) & 1) != 0;
          e.constant = (integer(q) & 2) != 0;
        }
        break;
      case 71:
        if (kind == "INSERT") rows = integer(q);
        break;
      case 72:
        h = static_cast<int>(integer(q));
        break;
      case 74:
        v = static_cast<int>(integer(q));
        break;
      default:
        break;
    }
  }
  auto opaque = [&] {
    Entity o;
    o.type = EntityType::Opaque;
    o.dxfType = kind;
    o.handle = e.handle;
    o.layer = e.layer;
    o.linetype = e.linetype;
    o.color = e.color;
    o.p1 = e.p1;
    return o;
  };
  if (kind == "LINE") {
    e.type = EntityType::Line;
  } else if (kind == "CIRCLE") {
    e.type = EntityType::Circle;
  } else if (kind == "ARC") {
    e.type = EntityType::Arc;
  } else if (kind == "LWPOLYLINE") {
    e.type = EntityType::Polyline;
  } else if (kind == "ATTDEF" || kind == "ATTRIB") {
    e.type = kind == "ATTDEF" ? EntityType::AttributeDef : EntityType::Attribute;
    e.alignment = -1;
    for (int al = 0; al < 15; ++al)
      if (kH[al] == h && kV[al] == v) e.alignment = al;
    if (e.alignment < 0) e.alignment = 0;
    if (e.alignment == 0) e.p2 = e.p1;
  } else if (kind == "DIMENSION" && (dimType & 7) == 1 && e.vertices.size() == 1) {
    // An aligned dimension: the two measured points and the text point; its picture block is
    // made again whenever the drawing is written.
    Entity dim = opaque();
    dim.type = EntityType::AlignedDim;
    dim.dxfType.clear();
    dim.p1 = e.p3;
    dim.p2 = {e.vertices[0].x, e.vertices[0].y, 0};
    dim.p3 = e.p2;
    return dim;
  } else if (kind == "INSERT" && columns <= 1 && rows <= 1) {
    e.type = EntityType::BlockRef;
  } else {
    return opaque();
  }
  e.dxfType.clear();
  if (e.type != EntityType::BlockRef) e.blockName.clear();
  return e;
}

void Reader::entityList(std::size_t& i, const std::string& stop, Block* owner, bool modelSection) {
  while (i < p_.size()) {
    if (p_[i].code != 0) fault(i, "group code 0 expected here");
    std::string kind(p_[i].value);
    if (kind == stop) return;
    if (kind == "EOF" || kind == "SECTION" || kind == "ENDSEC" || kind == "ENDBLK" ||
        kind == "BLOCK")
      fault(i, kind + " inside a list of entities");
    if (kind == "SEQEND" || kind == "ATTRIB" || kind == "VERTEX")
      fault(i, kind + " without the INSERT or POLYLINE it belongs to");
    std::size_t begin = i, end = recordEnd(i);
    bool paper = false;
    Entity e = entityRecord(begin, end, paper);
    i = end;
    keepHandle(e, begin);
    // The entities that belong to this one: attributes of a reference, vertices of a polyline.
    std::vector<Entity> owned;
    if (kind == "INSERT" || kind == "POLYLINE") {
      std::string part = kind == "INSERT" ? "ATTRIB" : "VERTEX";
      while (i < p_.size() && p_[i].code == 0 && p_[i].value == part) {
        std::size_t b = i, en = recordEnd(i);
        bool ignored = false;
        Entity a = entityRecord(b, en, ignored);
        if (kind == "INSERT") {
          keepHandle(a, b);
          owned.push_back(std::move(a));
        }
        i = en;
      }
      if (is(i, 0, "SEQEND")) {
        i = recordEnd(i);
      } else if (!owned.empty() || kind == "POLYLINE") {
        fault(i, "SEQEND expected after the " + part + " entities of " + kind);
      }
    }
    Block& into = modelSection ? spaceBlock(paper) : *owner;
    e.owner = into.name;
    if (e.type == EntityType::BlockRef) inserts_.emplace_back(e.handle, begin);
    for (Entity& a : owned) {
      if (e.type != EntityType::BlockRef) break;  // a MINSERT's attributes go with it, opaque
      a.owner = "";                               // set once the reference has its handle
      if (a.handle.empty()) {
        a.handle = "?" + std::to_string(unhandled_.size());
        unhandled_.push_back(a.handle);
      }
      e.attributes.push_back(a.handle);
      d_.entities[a.handle] = std::move(a);
    }
    if (e.handle.empty()) {
      e.handle = "?" + std::to_string(unhandled_.size());
      unhandled_.push_back(e.handle);
    }
    if (e.type == EntityType::BlockRef) inserts_.back().first = e.handle;
    into.entities.push_back(e.handle);
    d_.entities[e.handle] = std::move(e);
  }
  fault(i, "the file ends inside a list of entities");
}

void Reader::blocksSection(std::size_t& i) {
  while (i < p_.size() && !is(i, 0, "ENDSEC")) {
    if (!is(i, 0, "BLOCK")) fault(i, "BLOCK expected in the BLOCKS section");
    std::size_t end = recordEnd(i);
    std::string name, record;
    Point3 origin;
    bool inGroup = false;
    for (std::size_t k = i + 1; k < end; ++k) {
      const Pair& q = p_[k];
      if (q.code == 102) {
        inGroup = !q.value.empty() && q.value.front() == '{';
        continue;
      }
      if (inGroup) continue;
      if (q.code == 2) name = text(q);
      if (q.code == 330) record = asciiUpper(trimBlanks(q.value));
      if (q.code == 10) origin.x = real(q);
      if (q.code == 20) origin.y = real(q);
      if (q.code == 30) origin.z = real(q);
    }
    if (name.empty()) fault(i, "a block without a name");
    std::size_t blockAt = i;
    i = end;
    std::string upper = asciiUpper(name);
    Block* into = nullptr;
    Block scratch;
    auto rec = recordHandles_.find(upper);
    std::string recordHandle =
        rec != recordHandles_.end() && !rec->second.empty() ? rec->second : record;
    if (upper == "*MODEL_SPACE" || upper == "$MODEL_SPACE") {
      into = &d_.blocks[0];
      into->handle = recordHandle;
    } else if (upper == "*PAPER_SPACE" || upper == "$PAPER_SPACE") {
      into = &d_.blocks[1];
      into->handle = recordHandle;
    } else if (upper.rfind("*D", 0) == 0) {
      // A dimension's picture: made again from the dimension whenever the drawing is written.
      into = &scratch;
    } else {
      if (d_.findBlock(name)) fault(blockAt, "block " + name + " is defined twice");
      Block b;
      b.name = name;
      b.origin = origin;
      b.isLayout = upper.rfind("*PAPER_SPACE", 0) == 0;
      b.handle = recordHandle;
      d_.blocks.push_back(b);
      into = &d_.blocks.back();
    }
    std::size_t intoIndex =
        into == &scratch ? std::size_t(-1) : static_cast<std::size_t>(into - d_.blocks.data());
    // Entities may grow the block list only through this block: keep an index, not a pointer.
    Block& target = intoIndex == std::size_t(-1) ? scratch : d_.blocks[intoIndex];
    entityList(i, "ENDBLK", &target, false);
    if (intoIndex == std::size_t(-1)) {
      for (const auto& h : scratch.entities) {
        const Entity* e = d_.findEntity(h);
        if (e)
          for (const auto& a : e->attributes)
            d_.entities.erase(a);
        d_.entities.erase(h);
        used_.erase(h);
      }
    }
    i = recordEnd(i);  // ENDBLK
  }
}

void Reader::entitiesSection(std::size_t& i) {
  entityList(i, "ENDSEC", nullptr, true);
}

void Reader::objects(std::size_t& i) {
  // Only the groups: the named-object dictionary's ACAD_GROUP entry, its names, the GROUPs.
  std::map<std::string, std::map<std::string, std::string>> dictionaries;  // handle -> entries
  std::string root;
  while (i < p_.size() && !is(i, 0, "ENDSEC")) {
    if (p_[i].code != 0) {
      ++i;
      continue;
    }
    std::size_t end = recordEnd(i);
    std::string kind(p_[i].value), handle, owner;
    std::string entryName;
    std::map<std::string, std::string> entries;
    Group g;
    bool inGroup = false;
    for (std::size_t k = i + 1; k < end; ++k) {
      const Pair& q = p_[k];
      if (q.code == 102) {
        inGroup = !q.value.empty() && q.value.front() == '{';
        continue;
      }
      if (inGroup) continue;
      std::string v = asciiUpper(trimBlanks(q.value));
      if (q.code == 5) handle = v;
      if (q.code == 330) owner = v;
      if (kind == "DICTIONARY" && q.code == 3) entryName = text(q);
      if (kind == "DICTIONARY" && (q.code == 350 || q.code == 360)) entries[entryName] = v;
      if (kind == "GROUP" && q.code == 70) g.anonymous = integer(q) != 0;
      if (kind == "GROUP" && q.code == 340) g.members.push_back(v);
    }
    if (kind == "DICTIONARY") {
      dictionaries[handle] = entries;
      if (owner == "0" && root.empty()) root = handle;
    }
    if (kind == "GROUP") {
      g.handle = handle;
      groups_.push_back(g);
    }
    i = end;
  }
  auto rootIt = dictionaries.find(root);
  if (rootIt == dictionaries.end()) return;
  auto groupDict = rootIt->second.find("ACAD_GROUP");
  if (groupDict == rootIt->second.end()) return;
  for (const auto& [name, h] : dictionaries[groupDict->second])
    groupNames_[h] = name;
}

DxfDrawing Reader::run() {
  // The defaults a new drawing has, before the file's own tables and variables.
  unsigned long scratch = 1;
  Drawing defaults = newDrawing([&scratch] { return "?d" + std::to_string(scratch++); });
  d_.variables = defaults.variables;
  d_.blocks.push_back({"*Model_Space", "", {}, {}, true});
  d_.blocks.push_back({"*Paper_Space", "", {}, {}, true});

  std::size_t i = 0;
  bool sawEof = false;
  bool sawHeader = false;
  while (i < p_.size()) {
    if (is(i, 0, "EOF")) {
      sawEof = true;
      break;
    }
    if (!is(i, 0, "SECTION")) fault(i, "SECTION expected");
    ++i;
    if (i >= p_.size() || p_[i].code != 2) fault(i, "a SECTION without its name");
    std::string name(p_[i].value);
    ++i;
    if (name == "HEADER") {
      header(i);
      sawHeader = true;
    } else if (name == "TABLES") {
      tables(i);
    } else if (name == "BLOCKS") {
      blocksSection(i);
    } else if (name == "ENTITIES") {
      entitiesSection(i);
    } else if (name == "OBJECTS") {
      objects(i);
    } else {
      skipSection(i);
    }
    if (i >= p_.size()) fault(i, "the file ends inside the " + name + " section");
    ++i;  // ENDSEC
  }
  if (!sawEof) fault(i, "the file ends without EOF");
  if (!sawHeader) out_.version = "AC1009";

  // Every drawing has layer 0, the fixed linetypes and the layers its entities name.
  if (!d_.findLayer("0")) d_.layers.insert(d_.layers.begin(), Layer{"0", ""});
  for (const char* lt : {"ByBlock", "ByLayer", "Continuous"})
    if (!d_.findLinetype(lt)) d_.linetypes.push_back(*defaults.findLinetype(lt));
  for (Linetype& lt : d_.linetypes)
    if (lt.handle.rfind("?d", 0) == 0) lt.handle.clear();
  for (const auto& [h, e] : d_.entities)
    if (!d_.findLayer(e.layer)) d_.layers.push_back(Layer{e.layer, ""});
  for (const auto& [h, at] : inserts_) {
    const Entity& ref = d_.entities.at(h);
    if (!d_.findBlock(ref.blockName) || d_.findBlock(ref.blockName)->isLayout)
      fault(at, "INSERT of block " + ref.blockName + ", which the drawing does not define");
  }
  if (!d_.findLayer(d_.variables["CLAYER"].toText())) d_.variables["CLAYER"] = Value("0");

  // Handles: what the file gave is kept; the rest are numbered after the highest one in use.
  unsigned long next = handseed_;
  auto consider = [&next](const std::string& h) {
    unsigned long v = 0;
    auto r = std::from_chars(h.data(), h.data() + h.size(), v, 16);
    if (r.ec == std::errc() && r.ptr == h.data() + h.size() && v >= next) next = v + 1;
  };
  for (const auto& h : used_)
    consider(h);
  for (const Layer& l : d_.layers)
    consider(l.handle);
  for (const Linetype& l : d_.linetypes)
    consider(l.handle);
  for (const Block& b : d_.blocks)
    consider(b.handle);
  for (const Group& g : groups_)
    consider(g.handle);
  if (next < 0x20) next = 0x20;
  auto fresh = [&next] {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lX", next++);
    return std::string(buf);
  };
  std::set<std::string> symbolHandles;
  auto ensure = [&](std::string& h) {
    if (h.empty() || used_.count(h) || !symbolHandles.insert(h).second) h = fresh();
  };
  for (Block& b : d_.blocks)
    ensure(b.handle);
  for (Layer& l : d_.layers)
    ensure(l.handle);
  for (Linetype& l : d_.linetypes)
    ensure(l.handle);
  std::map<std::string, std::string> renamed;
  for (const auto& tmp : unhandled_)
    renamed[tmp] = fresh();
  if (!renamed.empty()) {
    std::map<std::string, Entity> entities;
    for (auto& [h, e] : d_.entities) {
      Entity moved = std::move(e);
      if (auto it = renamed.find(moved.handle); it != renamed.end()) moved.handle = it->second;
      for (auto& a : moved.attributes)
        if (auto it = renamed.find(a); it != renamed.end()) a = it->second;
      entities[moved.handle] = std::move(moved);
    }
    d_.entities = std::move(entities);
    for (Block& b : d_.blocks)
      for (auto& h : b.entities)
        if (auto it = renamed.find(h); it != renamed.end()) h = it->second;
  }
  // Attributes belong to their reference.
  for (auto& [h, e] : d_.entities)
    for (const auto& a : e.attributes)
      d_.entities[a].owner = h;
  for (Group& g : groups_) {
    auto n = groupNames_.find(g.handle);
    if (n == groupNames_.end()) continue;  // a group outside the group dictionary
    g.name = n->second;
    std::erase_if(g.members, [&](const std::string& m) { return !d_.findEntity(m); });
    ensure(g.handle);
    d_.groups.push_back(g);
  }
  out_.nextHandle = next;
  return std::move(out_);
}

}  // namespace

DxfDrawing readDxf(std::string_view bytes) {
  return Reader(tokenize(bytes)).run();
}

DxfDrawing readDxfFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw std::runtime_error("cannot open " + path);
  std::ostringstream s;
  s << f.rdbuf();
  if (f.bad()) throw std::runtime_error("cannot read " + path);
  return readDxf(s.str());
}

}  // namespace qarn::cad::sim
