#pragma once

#include <functional>

#include "project/Lifecycle.h"

class QWidget;

namespace tidewell::app {

class PageHost;
class RecentMenu;

// The main window's side of the project flows: the project dialog, the two
// exchanges with the pages, the title and the recent-projects menu.
class DesktopProjectShell final : public ProjectShell {
 public:
  using DialogRunner = std::function<ProjectDialogResult(ProjectDialogMode)>;

  DesktopProjectShell(PageHost& pages, RecentMenu& recent, QWidget& window,
                      DialogRunner runDialog);
  // The flows whose document the pages load; set once, before the start-up.
  void SetLifecycle(ProjectLifecycle& lifecycle) { lifecycle_ = &lifecycle; }

  ProjectDialogResult RunProjectDialog(ProjectDialogMode mode) override;
  void CollectPages() override;
  void LoadPages() override;
  void ShowTitle(const WString& title) override;
  void ShowRecentProjects(const RecentList& list) override;

 private:
  PageHost& pages_;
  RecentMenu& recent_;
  QWidget& window_;
  DialogRunner runDialog_;
  ProjectLifecycle* lifecycle_ = nullptr;
};

}  // namespace tidewell::app
