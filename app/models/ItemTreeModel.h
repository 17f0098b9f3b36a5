#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <memory>

namespace tidewell {
class ItemTree;
struct TreeNode;
}  // namespace tidewell

namespace tidewell::app {

class IconCache;

// Which of the core's trees a model shows: it decides the icons and columns.
enum class TreeKind { Files, Executions, Registry };

// The columns of a file tree.
enum FileColumn { kNameColumn, kConditionColumn, kTargetsColumn, kSizeColumn, kFileColumnCount };

// The core's ItemTree as a Qt item model. The core owns the nodes; an index
// carries its node. A file tree shows four columns (the name, the update
// condition, the target systems and the size), the other trees the name
// alone. Rows are asked for only when a view
// opens a folder, and a node's row is found by its name in its sorted
// siblings, so nothing here walks the whole tree.
//
// Every core call that changes the tree runs inside BeginChange/EndChange
// (use TreeChange in ItemTreeView.h): the model is reset around it, and in
// between it shows an empty tree and answers no node, so a view repainting
// while the core asks a question never reaches a node that is gone.
class ItemTreeModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit ItemTreeModel(TreeKind kind, QObject* parent = nullptr);
  ~ItemTreeModel() override;

  // Shows another tree (or none); after New and Open.
  void Bind(ItemTree* tree);
  ItemTree* Tree() const { return tree_; }
  TreeKind Kind() const { return kind_; }

  void BeginChange();
  void EndChange();
  bool Changing() const { return changeDepth_ > 0; }

  // The node of an index; nullptr for the root, an invalid index or while the
  // tree is changing.
  TreeNode* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(const TreeNode* node) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  int RowOf(const TreeNode* node) const;
  QVariant IconOf(const TreeNode& node) const;
  QVariant FileColumnText(const TreeNode& node, int column) const;
  QString SizeText(const TreeNode& node) const;

  TreeKind kind_;
  ItemTree* tree_ = nullptr;
  int changeDepth_ = 0;
  std::shared_ptr<IconCache> icons_;
  // Sizes measured on disk, kept until the tree changes: the views ask for
  // them at every repaint.
  mutable QHash<const TreeNode*, QString> sizes_;
};

// A file's target systems as the tree shows them: "All", or the systems
// ticked in the properties sheet's order ("WinXP, Win98"), or "None".
QString TargetSystemsText(int mask);

}  // namespace tidewell::app
