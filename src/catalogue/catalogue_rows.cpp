#include "catalogue/catalogue_rows.h"

#include "catalogue/user_collation.h"

#include <QFontMetrics>
#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace qarn::catalogue {

namespace {
// How many of the widest-looking texts of a column are measured exactly.
constexpr std::size_t kMeasured = 32;
}  // namespace

WidthCache::WidthCache(std::shared_ptr<const Snapshot> snapshot, const QFont& font)
    : snapshot_(std::move(snapshot)),
      font_(font),
      estimate_(kGridColumns),
      exact_(kGridColumns),
      widestOfAll_(kGridColumns, -1) {
  QFontMetrics fm(font_);
  // ASCII by table, made at once; other characters of the basic plane as they come.
  int ascii[0x80];
  for (int b = 0; b < 0x80; ++b)
    ascii[b] = fm.horizontalAdvance(QChar(static_cast<char16_t>(b)));
  std::vector<std::int16_t> advance(0x10000, -1);
  auto advanceOf = [&](char32_t cp) -> int {
    if (cp >= 0x10000) return fm.horizontalAdvance(QString::fromUcs4(&cp, 1));
    std::int16_t& a = advance[cp];
    if (a < 0)
      a = static_cast<std::int16_t>(fm.horizontalAdvance(QChar(static_cast<char16_t>(cp))));
    return a;
  };
  auto clamp = [](int w) { return static_cast<std::uint16_t>(std::min(w, 0xFFFF)); };
  const auto& records = snapshot_->records;
  for (auto& column : estimate_)
    column.resize(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    char digits[16];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, records[i].lineNumber);
    int w = 0;
    for (const char* d = digits; d < end; ++d)
      w += ascii[static_cast<unsigned char>(*d) & 0x7F];
    estimate_[0][i] = clamp(w);
    // One pass over the line: a tab closes a column, a column past the grid's ends the line.
    std::string_view line = records[i].line;
    int c = 1;
    w = 0;
    for (std::size_t k = 0; k < line.size();) {
      const auto b = static_cast<unsigned char>(line[k]);
      if (b == '\t') {
        estimate_[c][i] = clamp(w);
        w = 0;
        ++k;
        if (++c == kGridColumns) break;
      } else if (b < 0x80) {
        w += ascii[b];
        ++k;
      } else {
        w += advanceOf(nextCodePoint(line, k));
      }
    }
    if (c < kGridColumns) estimate_[c][i] = clamp(w);
  }
}

int WidthCache::widest(int c, const std::vector<int>& records, const QFontMetrics& fm) const {
  if (c < 0 || c >= kGridColumns || records.empty()) return 0;
  bool all = records.size() == snapshot_->records.size();  // an empty search: asked again and again
  if (all && widestOfAll_[c] >= 0) return widestOfAll_[c];
  const std::vector<std::uint16_t>& estimate = estimate_[c];
  int best = 0;
  for (int r : records)
    best = std::max<int>(best, estimate[r]);
  if (best == 0) {  // no character of any text has a width: an empty column
    if (all) widestOfAll_[c] = 0;
    return 0;
  }
  // Kerning moves a text's width a little from the sum of its characters: the widest text is
  // among those whose estimate comes close to the largest; the first few different ones of them
  // are measured.
  int floor = best - std::max(6, best / 8);
  std::vector<int> candidates;
  for (int r : records)
    if (estimate[r] >= floor) candidates.push_back(r);
  std::size_t top = std::min<std::size_t>(candidates.size(), 4096);
  auto wider = [&](int a, int b) { return estimate[a] > estimate[b]; };
  auto topEnd = candidates.begin() + static_cast<std::ptrdiff_t>(top);
  std::nth_element(candidates.begin(), topEnd, candidates.end(), wider);
  std::sort(candidates.begin(), topEnd, wider);
  // Many records share a text (an empty column, a maker's name): those are told apart by views,
  // and only the different texts are made into strings and measured.
  std::unordered_set<std::string_view> seen;
  std::size_t measured = 0;
  int widest = 0;
  for (std::size_t k = 0; k < top && measured < kMeasured; ++k) {
    const Record& r = snapshot_->records[candidates[k]];
    // Line numbers all differ; a field's text may repeat.
    std::string key;
    if (c == 0) {
      key = std::to_string(r.lineNumber);
    } else {
      std::string_view text = r.fieldView(c - 1);
      if (!seen.insert(text).second) continue;
      key = text;
    }
    ++measured;
    auto it = exact_[c].find(key);
    if (it == exact_[c].end())
      it = exact_[c].emplace(key, fm.horizontalAdvance(QString::fromStdString(key))).first;
    widest = std::max(widest, it->second);
  }
  if (all) widestOfAll_[c] = widest;
  return widest;
}

QString CatalogueRows::cell(int row, int col) const {
  if (row < 0 || row >= rows() || col < 0 || col >= kGridColumns) return {};
  const Record& r = record(row);
  if (col == 0) return QString::number(r.lineNumber);
  std::string text = r.field(col - 1);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace qarn::catalogue
