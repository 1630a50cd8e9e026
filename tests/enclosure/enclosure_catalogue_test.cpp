#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "../scratch_folder.h"
#include "cad/text_file.h"
#include "enclosure/enclosure_catalogue.h"

namespace qarn::enclosure {
namespace {

namespace fs = std::filesystem;

class EnclosureCatalogue : public ::testing::Test {
 protected:
  EnclosureCatalogue() : dir(scratch::folder("qarn-box")) {}
  ~EnclosureCatalogue() override { fs::remove_all(dir); }
  // The file in Shift-JIS without a byte-order mark, as users keep them.
  void write(const std::string& family, const std::string& text) {
    std::ofstream(dir / catalogueFileName(family), std::ios::binary)
        << cad::encodeText(text, cad::TextEncoding::ShiftJis);
  }
  std::vector<std::string> numbers(const EnclosureList& l) {
    std::vector<std::string> out;
    for (const auto& r : l.rows)
      out.push_back(r[0]);
    return out;
  }
  fs::path dir;
};

TEST_F(EnclosureCatalogue, FiltersArePrefixesAndNumbersAreFilePositions) {
  write("RA",
        "RA-145\t片扉\t145\t300\t150\t1\t1\t1\t1\tA\t1,000\r\n"
        "RA-450\t片扉\t450\t600\t200\t1\t1\t1\t1\tA\t12,300\r\n"
        "RA-4500\t両扉\t4500\t600\t250\t1\t1\t1\t1\tA\t1,234,500\n"
        "RA-600\t両扉\t600\t800\t200\t1\t1\t1\t1\tA\t9\r");
  auto all = loadEnclosureList(scratch::text(dir), "RA", {});
  ASSERT_EQ(all.status, EnclosureList::Status::Loaded);
  EXPECT_EQ(numbers(all), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(all.rows[1][11], "12300") << "thousands separators are deleted";
  EXPECT_EQ(all.rows[2][11], "1234500");

  auto w45 = loadEnclosureList(scratch::text(dir), "RA", {"45", "", "", false});
  EXPECT_EQ(numbers(w45), (std::vector<std::string>{"2", "3"})) << "450 and 4500, not 145";
  auto deep = loadEnclosureList(scratch::text(dir), "RA", {"", "6", "2", false});
  EXPECT_EQ(numbers(deep), (std::vector<std::string>{"2", "3"}));
  auto two = loadEnclosureList(scratch::text(dir), "RA", {"", "", "", true});
  EXPECT_EQ(numbers(two), (std::vector<std::string>{"3", "4"}));
  auto none = loadEnclosureList(scratch::text(dir), "RA", {"9", "", "", false});
  EXPECT_EQ(none.status, EnclosureList::Status::Loaded);
  EXPECT_TRUE(none.rows.empty());
}

TEST_F(EnclosureCatalogue, FamiliesWithoutDoorColumnFilterOtherColumnsAndNeverPassDoubleDoor) {
  write("CH",
        "CH-1\t300\t400\t200\t260\t360\t160\t6\tA\t1\r\nCH-2\t400\t500\t200\t1\t1\t1\t1\tA\t1\r\n");
  auto w = loadEnclosureList(scratch::text(dir), "CH", {"4", "5", "2", false});
  ASSERT_EQ(w.rows.size(), 1u);
  EXPECT_EQ(w.rows[0][1], "CH-2");
  EXPECT_TRUE(loadEnclosureList(scratch::text(dir), "CH", {"", "", "", true}).rows.empty());
  EXPECT_FALSE(hasDoorColumn("CH"));
  EXPECT_FALSE(hasDoorColumn("CL"));
  EXPECT_TRUE(hasDoorColumn("ORM"));
}

TEST_F(EnclosureCatalogue, MissingAndEmptyFilesAndEmptyFamily) {
  EXPECT_EQ(loadEnclosureList(scratch::text(dir), "OR", {}).status, EnclosureList::Status::NoFile);
  write("OR", "");
  EXPECT_EQ(loadEnclosureList(scratch::text(dir), "OR", {}).status,
            EnclosureList::Status::EmptyFile);
  EXPECT_EQ(loadEnclosureList(scratch::text(dir), "", {}).status, EnclosureList::Status::NoFamily);
}

TEST_F(EnclosureCatalogue, HeaderTextsAndFamilyOrder) {
  EXPECT_EQ(families(), (std::vector<std::string>{"RA", "S", "CH", "CL", "E", "OR", "ORM"}));
  EXPECT_EQ(headerText("CL"),
            "No,型番,ヨコ,タテ,フカサ,基板ヨコ,基板タテ,有効フカサ,重量kg,納期区分,価格");
  EXPECT_EQ(headerText("XYZ"), headerText("CH"));
  EXPECT_EQ(headerText("S"),
            "No,型番,扉形式,ヨコ,タテ,フカサ,基板ヨコ,基板タテ,扉ヨコ,扉タテ,有効フカサ,重量kg,"
            "納期区分,価格");
}

TEST(EnclosureRowCopy, LayoutByModelPrefixWithOrmBeforeOr) {
  using Row = std::vector<std::string>;
  struct Case {
    Row row;
    ChosenEnclosure want;
  };
  for (const Case& c : std::vector<Case>{
           {{"1", "RA1", "片扉", "w", "h", "d", "pw", "ph", "ed", "kg"},
            {"RA1", "片扉", "w", "h", "d", "pw", "ph", "ed", "", ""}},
           {{"2", "S1", "両扉", "w", "h", "d", "pw", "ph", "dw", "dh", "ed"},
            {"S1", "両扉", "w", "h", "d", "pw", "ph", "ed", "", ""}},
           {{"3", "E1", "両扉", "w", "h", "d", "oh", "ah", "pw", "ph", "ed"},
            {"E1", "両扉", "w", "h", "d", "pw", "ph", "ed", "", ""}},
           {{"4", "OR1", "片扉", "w", "h", "d", "oh", "pw", "ph", "ed"},
            {"OR1", "片扉", "w", "h", "d", "pw", "ph", "ed", "", ""}},
           {{"5", "ORM1", "片扉", "w", "h", "d", "oh", "pw", "ph", "ww", "wh", "ed"},
            {"ORM1", "片扉", "w", "h", "d", "pw", "ph", "ed", "ww", "wh"}},
           {{"6", "CL1", "w", "h", "d", "pw", "ph", "ed"},
            {"CL1", "", "w", "h", "d", "pw", "ph", "ed", "", ""}},
           {{"7", "", "", ""}, {"", "", "", "", "", "", "", "", "", ""}},
           {{}, {}},
       }) {
    EXPECT_EQ(copyEnclosureRow(c.row), c.want) << (c.row.size() > 1 ? c.row[1] : "(empty)");
  }
}

TEST(EnclosureSampleData, EveryFamilyLoadsInItsOwnEncoding) {
  std::string data = std::string(QARN_SOURCE_DIR) + "/data";
  for (const std::string& f : families()) {
    auto list = loadEnclosureList(data, f, {});
    ASSERT_EQ(list.status, EnclosureList::Status::Loaded) << f;
    ASSERT_GE(list.rows.size(), 3u) << f;
    for (const auto& row : list.rows) {
      ChosenEnclosure c = copyEnclosureRow(row);
      EXPECT_EQ(c.model.substr(0, f.size() == 1 ? 1 : 2), f.substr(0, f.size() == 1 ? 1 : 2)) << f;
      EXPECT_GT(std::stod(c.width), 0) << c.model;
      if (hasDoorColumn(f)) {
        EXPECT_TRUE(c.doorType == "片扉" || c.doorType == "両扉") << c.model;
      }
      EXPECT_EQ(c.windowHeight.empty(), f != "ORM") << c.model;
    }
  }
  // The ORM sample has each window height that sets the frame height.
  auto orm = loadEnclosureList(data, "ORM", {});
  std::set<std::string> heights;
  for (const auto& row : orm.rows)
    heights.insert(copyEnclosureRow(row).windowHeight);
  for (const char* h : {"145", "165", "215", "310"})
    EXPECT_TRUE(heights.count(h)) << h;
}

}  // namespace
}  // namespace qarn::enclosure
