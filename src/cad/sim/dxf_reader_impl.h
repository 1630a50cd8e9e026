#pragma once
// The DXF reader's working state, shared by its two files: the sections and tables
// (dxf_reader.cpp) and the entities (dxf_entities.cpp).
#include <map>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "cad/sim/dxf_lexer.h"
#include "cad/sim/dxf_reader.h"

namespace qarn::cad::sim::dxf {

class Reader {
 public:
  explicit Reader(std::vector<Pair> pairs) : p_(std::move(pairs)) {
    used_.reserve(p_.size() / 16);  // about one handle in every sixteen pairs or fewer
  }
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
  // Each pair of the record from begin + 1 to end, the {...} application groups left out.
  template <class F>
  void eachField(std::size_t begin, std::size_t end, F f) const {
    bool inGroup = false;
    for (std::size_t k = begin + 1; k < end; ++k) {
      if (p_[k].code == 102) {
        inGroup = !p_[k].value.empty() && p_[k].value.front() == '{';
        continue;
      }
      if (!inGroup) f(p_[k]);
    }
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
  void classes(std::size_t& i);
  void skipSection(std::size_t& i);
  void dropUnshownDimensionBlocks();
  // Entities from i up to a record named `stop` (ENDBLK, ENDSEC), into `owner`.
  void entityList(std::size_t& i, const std::string& stop, Block* owner, bool modelSection);
  // An opaque entity's record as it is kept (see Entity::fields).
  std::vector<DxfField> rawFields(std::size_t begin, std::size_t end);
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
  std::unordered_set<std::string> used_;                      // handles taken, upper case
  std::vector<std::string> unhandled_;                        // entities still to be given a handle
  std::vector<std::pair<std::string, std::size_t>> inserts_;  // reference, its pair index
  std::map<std::string, std::string> groupNames_;             // group handle -> name
  std::vector<Group> groups_;
  // What a saved file cannot hold, counted while reading (see Drawing::notKept).
  int droppedLinks_ = 0, droppedData_ = 0, headerVariables_ = 0;
  std::map<std::string, int> droppedRecords_;  // "OBJECTS: LAYOUT", ... -> how many
  std::set<std::string> dimensionBlocks_;  // *D blocks, upper case: kept while an entity shows one
};

}  // namespace qarn::cad::sim::dxf
