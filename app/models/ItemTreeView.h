#pragma once

#include <QPointer>
#include <QTreeView>
#include <utility>
#include <vector>

#include "models/ColumnFit.h"
#include "text/WString.h"

namespace tidewell {
struct TreeNode;
}

namespace tidewell::app {

class ItemTreeModel;

// The tree widget of every ItemTree on the pages. It carries out the shared
// interaction and leaves the work to its page through three signals:
// - Delete key: deleteRequested for the current node;
// - double-click on a node: the widget opens or closes it, then
//   propertiesRequested(node, false);
// - right button: the menu "&Properties", "&Add", "&Delete"; Properties and
//   Delete need the pointer on a node's label or icon and are disabled
//   otherwise; Add is always offered (addRequested), the page decides what
//   it adds.
class ItemTreeView : public QTreeView {
  Q_OBJECT

 public:
  ItemTreeView(ItemTreeModel* model, QWidget* parent = nullptr);

  ItemTreeModel* TreeModel() const { return model_; }
  TreeNode* CurrentNode() const;
  void SelectNode(const TreeNode* node);
  // The node whose label or icon lies under `pos` (viewport coordinates).
  TreeNode* NodeAtLabel(const QPoint& pos) const;
  void ExpandTopLevel();
  // The narrowest the view can be with every column at its floor, beside a
  // vertical scroll bar.
  int NarrowestWidth() const;
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

  // What the view keeps across a change of the tree: the open folders and the
  // current node, by their paths.
  struct State {
    std::vector<WString> expanded;
    WString current;
    bool hasCurrent = false;
  };
  State SaveState() const;
  void RestoreState(const State& state);

 signals:
  void propertiesRequested(tidewell::TreeNode* node, bool fromCommand);
  void addRequested();
  void deleteRequested(tidewell::TreeNode* node);
  // The current node changed (nullptr: none).
  void currentNodeChanged(tidewell::TreeNode* node);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  // The name column takes the width the other columns leave.
  void FitColumnsToView();
  std::vector<ColumnNeed> ColumnNeeds() const;
  void SaveExpanded(const QModelIndex& parent, State& state) const;

  ItemTreeModel* model_;
};

// Runs a core call that changes the tree behind a view: screen updates of the
// tree are suspended and the model shows no node until the scope ends; then
// the model is reset and the open folders and the current node come back
// where they still exist, and the change is announced (TreeEdits) for undo.
class TreeChange {
 public:
  explicit TreeChange(ItemTreeView& view);
  ~TreeChange();
  TreeChange(const TreeChange&) = delete;
  TreeChange& operator=(const TreeChange&) = delete;

 private:
  ItemTreeView& view_;
  ItemTreeView::State state_;
  bool updatesWereEnabled_;
};

// Keeps what every tree view inside a widget shows (its open folders and
// current node) across a replacement of the document, as undo and redo do:
// when the scope ends, each view shows them again where their paths still
// exist, and nothing else open.
class TreeViewsKept {
 public:
  explicit TreeViewsKept(const QWidget& root);
  ~TreeViewsKept();
  TreeViewsKept(const TreeViewsKept&) = delete;
  TreeViewsKept& operator=(const TreeViewsKept&) = delete;

 private:
  std::vector<std::pair<QPointer<ItemTreeView>, ItemTreeView::State>> kept_;
};

}  // namespace tidewell::app
