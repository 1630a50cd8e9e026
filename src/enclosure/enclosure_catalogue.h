#pragma once
// The stock-enclosure catalogues: one tab-separated file per family beside the executable, its
// column layout, the filters of the box page and the copy of a chosen row into the fields the
// drawing command reads.
#include <string>
#include <vector>

namespace qarn::enclosure {

// "RA", "S", "CH", "CL", "E", "OR", "ORM", in the order of the family list.
const std::vector<std::string>& families();
// Row 0 of the enclosure grid for the family, comma-separated.
std::string headerText(const std::string& family);
// RA, S, E, OR and ORM have a door-type column; CH and CL (and any other code) do not.
bool hasDoorColumn(const std::string& family);
// "BOX_" + family + ".txt"
std::string catalogueFileName(const std::string& family);

struct EnclosureFilters {
  std::string width, height, depth;  // prefixes of the values; empty passes every line
  bool doubleDoor = false;           // only doors whose type begins with "両"
};

struct EnclosureList {
  enum class Status { NoFamily, NoFile, EmptyFile, Loaded };
  Status status = Status::NoFamily;
  // The matching lines: field 0 is the line's number in the file (from 1), then the line's fields.
  std::vector<std::vector<std::string>> rows;
  std::size_t linesRead = 0;
};

// Reads "BOX_" + family + ".txt" from `folder` and keeps the lines that pass the filters.
EnclosureList loadEnclosureList(const std::string& folder, const std::string& family,
                                const EnclosureFilters& filters);

// The values a row click copies into the fields (Edit32 ... Edit39, Edit43, Edit44).
struct ChosenEnclosure {
  std::string model, doorType, width, height, depth, plateWidth, plateHeight, usableDepth,
      windowWidth, windowHeight;
  bool operator==(const ChosenEnclosure&) const = default;
};

// The copy of a grid row (column 0 the number), its layout chosen by the model's first letters:
// "RA", "S", "E", "ORM", "OR" in that order, any other model the layout without door type.
ChosenEnclosure copyEnclosureRow(const std::vector<std::string>& row);

}  // namespace qarn::enclosure
