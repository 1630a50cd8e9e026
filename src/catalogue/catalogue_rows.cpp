#include "catalogue/catalogue_rows.h"

#include <QFontMetrics>
#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace qarn::catalogue {

namespace {
std::string columnText(const Record& r, int col) {
  return col == 0 ? std::to_string(r.lineNumber) : r.fields[col - 1];
}
// How many of the widest-looking texts of a column are measured exactly.
constexpr std::size_t kMeasured = 32;
}  // namespace

WidthCache::WidthCache(std::shared_ptr<const Snapshot> snapshot, const QFont& font)
    : snapshot_(std::move(snapshot)), font_(font), columns_(kGridColumns) {
  QFontMetrics fm(font_);
  std::vector<int> advance(0x10000, -1);  // per character of the basic plane
  auto estimateOf = [&](const std::string& s) {
    int w = 0;
    for (QChar ch : QString::fromStdString(s)) {
      int& a = advance[ch.unicode()];
      if (a < 0) a = fm.horizontalAdvance(ch);
      w += a;
    }
    return w;
  };
  const auto& records = snapshot_->records;
  for (int c = 0; c < kGridColumns; ++c) {
    Column& col = columns_[c];
    col.textOf.resize(records.size());
    std::unordered_map<std::string, int> ids;
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::string t = columnText(records[i], c);
      auto [it, added] = ids.emplace(std::move(t), static_cast<int>(col.estimate.size()));
      if (added) {
        col.estimate.push_back(it->first.empty() ? 0 : estimateOf(it->first));
        col.sample.push_back(static_cast<int>(i));
      }
      col.textOf[i] = it->second;
    }
    col.exact.assign(col.estimate.size(), -1);
  }
}

int WidthCache::widest(int c, const std::vector<int>& records, const QFontMetrics& fm) const {
  if (c < 0 || c >= kGridColumns || records.empty()) return 0;
  const Column& col = columns_[c];
  int best = 0;
  for (int r : records)
    best = std::max(best, col.estimate[col.textOf[r]]);
  // Kerning moves a text's width a little from the sum of its characters: the widest text is
  // among those whose estimate comes close to the largest.
  int floor = best - std::max(6, best / 8);
  std::vector<char> seen(col.estimate.size(), 0);
  std::vector<int> candidates;
  for (int r : records) {
    int t = col.textOf[r];
    if (!seen[t] && col.estimate[t] >= floor) {
      seen[t] = 1;
      candidates.push_back(t);
    }
  }
  if (candidates.size() > kMeasured) {
    std::partial_sort(candidates.begin(), candidates.begin() + kMeasured, candidates.end(),
                      [&](int a, int b) { return col.estimate[a] > col.estimate[b]; });
    candidates.resize(kMeasured);
  }
  int widest = 0;
  for (int t : candidates) {
    if (col.exact[t] < 0)
      col.exact[t] = fm.horizontalAdvance(
          QString::fromStdString(columnText(snapshot_->records[col.sample[t]], c)));
    widest = std::max(widest, col.exact[t]);
  }
  return widest;
}

QString CatalogueRows::cell(int row, int col) const {
  if (row < 0 || row >= rows() || col < 0 || col >= kGridColumns) return {};
  const Record& r = record(row);
  return col == 0 ? QString::number(r.lineNumber) : QString::fromStdString(r.fields[col - 1]);
}

}  // namespace qarn::catalogue
