#include "windows/chooser_lists.h"

#include "windows/look.h"

namespace kelvara {
namespace {

constexpr int kIndentBlanks = 2;  // per level of the directory list

}  // namespace

void FileListModel::setNames(NameList names) {
  beginResetModel();
  names_ = std::move(names);
  endResetModel();
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  return FromUtf8(name(index.row()));
}

void FolderListModel::setRows(std::vector<FolderRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int FolderListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const FolderRow& row = rows_[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) {
    return QString(qsizetype{row.depth} * kIndentBlanks, QLatin1Char(' ')) + FromUtf8(row.name);
  }
  if (role == Qt::DecorationRole) return row.open ? open_ : closed_;
  return {};
}

}  // namespace kelvara
