#include "widgets/grid_model.h"

namespace qarn::widgets {

int GridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return source_ ? source_->rows() : static_cast<int>(rows_.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return text(index.row(), index.column());
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  setText(index.row(), index.column(), value.toString());
  return true;
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole)
    return QAbstractTableModel::headerData(section, o, role);
  return header(section);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.column() >= editableFirst_ && index.column() <= editableLast_) f |= Qt::ItemIsEditable;
  return f;
}

void GridModel::setColumns(int n) {
  beginResetModel();
  columns_ = n;
  header_.resize(n);
  for (QStringList& r : rows_)
    r.resize(n);
  endResetModel();
}

void GridModel::setRows(int n) {
  if (source_) materialize();
  int old = static_cast<int>(rows_.size());
  if (n == old) return;
  if (n > old) {
    beginInsertRows({}, old, n - 1);
    rows_.resize(n, QStringList(QList<QString>(columns_)));
    endInsertRows();
  } else {
    beginRemoveRows({}, n, old - 1);
    rows_.resize(n);
    endRemoveRows();
  }
}

QString GridModel::header(int col) const {
  return col >= 0 && col < header_.size() ? header_[col] : QString();
}

void GridModel::setHeader(int col, const QString& text) {
  if (col < 0 || col >= columns_) return;
  header_[col] = text;
  emit headerDataChanged(Qt::Horizontal, col, col);
}

QString GridModel::text(int row, int col) const {
  if (col < 0 || col >= columns_ || row < 0) return {};
  if (source_) return row < source_->rows() ? source_->cell(row, col) : QString();
  return row < static_cast<int>(rows_.size()) ? rows_[row][col] : QString();
}

void GridModel::setText(int row, int col, const QString& text) {
  if (col < 0 || col >= columns_ || row < 0) return;
  if (source_) materialize();
  if (row >= static_cast<int>(rows_.size())) setRows(row + 1);
  rows_[row][col] = text;
  emit dataChanged(index(row, col), index(row, col));
}

void GridModel::setSource(std::shared_ptr<const RowSource> source) {
  beginResetModel();
  source_ = std::move(source);
  rows_.clear();
  endResetModel();
}

void GridModel::materialize() {
  std::vector<QStringList> rows(source_->rows(), QStringList(QList<QString>(columns_)));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < columns_; ++c)
      rows[r][c] = source_->cell(r, c);
  beginResetModel();
  source_.reset();
  rows_ = std::move(rows);
  endResetModel();
}

}  // namespace qarn::widgets
