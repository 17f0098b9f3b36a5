#pragma once

#include <functional>

#include "project/Lifecycle.h"

class QWidget;

namespace tidewell::app {

class PageHost;
class ProjectFileWatcher;
class ProjectLocks;
class RecentMenu;

// The main window's side of the project flows: the project dialog, the two
// exchanges with the pages, the title and the recent-projects menu.
class DesktopProjectShell final : public ProjectShell {
 public:
  using DialogRunner = std::function<ProjectDialogResult(ProjectDialogMode)>;
  // Shows whether there is an edit to undo and to redo.
  using UndoView = std::function<void(bool canUndo, bool canRedo)>;

  DesktopProjectShell(PageHost& pages, RecentMenu& recent, QWidget& window,
                      DialogRunner runDialog);
  // The marks of open projects and the watch on the project file; without
  // them projects are neither marked nor watched.
  void SetProjectFileServices(ProjectLocks* locks, ProjectFileWatcher* watcher) {
    locks_ = locks;
    watcher_ = watcher;
  }
  void SetUndoView(UndoView view) { undoView_ = std::move(view); }
  // The flows whose document the pages load; set once, before the start-up.
  void SetLifecycle(ProjectLifecycle& lifecycle) { lifecycle_ = &lifecycle; }

  ProjectDialogResult RunProjectDialog(ProjectDialogMode mode) override;
  void CollectPages() override;
  void LoadPages() override;
  void ShowTitle(const WString& title) override;
  void ShowRecentProjects(const RecentList& list) override;
  // The title carries Qt's modified mark.
  void ShowEditState(bool modified, bool canUndo, bool canRedo) override;
  bool LockProject(const WString& path) override;
  void UnlockProject(const WString& path) override;
  void WatchProjectFile(const WString& path) override;

 private:
  PageHost& pages_;
  RecentMenu& recent_;
  QWidget& window_;
  DialogRunner runDialog_;
  ProjectLifecycle* lifecycle_ = nullptr;
  ProjectLocks* locks_ = nullptr;
  ProjectFileWatcher* watcher_ = nullptr;
  UndoView undoView_;
};

}  // namespace tidewell::app
