#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTreeView>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "files/ItemTree.h"
#include "models/ItemTreeModel.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "shell/PageServices.h"
#include "shell/QtText.h"
#include "support/ScriptedPrompt.h"
#include "toolkit/FieldRegistry.h"

namespace tidewell::testing {

// What a page needs around it in a test: the scripted prompt, the field
// registry, preferences and one open document.
struct PageHarness {
  ScriptedPrompt prompt;
  app::FieldRegistry fields;
  MemoryPreferences preferences;
  app::PageServices services{prompt, fields, preferences, nullptr, {}, {}, {}, {}};
  std::unique_ptr<ProjectDocument> document = std::make_unique<ProjectDocument>();

  std::vector<PromptEvent> Messages() const { return prompt.Of(PromptEvent::Kind::Message); }
  std::vector<PromptEvent> Balloons() const { return prompt.Of(PromptEvent::Kind::Balloon); }
};

// Acts on the modal dialog of type D once it is open (the page's exec() is
// running), then lets the test go on. Fails the test when none opens.
template <typename D>
void WhenModal(std::function<void(D*)> act, int attempts = 50) {
  QTimer::singleShot(0, [act, attempts] {
    if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
      act(dialog);
      return;
    }
    if (attempts > 0) {
      WhenModal<D>(act, attempts - 1);
      return;
    }
    QFAIL("the dialog did not open");
  });
}

// The model shows exactly the core tree: every node, in order, with its
// name, and no more rows than the tree has nodes.
inline bool ModelMatchesTree(const app::ItemTreeModel& model, const ItemTree& tree,
                             const QModelIndex& parent = {}, const TreeNode* node = nullptr) {
  const auto& children = tree.Children(node);
  if (model.rowCount(parent) != static_cast<int>(children.size())) return false;
  for (size_t row = 0; row < children.size(); ++row) {
    const QModelIndex index = model.index(static_cast<int>(row), 0, parent);
    if (model.NodeOf(index) != children[row]) return false;
    if (index.data().toString() != app::ToQString(children[row]->name)) return false;
    if (model.parent(index) != parent) return false;
    if (!ModelMatchesTree(model, tree, index, children[row])) return false;
  }
  return true;
}

// The rows the view shows, top to bottom, are the nodes of the core tree in
// order, descending into exactly the folders the view has open. The view
// keeps its own list of shown rows; a change it was not told of leaves that
// list behind the tree.
inline bool ViewMatchesTree(const QTreeView& view, const app::ItemTreeModel& model,
                            const ItemTree& tree) {
  std::vector<const TreeNode*> expected;
  std::function<void(const TreeNode*)> walk = [&](const TreeNode* parent) {
    for (const TreeNode* node : tree.Children(parent)) {
      expected.push_back(node);
      if (!node->children.empty() && view.isExpanded(model.IndexOf(node))) walk(node);
    }
  };
  walk(nullptr);
  std::vector<const TreeNode*> shown;
  for (QModelIndex index = model.index(0, 0); index.isValid(); index = view.indexBelow(index))
    shown.push_back(static_cast<const TreeNode*>(index.internalPointer()));
  return shown == expected;
}

}  // namespace tidewell::testing

namespace tidewell::testing {

// Opens the context menu of a tree at `pos` (viewport coordinates) and hands
// the menu to `act` while it is open; `act` closes it (Escape, or Return on
// an action).
inline void WithContextMenu(QAbstractItemView* view, const QPoint& pos,
                            std::function<void(QMenu*)> act) {
  QTimer::singleShot(0, [act] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) QFAIL("no context menu");
    act(menu);
  });
  QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(view->viewport(), &event);
}

inline QAction* MenuAction(QMenu* menu, const QString& text) {
  for (QAction* action : menu->actions())
    if (action->text() == text) return action;
  return nullptr;
}

// Chooses an action of an open menu as the keyboard would.
inline void Choose(QMenu* menu, QAction* action) {
  menu->setActiveAction(action);
  QTest::keyClick(menu, Qt::Key_Return);
}

}  // namespace tidewell::testing
