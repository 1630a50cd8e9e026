#include "cad/sim/dxf_reader.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <numbers>
#include <optional>
#include <set>
#include <sstream>

#include "cad/sim/dxf_reader_impl.h"
#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::cad::sim {

namespace dxf {

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
  if (s.find_first_of("\\^") == std::string::npos) return s;
  // \U+XXXX is a Unicode character (surrogate pairs joined); \M+1XXXX a Shift-JIS one; ^J a
  // control character in caret form, "^ " a caret.
  std::string out;
  for (std::size_t k = 0; k < s.size();) {
    unsigned v = 0;
    if (s[k] == '^' && k + 1 < s.size() &&
        (s[k + 1] == ' ' || (s[k + 1] >= '@' && s[k + 1] <= '_'))) {
      out += s[k + 1] == ' ' ? '^' : static_cast<char>(s[k + 1] - 0x40);
      k += 2;
      continue;
    }
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
    ++headerVariables_;
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

void Reader::classes(std::size_t& i) {
  // Kept as read: they name the classes of kept entities (WIPEOUT, ACAD_TABLE, ...).
  while (i < p_.size() && !is(i, 0, "ENDSEC")) {
    std::size_t end = recordEnd(i);
    if (p_[i].code == 0) d_.classes.push_back({std::string(p_[i].value), rawFields(i, end), {}});
    i = end;
  }
}

// The pictures of dimensions the writer draws again, and those no entity shows, are left out.
void Reader::dropUnshownDimensionBlocks() {
  for (bool dropped = !dimensionBlocks_.empty(); dropped;) {
    dropped = false;
    std::set<std::string> shown;
    for (const auto& [h, e] : d_.entities)
      if (!e.blockName.empty()) shown.insert(asciiUpper(e.blockName));
    for (std::size_t k = 2; k < d_.blocks.size(); ++k) {
      std::string upper = asciiUpper(d_.blocks[k].name);
      if (!dimensionBlocks_.count(upper) || shown.count(upper)) continue;
      for (const auto& h : d_.blocks[k].entities) {
        if (const Entity* e = d_.findEntity(h))
          for (const auto& a : e->attributes)
            d_.entities.erase(a);
        d_.entities.erase(h);
        used_.erase(h);
      }
      d_.blocks.erase(d_.blocks.begin() + static_cast<std::ptrdiff_t>(k));
      dimensionBlocks_.erase(upper);
      dropped = true;
      break;
    }
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
    eachField(i, end, [&](const Pair& q) { f[q.code].push_back(&q); });
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
    } else if (kind == "STYLE" || kind == "DIMSTYLE") {
      // Texts and dimensions name them: kept as read, with the handles they point at each other by.
      DxfRecord r{std::string(kind), rawFields(i, end), ""};
      std::erase_if(r.fields, [](const DxfField& x) { return x.code == 105; });
      if (const Pair* h = first(kind == "STYLE" ? 5 : 105))
        r.handle = asciiUpper(trimBlanks(h->value));
      d_.styles.push_back(std::move(r));
    } else if (kind != "TABLE" && kind != "ENDTAB" && kind != "VPORT" && kind != "APPID") {
      // Views and coordinate systems: the saved file has none.
      const Pair* name = first(2);
      if (!name || asciiUpper(text(*name)) != "STANDARD")
        ++droppedRecords_["TABLES: " + std::string(kind)];
    }
    i = end;
  }
}

Block& Reader::spaceBlock(bool paper) {
  return d_.blocks[paper ? 1 : 0];
}

void Reader::blocksSection(std::size_t& i) {
  while (i < p_.size() && !is(i, 0, "ENDSEC")) {
    if (!is(i, 0, "BLOCK")) fault(i, "BLOCK expected in the BLOCKS section");
    std::size_t end = recordEnd(i);
    std::string name, record;
    Point3 origin;
    eachField(i, end, [&](const Pair& q) {
      if (q.code == 2) name = text(q);
      if (q.code == 330) record = asciiUpper(trimBlanks(q.value));
      if (q.code == 10) origin.x = real(q);
      if (q.code == 20) origin.y = real(q);
      if (q.code == 30) origin.z = real(q);
    });
    if (name.empty()) fault(i, "a block without a name");
    std::size_t blockAt = i;
    i = end;
    std::string upper = asciiUpper(name);
    Block* into = nullptr;
    auto rec = recordHandles_.find(upper);
    std::string recordHandle =
        rec != recordHandles_.end() && !rec->second.empty() ? rec->second : record;
    if (upper == "*MODEL_SPACE" || upper == "$MODEL_SPACE") {
      into = &d_.blocks[0];
      into->handle = recordHandle;
    } else if (upper == "*PAPER_SPACE" || upper == "$PAPER_SPACE") {
      into = &d_.blocks[1];
      into->handle = recordHandle;
    } else {
      if (d_.findBlock(name)) fault(blockAt, "block " + name + " is defined twice");
      Block b;
      b.name = name;
      b.origin = origin;
      b.isLayout = upper.rfind("*PAPER_SPACE", 0) == 0;
      b.handle = recordHandle;
      // A dimension's picture: kept while a dimension kept as read shows it; the writer draws
      // those of the dimensions it knows again.
      if (upper.rfind("*D", 0) == 0) dimensionBlocks_.insert(upper);
      d_.blocks.push_back(b);
      into = &d_.blocks.back();
    }
    entityList(i, "ENDBLK", into, false);
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
    eachField(i, end, [&](const Pair& q) {
      std::string v = asciiUpper(trimBlanks(q.value));
      if (q.code == 5) handle = v;
      if (q.code == 330) owner = v;
      if (kind == "DICTIONARY" && q.code == 3) entryName = text(q);
      if (kind == "DICTIONARY" && (q.code == 350 || q.code == 360)) entries[entryName] = v;
      if (kind == "GROUP" && q.code == 70) g.anonymous = integer(q) != 0;
      if (kind == "GROUP" && q.code == 340) g.members.push_back(v);
    });
    if (kind == "DICTIONARY") {
      dictionaries[handle] = entries;
      if (owner == "0" && root.empty()) root = handle;
    }
    if (kind == "GROUP") {
      g.handle = handle;
      groups_.push_back(g);
    }
    if (kind != "DICTIONARY" && kind != "GROUP") ++droppedRecords_["OBJECTS: " + kind];
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

  // A record takes a dozen pairs or more: room for every handle at once, not grown by rehashing.
  used_.reserve(p_.size() / 12);
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
    } else if (name == "CLASSES") {
      classes(i);
    } else {
      if (!is(i, 0, "ENDSEC")) ++droppedRecords_["section " + name];
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
  // Entities come in runs on one layer: each name is looked up once a run.
  const std::string* lastLayer = nullptr;
  for (const auto& [h, e] : d_.entities) {
    if (lastLayer && *lastLayer == e.layer) continue;
    if (!d_.findLayer(e.layer)) d_.layers.push_back(Layer{e.layer, ""});
    lastLayer = &e.layer;
  }
  dropUnshownDimensionBlocks();
  for (const auto& [h, at] : inserts_) {
    auto ref = d_.entities.find(h);
    if (ref == d_.entities.end()) continue;  // inside a dimension picture drawn again
    const Block* b = d_.findBlock(ref->second.blockName);
    if (!b || b->isLayout)
      fault(at, "INSERT of block " + ref->second.blockName + ", which the drawing does not define");
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
  for (const DxfRecord& s : d_.styles)
    consider(s.handle);
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
  for (DxfRecord& s : d_.styles)
    if (!s.handle.empty()) ensure(s.handle);
  std::map<std::string, std::string> renamed;
  for (const auto& tmp : unhandled_)
    renamed[tmp] = fresh();
  if (!renamed.empty()) {
    std::map<std::string, Entity> entities;
    for (auto& [h, e] : d_.entities) {
      Entity moved = std::move(e);
      if (auto it = renamed.find(moved.handle); it != renamed.end()) moved.handle = it->second;
      if (auto it = renamed.find(moved.owner); it != renamed.end()) moved.owner = it->second;
      for (auto& a : moved.attributes)
        if (auto it = renamed.find(a); it != renamed.end()) a = it->second;
      entities[moved.handle] = std::move(moved);
    }
    d_.entities = std::move(entities);
    for (Block& b : d_.blocks)
      for (auto& h : b.entities)
        if (auto it = renamed.find(h); it != renamed.end()) h = it->second;
  }
  for (Group& g : groups_) {
    auto n = groupNames_.find(g.handle);
    if (n == groupNames_.end()) continue;  // a group outside the group dictionary
    g.name = n->second;
    std::erase_if(g.members, [&](const std::string& m) { return !d_.findEntity(m); });
    ensure(g.handle);
    d_.groups.push_back(g);
  }
  out_.nextHandle = next;
  // What the saved file will not hold, for the question before it replaces this one.
  if (headerVariables_ > 0)
    d_.notKept.push_back("HEADER: " + std::to_string(headerVariables_) + " drawing settings");
  for (const auto& [what, n] : droppedRecords_)
    d_.notKept.push_back(what + " " + std::to_string(n));
  if (droppedLinks_ > 0)
    d_.notKept.push_back("links to objects (reactors, extension dictionaries) of " +
                         std::to_string(droppedLinks_) + " entities");
  if (droppedData_ > 0)
    d_.notKept.push_back("application data of " + std::to_string(droppedData_) + " entities");
  return std::move(out_);
}

}  // namespace dxf

DxfDrawing readDxf(std::string_view bytes) {
  // The reader's own reasons reach the user; a fault of a library never does.
  try {
    return dxf::Reader(dxf::tokenize(bytes)).run();
  } catch (const DxfError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw std::runtime_error("the drawing is too large to read in the memory available");
  } catch (const std::exception&) {
    throw std::runtime_error("the drawing could not be read: its contents do not fit together");
  }
}

DxfDrawing readDxfFile(const std::string& path) {
  std::ifstream f(filePath(path), std::ios::binary);
  if (!f) throw std::runtime_error("cannot open " + path);
  // Read whole into a string of the file's size, rather than grown and copied through a stream.
  std::string bytes;
  f.seekg(0, std::ios::end);
  std::streamoff size = f.tellg();
  f.seekg(0, std::ios::beg);
  if (size > 0) {
    bytes.resize(static_cast<std::size_t>(size));
    f.read(bytes.data(), size);
    bytes.resize(static_cast<std::size_t>(f.gcount()));
  }
  if (f.bad()) throw std::runtime_error("cannot read " + path);
  if (size < 0) {  // a file that cannot tell its size: read as a stream
    f.clear();
    f.seekg(0, std::ios::beg);
    std::ostringstream s;
    s << f.rdbuf();
    bytes = s.str();
  }
  return readDxf(bytes);
}

}  // namespace qarn::cad::sim
