#pragma once

#include <QObject>
#include <map>
#include <vector>

#include "shell/PageCommands.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace tidewell::app {

class RecentMenu;

// The main window's menu bar and toolbar: every command with its text,
// shortcut, status prompt and icon, the recent projects in the File menu, and
// the page shortcuts Ctrl+1 to Ctrl+5.
class MainActions : public QObject {
  Q_OBJECT

 public:
  explicit MainActions(QMainWindow& window);

  QAction* Action(Command command) const;
  RecentMenu& Recent() const { return *recent_; }
  QMenu* FileMenu() const { return fileMenu_; }
  QMenu* EditMenu() const { return editMenu_; }
  // The actions of Ctrl+1 to Ctrl+5, in that order.
  const std::vector<QAction*>& PageShortcuts() const { return pageShortcuts_; }
  void ShowUndoState(bool canUndo, bool canRedo);
  QToolBar* ToolBar() const { return toolBar_; }

 signals:
  void commandTriggered(int command);

 private:
  QAction* Add(QMenu* menu, const struct CommandText& entry);

  std::map<Command, QAction*> actions_;
  QMenu* fileMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  std::vector<QAction*> pageShortcuts_;
  QToolBar* toolBar_ = nullptr;
  RecentMenu* recent_ = nullptr;
};

}  // namespace tidewell::app
