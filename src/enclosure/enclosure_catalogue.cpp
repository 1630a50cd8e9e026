#include "enclosure/enclosure_catalogue.h"

#include <filesystem>

#include "cad/text.h"
#include "cad/text_file.h"

namespace qarn::enclosure {

const std::vector<std::string>& families() {
  static const std::vector<std::string> list{"RA", "S", "CH", "CL", "E", "OR", "ORM"};
  return list;
}

std::string headerText(const std::string& f) {
  if (f == "RA")
    return "No,型番,扉形式,ヨコ,タテ,フカサ,基板ヨコ,基板タテ,有効フカサ,重量kg,納期区分,価格";
  if (f == "S")
    return "No,型番,扉形式,ヨコ,タテ,フカサ,基板ヨコ,基板タテ,扉ヨコ,扉タテ,有効フカサ,重量kg,"
           "納期区分,価格";
  if (f == "E")
    return "No,型番,扉形式,ヨコ,タテ,フカサ,外形タテ,全タテ,基板ヨコ,基板タテ,有効フカサ,重量kg,"
           "納期区分,価格";
  if (f == "OR")
    return "No,型番,扉形式,ヨコ,タテ,フカサ,外形タテ,基板ヨコ,基板タテ,有効フカサ,重量kg,納期区分,"
           "価格";
  if (f == "ORM")
    return "No,型番,扉形式,ヨコ,タテ,フカサ,外形タテ,基板ヨコ,基板タテ,窓ヨコ,窓タテ,有効フカサ,"
           "重量kg,"
           "納期区分,価格";
  return "No,型番,ヨコ,タテ,フカサ,基板ヨコ,基板タテ,有効フカサ,重量kg,納期区分,価格";
}

bool hasDoorColumn(const std::string& f) {
  return f == "RA" || f == "S" || f == "E" || f == "ORM" || f == "OR";
}

std::string catalogueFileName(const std::string& family) {
  return "BOX_" + family + ".txt";
}

namespace {
bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}
const std::string& field(const std::vector<std::string>& f, std::size_t i) {
  static const std::string empty;
  return i < f.size() ? f[i] : empty;
}
}  // namespace

EnclosureList loadEnclosureList(const std::string& folder, const std::string& family,
                                const EnclosureFilters& filters) {
  EnclosureList list;
  if (family.empty()) return list;
  auto file = cad::readTextFile(cad::joinPath(folder, catalogueFileName(family)));
  if (!file) {
    list.status = EnclosureList::Status::NoFile;
    return list;
  }
  if (file->lines.empty()) {
    list.status = EnclosureList::Status::EmptyFile;
    return list;
  }
  list.status = EnclosureList::Status::Loaded;
  list.linesRead = file->lines.size();
  bool door = hasDoorColumn(family);
  std::size_t w = door ? 3 : 2, h = door ? 4 : 3, d = door ? 5 : 4;
  std::vector<std::string> f;
  for (std::size_t k = 0; k < file->lines.size(); ++k) {
    std::string line = cad::replaceAll(file->lines[k], ",", "");
    cad::SplitTabs(std::to_string(k + 1) + "\t" + line, f);
    if (!startsWith(field(f, w), filters.width)) continue;
    if (!startsWith(field(f, h), filters.height)) continue;
    if (!startsWith(field(f, d), filters.depth)) continue;
    if (filters.doubleDoor && (!door || !startsWith(field(f, 2), "両"))) continue;
    list.rows.push_back(f);
  }
  return list;
}

ChosenEnclosure copyEnclosureRow(const std::vector<std::string>& row) {
  ChosenEnclosure c;
  const std::string& model = field(row, 1);
  // Columns of: door type, width, height, depth, plate width, plate height, usable depth,
  // window width, window height (0: set empty).
  struct Layout {
    std::size_t door, w, h, d, pw, ph, ed, ww, wh;
  };
  Layout l{0, 2, 3, 4, 5, 6, 7, 0, 0};
  if (startsWith(model, "RA"))
    l = {2, 3, 4, 5, 6, 7, 8, 0, 0};
  else if (startsWith(model, "S"))
    l = {2, 3, 4, 5, 6, 7, 10, 0, 0};
  else if (startsWith(model, "E"))
    l = {2, 3, 4, 5, 8, 9, 10, 0, 0};
  else if (startsWith(model, "ORM"))
    l = {2, 3, 4, 5, 7, 8, 11, 9, 10};
  else if (startsWith(model, "OR"))
    l = {2, 3, 4, 5, 7, 8, 9, 0, 0};
  auto at = [&](std::size_t i) { return i == 0 ? std::string() : field(row, i); };
  c.model = model;
  c.doorType = at(l.door);
  c.width = at(l.w);
  c.height = at(l.h);
  c.depth = at(l.d);
  c.plateWidth = at(l.pw);
  c.plateHeight = at(l.ph);
  c.usableDepth = at(l.ed);
  c.windowWidth = at(l.ww);
  c.windowHeight = at(l.wh);
  return c;
}

}  // namespace qarn::enclosure
