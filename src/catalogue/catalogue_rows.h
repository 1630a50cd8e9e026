#pragma once
// A catalogue's matching records served to a grid without copying them: column 0 the line
// number, columns 1 to 14 the fields. Texts are converted only when the grid shows them, and
// column widths come from width estimates kept with the loaded file; only the few texts that
// may be the widest are measured exactly.
#include <QFont>
#include <memory>
#include <vector>

#include "catalogue/device_catalogue.h"
#include "widgets/grid_model.h"

namespace qarn::catalogue {

constexpr int kGridColumns = kFieldCount + 1;

// Text widths of one loaded file in one font, kept as long as the file is unchanged. Each
// column's texts are kept once each, with the sum of their characters' advances as estimate and
// the exact width once it was measured.
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
  struct Column {
    std::vector<int> textOf;         // by record: the text's number in this column
    std::vector<int> estimate;       // by text
    std::vector<int> sample;         // by text: a record that holds it
    mutable std::vector<int> exact;  // by text, -1 until measured
  };
  std::shared_ptr<const Snapshot> snapshot_;
  QFont font_;
  std::vector<Column> columns_;
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
  const std::string& lineText(int row) const {
    return widths_->snapshot().lines[record(row).lineNumber - 1];
  }

 private:
  std::shared_ptr<const WidthCache> widths_;
  std::vector<int> hits_;
};

}  // namespace qarn::catalogue
