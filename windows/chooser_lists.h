#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <string>
#include <utility>
#include <vector>

#include "chooser/chooser_view.h"
#include "chooser/name_list.h"

namespace kelvara {

// The rows of a chooser window's file list: the names as the logic gave them (UTF-8), each
// made into text only when a view or assistive technology asks for that row. A folder of
// many thousand files costs its names and nothing per row besides.
class FileListModel final : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void setNames(NameList names);
  // The name of `row` byte for byte, as the file system gave it.
  std::string_view name(int row) const { return names_[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  NameList names_;
};

// The rows of a chooser window's directory list: each folder indented by its depth, with an
// open or a closed folder beside it.
class FolderListModel final : public QAbstractListModel {
 public:
  FolderListModel(QIcon open, QIcon closed, QObject* parent)
      : QAbstractListModel(parent), open_(std::move(open)), closed_(std::move(closed)) {}

  void setRows(std::vector<FolderRow> rows);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  QIcon open_;
  QIcon closed_;
  std::vector<FolderRow> rows_;
};

}  // namespace kelvara
