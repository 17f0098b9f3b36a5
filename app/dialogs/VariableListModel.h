#pragma once

#include <QAbstractTableModel>
#include <functional>

namespace tidewell {
class VariableList;
}

namespace tidewell::app {

// The variable list as a table: "Variable", "Description", "Additional".
// Names are editable in place; a renamed row moves to its sorted place and
// `renamed` is told its new row.
class VariableListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  // The list shown (null: none); the model is reset.
  void SetList(VariableList* list);
  // Shows the list again after it was changed elsewhere.
  void Reload();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 signals:
  void RowMoved(int row);

 private:
  VariableList* list_ = nullptr;
};

}  // namespace tidewell::app
