#include "catalogue/catalogue_rows.h"

#include "catalogue/user_collation.h"

#include <QFontMetrics>
#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace qarn::catalogue {

namespace {
std::string columnText(const Record& r, int col) {
  return col == 0 ? std::to_string(r.lineNumber) : r.field(col - 1);
}
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
  std::vector<std::int16_t> advance(0x10000, -1);  // per character of the basic plane
  auto estimateOf = [&](std::string_view s) {
    int w = 0;
    for (std::size_t i = 0; i < s.size();) {
      char32_t cp = nextCodePoint(s, i);
      if (cp >= 0x10000) {
        w += fm.horizontalAdvance(QString::fromUcs4(&cp, 1));
        continue;
      }
      std::int16_t& a = advance[cp];
      if (a < 0) a = static_cast<std::int16_t>(fm.horizontalAdvance(QChar(static_cast<char16_t>(cp))));
      w += a;
    }
    return static_cast<std::uint16_t>(std::min(w, 0xFFFF));
  };
  const auto& records = snapshot_->records;
  for (auto& column : estimate_)
    column.resize(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    estimate_[0][i] = estimateOf(std::to_string(records[i].lineNumber));
    std::string_view line = records[i].line;
    std::size_t start = 0;
    for (int c = 1; c < kGridColumns && start <= line.size(); ++c) {
      std::size_t tab = line.find('\t', start);
      std::size_t end = tab == std::string_view::npos ? line.size() : tab;
      estimate_[c][i] = estimateOf(line.substr(start, end - start));
      start = end + 1;
    }
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
  // Kerning moves a text's width a little from the sum of its characters: the widest text is
  // among those whose estimate comes close to the largest; the first few different ones of them
  // are measured.
  int floor = best - std::max(6, best / 8);
  std::vector<int> candidates;
  for (int r : records)
    if (estimate[r] >= floor) candidates.push_back(r);
  std::size_t top = std::min<std::size_t>(candidates.size(), 4096);
  std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(top),
                    candidates.end(), [&](int a, int b) { return estimate[a] > estimate[b]; });
  std::unordered_set<std::string> seen;
  int widest = 0;
  for (std::size_t k = 0; k < top && seen.size() < kMeasured; ++k) {
    std::string text = columnText(snapshot_->records[candidates[k]], c);
    if (!seen.insert(text).second) continue;
    auto it = exact_[c].find(text);
    if (it == exact_[c].end())
      it = exact_[c].emplace(text, fm.horizontalAdvance(QString::fromStdString(text))).first;
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
