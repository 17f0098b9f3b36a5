#include "dialogs/VariableListModel.h"

#include "content/VariableList.h"
#include "shell/QtText.h"

namespace tidewell::app {

void VariableListModel::SetList(VariableList* list) {
  beginResetModel();
  list_ = list;
  endResetModel();
}

void VariableListModel::Reload() {
  beginResetModel();
  endResetModel();
}

int VariableListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !list_) return 0;
  return static_cast<int>(list_->Rows().size());
}

int VariableListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant VariableListModel::data(const QModelIndex& index, int role) const {
  if (!list_ || !index.isValid() || index.row() >= rowCount()) return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const Variable& row = list_->Rows()[static_cast<size_t>(index.row())];
  switch (index.column()) {
    case 0: return ToQString(row.name);
    case 1: return ToQString(row.description);
    default: return ToQString(row.additional);
  }
}

QVariant VariableListModel::headerData(int section, Qt::Orientation orientation,
                                       int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case 0: return QStringLiteral("Variable");
    case 1: return QStringLiteral("Description");
    case 2: return QStringLiteral("Additional");
    default: return {};
  }
}

Qt::ItemFlags VariableListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == 0) flags |= Qt::ItemIsEditable;
  return flags;
}

bool VariableListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!list_ || role != Qt::EditRole || !index.isValid() || index.column() != 0) return false;
  // Any text is taken as typed, an empty one included, built-in rows too.
  const auto moved = list_->RenameVariable(static_cast<size_t>(index.row()),
                                           ToWString(value.toString()));
  if (!moved) return false;
  beginResetModel();
  endResetModel();
  emit RowMoved(static_cast<int>(*moved));
  return true;
}

}  // namespace tidewell::app
