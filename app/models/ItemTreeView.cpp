#include "models/ItemTreeView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>

#include "files/ItemTree.h"
#include "files/TreePath.h"
#include "models/ItemTreeModel.h"
#include "models/TreeEdits.h"

namespace tidewell::app {

ItemTreeView::ItemTreeView(ItemTreeModel* model, QWidget* parent)
    : QTreeView(parent), model_(model) {
  setModel(model);
  // One column: no header. Several: the name takes the room the others
  // leave, each of which is as wide as its usual text.
  setHeaderHidden(model->columnCount() == 1);
  if (model->columnCount() > 1) {
    header()->setStretchLastSection(false);
    const QString widest[] = {{}, QStringLiteral("Time-stamp based"),
                              QStringLiteral("Win2000, WinNT"), QStringLiteral("99999 KB")};
    for (int column = 1; column < model->columnCount() && column < 4; ++column)
      setColumnWidth(column, fontMetrics().horizontalAdvance(widest[column]) + 18);
  }
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { emit currentNodeChanged(model_->NodeOf(current)); });
  connect(model, &QAbstractItemModel::modelReset, this,
          [this] { emit currentNodeChanged(CurrentNode()); });
}

bool ItemTreeView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) FitNameColumn();
  return QTreeView::viewportEvent(event);
}

void ItemTreeView::FitNameColumn() {
  const int columns = model_->columnCount();
  if (columns < 2) return;
  int others = 0;
  for (int column = 1; column < columns; ++column) others += columnWidth(column);
  // In a narrow window the names keep a readable width and the view
  // scrolls sideways to the other columns.
  const int nameMinimum = fontMetrics().averageCharWidth() * 24;
  setColumnWidth(0, std::max(viewport()->width() - others, nameMinimum));
}

TreeNode* ItemTreeView::CurrentNode() const { return model_->NodeOf(currentIndex()); }

void ItemTreeView::SelectNode(const TreeNode* node) {
  const QModelIndex index = model_->IndexOf(node);
  if (!index.isValid()) return;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) expand(up);
  setCurrentIndex(index);
  scrollTo(index);
}

TreeNode* ItemTreeView::NodeAtLabel(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  if (!index.isValid()) return nullptr;
  // The other columns show the node's own values.
  if (index.column() > 0) return model_->NodeOf(index);
  // The row runs to the view's edge; only the icon and the text are the node.
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const QRect rect = visualRect(index);
  const int width = itemDelegateForIndex(index)->sizeHint(option, index).width();
  if (pos.x() < rect.left() || pos.x() > rect.left() + width) return nullptr;
  return model_->NodeOf(index);
}

void ItemTreeView::ExpandTopLevel() {
  const int rows = model_->rowCount();
  for (int row = 0; row < rows; ++row) expand(model_->index(row, 0));
}

void ItemTreeView::SaveExpanded(const QModelIndex& parent, State& state) const {
  const int rows = model_->rowCount(parent);
  for (int row = 0; row < rows; ++row) {
    const QModelIndex index = model_->index(row, 0, parent);
    if (!isExpanded(index)) continue;
    state.expanded.push_back(NodePath(*model_->NodeOf(index)));
    SaveExpanded(index, state);
  }
}

ItemTreeView::State ItemTreeView::SaveState() const {
  State state;
  if (!model_->Tree() || model_->Changing()) return state;
  SaveExpanded({}, state);
  if (const TreeNode* current = CurrentNode()) {
    state.current = NodePath(*current);
    state.hasCurrent = true;
  }
  return state;
}

void ItemTreeView::RestoreState(const State& state) {
  const ItemTree* tree = model_->Tree();
  if (!tree) return;
  for (const WString& path : state.expanded)
    if (const TreeNode* node = FindNodeByPath(*tree, path)) expand(model_->IndexOf(node));
  if (state.hasCurrent)
    if (const TreeNode* node = FindNodeByPath(*tree, state.current)) SelectNode(node);
}

void ItemTreeView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    if (TreeNode* node = CurrentNode()) emit deleteRequested(node);
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void ItemTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
  const bool onNode = indexAt(event->position().toPoint()).isValid();
  QTreeView::mouseDoubleClickEvent(event);  // opens or closes the folder
  if (!onNode) return;
  if (TreeNode* node = CurrentNode()) emit propertiesRequested(node, false);
}

void ItemTreeView::contextMenuEvent(QContextMenuEvent* event) {
  TreeNode* node = event->reason() == QContextMenuEvent::Mouse ? NodeAtLabel(event->pos())
                                                                : CurrentNode();
  QMenu menu(this);
  QAction* properties = menu.addAction(tr("&Properties"));
  menu.addSeparator();
  QAction* add = menu.addAction(tr("&Add"));
  QAction* remove = menu.addAction(tr("&Delete"));
  properties->setEnabled(node != nullptr);
  remove->setEnabled(node != nullptr);
  const QPoint where = event->reason() == QContextMenuEvent::Mouse
                           ? event->globalPos()
                           : viewport()->mapToGlobal(visualRect(currentIndex()).center());
  // The menu runs its own event loop: the node is held by an index that a
  // change of the tree invalidates, never by its address alone.
  const QPersistentModelIndex target(model_->IndexOf(node));
  QAction* chosen = menu.exec(where);
  event->accept();
  if (!chosen) return;
  if (chosen == add) {
    emit addRequested();
    return;
  }
  node = model_->NodeOf(target);
  if (!node) return;
  if (chosen == properties) emit propertiesRequested(node, true);
  if (chosen == remove) emit deleteRequested(node);
}

TreeChange::TreeChange(ItemTreeView& view)
    : view_(view), state_(view.SaveState()), updatesWereEnabled_(view.updatesEnabled()) {
  view_.setUpdatesEnabled(false);
  view_.TreeModel()->BeginChange();
}

TreeChange::~TreeChange() {
  view_.TreeModel()->EndChange();
  const bool outermost = !view_.TreeModel()->Changing();
  if (outermost) view_.RestoreState(state_);
  view_.setUpdatesEnabled(updatesWereEnabled_);
  if (outermost) TreeEdits::Instance().Committed();
}

}  // namespace tidewell::app
