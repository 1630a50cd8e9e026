#pragma once
// The device catalogues "TOVEK.txt" and "TPBPL.txt": tab-separated records of fourteen fields,
// comment lines beginning with "//", sorted on every load and numbered by their place in the
// sorted file (comment lines counted), searched by terms that must all occur in the first five
// fields.
#include <array>
#include <filesystem>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cad/text_file.h"

namespace qarn::catalogue {

inline const char* const kFrameCatalogue = "TOVEK.txt";
inline const char* const kPanelCatalogue = "TPBPL.txt";
inline const char* const kMissingFileMessage = "データファイルが見つかりません．";

constexpr int kFieldCount = 14;
using Fields = std::array<std::string, kFieldCount>;

// The order of a file's lines as the user sees them sorted: the indices of the lines, first to
// last; equal lines keep their order. The window passes the user's collation; the default
// orders case-insensitively (ASCII), then by bytes.
struct LineOrder : std::vector<std::uint32_t> {
  using std::vector<std::uint32_t>::vector;
  // The buffer the sort made its keys in, done with: a large catalogue's sorted text is copied
  // into it rather than into memory the system has yet to hand out. May be empty.
  std::string spare;
};
using LineSorter = std::function<LineOrder(const std::vector<std::string_view>&)>;
LineOrder sortIgnoringCase(const std::vector<std::string_view>& lines);
void sortLines(std::vector<std::string>& lines, const LineSorter& sorter);
// Whether the lines stand in the order of the keys `make` appends for them already (equal keys:
// by the lines' bytes when `tieByLine`, else as they stand). A file QARN wrote does, and is then
// sorted without keeping a key for every line.
bool inKeyOrder(const std::vector<std::string_view>& lines,
                const std::function<void(std::string&, std::string_view)>& make, bool tieByLine);
// The order 0, 1, 2, ... of `n` lines.
LineOrder unchangedOrder(std::size_t n);
// The lines in the order of their keys (equal keys keep their order); the keys lie one after
// another in `keys`, key i ending at `keyEnd[i]`. `tie`, when given, decides between equal keys
// before their order does.
LineOrder orderByKeys(const std::string& keys, const std::vector<std::size_t>& keyEnd,
                      const std::vector<std::string_view>* tie = nullptr);

bool isComment(std::string_view line);
Fields splitFields(std::string_view line);
// The text searched: the first five fields, each followed by a tab, upper-cased (ASCII), with
// every "-" and blank deleted.
std::string searchKey(std::string_view line);
// The terms of a search text: upper-cased, "-" deleted, split as comma text, blanks trimmed,
// empty ones dropped.
std::vector<std::string> searchTerms(std::string_view maskStr);
bool matches(std::string_view key, const std::vector<std::string>& terms);
// W, H, D, H2 and D2 (fields 6 to 10) as numbers, 0 for a non-number, joined by single blanks.
std::string dimensionString(const Fields& f);

struct Record {
  int lineNumber;         // place in the sorted file, from 1, comment lines counted
  std::string_view line;  // in the snapshot's text
  Fields fields() const { return splitFields(line); }
  std::string field(int i) const;  // from 0
  std::string_view fieldView(int i) const;  // the same, in the line
};

// A catalogue file as loaded: its encoding, its sorted lines, and the records among them. The
// lines lie one after another in one text, and the search keys in another, so that a file of a
// million lines takes little more memory than its text.
struct Snapshot {
  Snapshot() = default;
  Snapshot(const Snapshot&) = delete;  // the views point into its own text
  Snapshot& operator=(const Snapshot&) = delete;
  cad::TextEncoding encoding = cad::TextEncoding::ShiftJis;
  std::string text;
  std::vector<std::string_view> lines;  // sorted
  std::vector<Record> records;          // in line order, comments left out
  std::string keys;                     // the records' search keys, one after another
  std::vector<std::size_t> keyEnd;      // by record
  std::string_view key(std::size_t record) const {
    std::size_t start = record ? keyEnd[record - 1] : 0;
    return std::string_view(keys).substr(start, keyEnd[record] - start);
  }
  // Indices into `records` of those that match the search text.
  std::vector<int> filter(std::string_view maskStr) const;
};

// Loads a file once and serves it again while it stays the same, so that a keystroke in a search
// field does not read the file again; an edit made outside QARN is seen at the next keystroke,
// even one that keeps the size and the modification time.
class CatalogueCache {
 public:
  explicit CatalogueCache(LineSorter sorter = sortIgnoringCase);
  // Nothing when the file does not exist.
  std::shared_ptr<const Snapshot> load(const std::string& path);
  void forget(const std::string& path);
  const LineSorter& sorter() const { return sorter_; }

 private:
  struct Stamp {
    std::uintmax_t size = 0;
    std::int64_t modified = 0, changed = 0;  // nanoseconds
    std::uint64_t file = 0, device = 0;
    bool operator==(const Stamp&) const = default;
  };
  struct Entry {
    Stamp stamp;
    // Changed so shortly before it was read that a later change may keep every stamp: the
    // content decides, by this hash, until the file is older.
    bool recent = false;
    std::uint64_t hash = 0;
    std::shared_ptr<const Snapshot> snapshot;
  };
  static std::optional<Stamp> stampOf(const std::string& path);
  LineSorter sorter_;
  std::map<std::string, Entry> entries_;
};

// Editing refused before anything is written: the file keeps its bytes.
class EditRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline const char* const kFileChangedMessage =
    "ファイルが変更されています（行の内容が表示と違います）。再読み込みしてから、もう一度操作してく"
    "ださい。";

// The line of the record numbered `lineNumber` replaced, the file sorted as a load sorts it and
// written back in its own encoding. `shown` is the line's text as the user saw it: when line N no
// longer holds it (another edit moved the lines, or the file was changed outside QARN), the edit
// is refused with EditRefused and the file keeps its bytes. cad::EncodingError for a character
// the encoding cannot hold.
void updateLine(const std::string& path, int lineNumber, std::string_view shown,
                const std::string& line, const LineSorter& sorter);
// The line appended at the end; the other lines keep their order.
void appendLine(const std::string& path, const std::string& line);
// The line removed from the sorted file, which is written back sorted; refused as update is.
void deleteLine(const std::string& path, int lineNumber, std::string_view shown,
                const LineSorter& sorter);

// A record's line from the values of its fields, tab-separated. Each value loses one trailing
// line break (a cell pasted from a spreadsheet); a tab or line break inside one is refused with
// cad::FieldError naming its field (names[i]).
std::string recordLine(const std::vector<std::string>& values,
                       const std::vector<std::string>& names);

// The device number stepped by `delta` around its last run of digits; nothing when it has no
// digits or would go below zero. Leading zeros are not kept: A01 down is A0.
std::optional<std::string> stepDeviceNumber(std::string_view text, int delta);

}  // namespace qarn::catalogue
