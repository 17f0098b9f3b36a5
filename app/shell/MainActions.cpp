#include "shell/MainActions.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>
#include <iterator>

#include "shell/MenuTexts.h"
#include "shell/ProductIcons.h"
#include "shell/RecentMenu.h"

namespace tidewell::app {

MainActions::MainActions(QMainWindow& window) : QObject(&window) {
  fileMenu_ = window.menuBar()->addMenu(QString::fromLatin1(kFileMenuText));
  for (const CommandText& entry : kFileCommands) {
    if (entry.command == Command::Exit) {
      // The recent projects stand between "Save As..." and "Exit", each
      // part set off by a separator.
      QAction* recentEnd = fileMenu_->addSeparator();
      recent_ = new RecentMenu(*fileMenu_, recentEnd, this);
    }
    Add(fileMenu_, entry);
    if (entry.command == Command::Open || entry.command == Command::SaveAs)
      fileMenu_->addSeparator();
  }

  editMenu_ = window.menuBar()->addMenu(QString::fromLatin1(kEditMenuText));
  for (const CommandText& entry : kEditCommands) Add(editMenu_, entry)->setEnabled(false);
  QAction* redo = Action(Command::Redo);
  redo->setShortcuts({redo->shortcut(), QKeySequence(QString::fromLatin1(kRedoAlternativeShortcut))});

  // Shortcuts without a menu item: each shows a page.
  for (size_t i = 0; i < std::size(kPageShortcutOrder); ++i) {
    auto* show = new QAction(this);
    show->setShortcut(QKeySequence(QStringLiteral("Ctrl+%1").arg(i + 1)));
    show->setShortcutContext(Qt::WindowShortcut);
    const int command = static_cast<int>(kPageShortcutOrder[i]);
    show->setData(command);
    connect(show, &QAction::triggered, this, [this, command] { emit commandTriggered(command); });
    window.addAction(show);
    pageShortcuts_.push_back(show);
  }

  QMenu* help = window.menuBar()->addMenu(QString::fromLatin1(kHelpMenuText));
  for (const CommandText& entry : kHelpCommands) {
    Add(help, entry);
    if (entry.command == Command::PreviewClient) help->addSeparator();
  }

  toolBar_ = window.addToolBar(QString::fromLatin1(kToolBarTitle));
  toolBar_->setObjectName(QStringLiteral("standardToolBar"));
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(24, 24));
  for (Command command : kToolBarCommands) {
    if (command == Command{})
      toolBar_->addSeparator();
    else
      toolBar_->addAction(Action(command));
  }
}

QAction* MainActions::Add(QMenu* menu, const CommandText& entry) {
  auto* action = menu->addAction(QString::fromLatin1(entry.text));
  if (*entry.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
  action->setStatusTip(QString::fromLatin1(entry.prompt));
  if (*entry.icon) action->setIcon(ProductIcon(entry.icon));
  // The toolbar shows the menu text without its mnemonic and its shortcut.
  QString tip = QString::fromLatin1(entry.text).remove(QLatin1Char('&'));
  if (tip.endsWith(QStringLiteral("..."))) tip.chop(3);
  if (*entry.shortcut) tip += QStringLiteral(" (%1)").arg(action->shortcut().toString(
                                QKeySequence::NativeText));
  action->setToolTip(tip);
  const int command = static_cast<int>(entry.command);
  action->setData(command);
  connect(action, &QAction::triggered, this, [this, command] { emit commandTriggered(command); });
  actions_[entry.command] = action;
  return action;
}

void MainActions::ShowUndoState(bool canUndo, bool canRedo) {
  Action(Command::Undo)->setEnabled(canUndo);
  Action(Command::Redo)->setEnabled(canRedo);
}

QAction* MainActions::Action(Command command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

}  // namespace tidewell::app
