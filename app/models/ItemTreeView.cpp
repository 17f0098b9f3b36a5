#include "models/ItemTreeView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>

#include "files/ItemTree.h"
#include "files/TreePath.h"
#include "models/ColumnFit.h"
#include "models/ItemTreeModel.h"
#include "models/TreeEdits.h"

namespace tidewell::app {

ItemTreeView::ItemTreeView(ItemTreeModel* model, QWidget* parent)
    : QTreeView(parent), model_(model) {
  setModel(model);
  // One column: no header. Several: the name takes the room the others
  // leave (FitColumns).
  setHeaderHidden(model->columnCount() == 1);
  header()->setStretchLastSection(model->columnCount() == 1);
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
  if (event->type() == QEvent::Resize) FitColumnsToView();
  return QTreeView::viewportEvent(event);
}

std::vector<ColumnNeed> ItemTreeView::ColumnNeeds() const {
  // Each column shows its header and its widest usual text whole; a narrow
  // view elides the target systems first, then the update condition. Names
  // keep a readable width and sizes are never cut.
  const QFontMetrics cells = fontMetrics();
  const QFontMetrics headers = header()->fontMetrics();
  const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header()) + 4;
  const auto widest = [&](int column, std::initializer_list<const char*> texts) {
    int width = headers.horizontalAdvance(
        model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    for (const char* text : texts)
      width = std::max(width, cells.horizontalAdvance(QString::fromLatin1(text)));
    return width + padding;
  };
  std::vector<ColumnNeed> needs(static_cast<size_t>(model_->columnCount()));
  needs[kNameColumn].floor = cells.averageCharWidth() * 18 + indentation() +
                             style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
  if (needs.size() != kFileColumnCount) return needs;
  needs[kConditionColumn] = {widest(kConditionColumn, {"Time-stamp based", "Version based"}),
                             cells.horizontalAdvance(QStringLiteral("Version…")) + padding};
  needs[kTargetsColumn] = {widest(kTargetsColumn, {"All"}),
                           cells.horizontalAdvance(QStringLiteral("All")) + padding};
  const int size = widest(kSizeColumn, {"1000 Bytes", "99999 KB"});
  needs[kSizeColumn] = {size, size};
  // The header makes no section narrower than its minimum.
  for (ColumnNeed& need : needs) need.floor = std::max(need.floor, header()->minimumSectionSize());
  return needs;
}

QSize ItemTreeView::minimumSizeHint() const {
  QSize size = QTreeView::minimumSizeHint();
  if (model_->columnCount() > 1) size.setWidth(NarrowestWidth());
  return size;
}

QSize ItemTreeView::sizeHint() const {
  // Several columns ask for their natural widths and a name column half as
  // wide again as its floor, not for the widest name: the page's other
  // parts give way first, and the name column takes whatever room is left.
  QSize size = QTreeView::sizeHint();
  if (model_->columnCount() < 2) return size;
  const std::vector<ColumnNeed> needs = ColumnNeeds();
  int width = NarrowestWidth() - needs.front().floor / 2;
  for (const ColumnNeed& need : needs) width += std::max(need.natural, need.floor) - need.floor;
  width += needs.front().floor;
  size.setWidth(width);
  return size;
}

int ItemTreeView::NarrowestWidth() const {
  int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  for (const ColumnNeed& need : ColumnNeeds()) width += need.floor;
  return width;
}

void ItemTreeView::FitColumnsToView() {
  if (model_->columnCount() < 2) return;
  const std::vector<int> widths =
      FitColumns(viewport()->width(), ColumnNeeds(), {kTargetsColumn, kConditionColumn});
  for (size_t column = 0; column < widths.size(); ++column)
    setColumnWidth(static_cast<int>(column), widths[column]);
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
  // Only the name's icon and text are the node, not the other columns.
  if (index.column() > 0) return nullptr;
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

TreeViewsKept::TreeViewsKept(const QWidget& root) {
  for (ItemTreeView* view : root.findChildren<ItemTreeView*>())
    kept_.emplace_back(view, view->SaveState());
}

TreeViewsKept::~TreeViewsKept() {
  for (const auto& [view, state] : kept_) {
    if (!view) continue;
    view->collapseAll();
    view->RestoreState(state);
  }
}

}  // namespace tidewell::app
