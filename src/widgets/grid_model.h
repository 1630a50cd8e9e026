#pragma once
// The cells behind a string grid: row 0 is the header, data rows are either held here or served
// by a row source (a long list shown without copying it into the grid).
#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace qarn::widgets {

class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual int rows() const = 0;
  virtual QString cell(int row, int col) const = 0;  // row 0 is the first data row
  // The widest text of a column over all rows, when the source can tell faster than asking
  // every cell.
  virtual std::optional<int> widestText(int col, const QFontMetrics& fm) const {
    return std::nullopt;
  }
};

class GridModel : public QAbstractTableModel {
 public:
  explicit GridModel(QObject* parent) : QAbstractTableModel(parent) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void setColumns(int n);
  void setRows(int n);  // data rows
  QString header(int col) const;
  void setHeader(int col, const QString& text);
  QString text(int row, int col) const;
  void setText(int row, int col, const QString& text);
  // Rows served by the source from now on, until rows are set again.
  void setSource(std::shared_ptr<const RowSource> source);
  const RowSource* source() const { return source_.get(); }
  void setEditableColumn(int col) { editableFirst_ = editableLast_ = col; }
  void setEditableColumns(int first, int last) {
    editableFirst_ = first;
    editableLast_ = last;
  }

 private:
  void materialize();
  int columns_ = 0;
  QStringList header_;
  std::vector<QStringList> rows_;
  std::shared_ptr<const RowSource> source_;
  int editableFirst_ = -1, editableLast_ = -1;
};

}  // namespace qarn::widgets
