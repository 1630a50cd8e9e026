#pragma once
// A catalogue's matching records served to a grid without copying them: column 0 the line
// number, columns 1 to 14 the fields. Texts are converted only when the grid shows them, and
// column widths come from width estimates kept with the loaded file; only the few texts that
// may be the widest are measured exactly.
#include <QFont>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "widgets/grid_model.h"

namespace qarn::catalogue {

constexpr int kGridColumns = kFieldCount + 1;

// Text widths of one loaded file in one font, kept as long as the file is unchanged: for each
// column and record the sum of its characters' advances as estimate, and the exact widths of the
// few texts that were measured.
class WidthCache {
 public:
  WidthCache(std::shared_ptr<const Snapshot> snapshot, const QFont& font);
  bool fits(const Snapshot* s, const QFont& font) const {
    return s == snapshot_.get() && font == font_;
  }
  const Snapshot& snapshot() const { return *snapshot_; }
  // The widest text of the column among the records.
  int widest(int col, const std::vector<int>& records, const QFontMetrics& fm) const;

 private:
  std::shared_ptr<const Snapshot> snapshot_;
  QFont font_;
  std::vector<std::vector<std::uint16_t>> estimate_;                 // by column, by record
  mutable std::vector<std::unordered_map<std::string, int>> exact_;  // by column, by text
  mutable std::vector<int> widestOfAll_;                             // by column, -1 until known
};

class CatalogueRows : public widgets::RowSource {
 public:
  CatalogueRows(std::shared_ptr<const WidthCache> widths, std::vector<int> hits)
      : widths_(std::move(widths)), hits_(std::move(hits)) {}
  int rows() const override { return static_cast<int>(hits_.size()); }
  QString cell(int row, int col) const override;
  std::optional<int> widestText(int col, const QFontMetrics& fm) const override {
    return widths_->widest(col, hits_, fm);
  }
  const Record& record(int row) const { return widths_->snapshot().records[hits_[row]]; }
  // The row's line as the file held it when the grid was filled.
  std::string lineText(int row) const { return std::string(record(row).line); }

 private:
  std::shared_ptr<const WidthCache> widths_;
  std::vector<int> hits_;
};

}  // namespace qarn::catalogue
