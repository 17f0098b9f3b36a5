#include "shell/DesktopProjectShell.h"

#include <QWidget>

#include "shell/PageHost.h"
#include "shell/ProjectFileWatcher.h"
#include "shell/ProjectLocks.h"
#include "shell/QtText.h"
#include "shell/RecentMenu.h"

namespace tidewell::app {

DesktopProjectShell::DesktopProjectShell(PageHost& pages, RecentMenu& recent, QWidget& window,
                                         DialogRunner runDialog)
    : pages_(pages), recent_(recent), window_(window), runDialog_(std::move(runDialog)) {}

ProjectDialogResult DesktopProjectShell::RunProjectDialog(ProjectDialogMode mode) {
  return runDialog_ ? runDialog_(mode) : ProjectDialogResult{};
}

void DesktopProjectShell::CollectPages() { pages_.CollectPages(); }

void DesktopProjectShell::LoadPages() {
  if (lifecycle_) pages_.LoadPages(lifecycle_->Document());
}

void DesktopProjectShell::ShowTitle(const WString& title) {
  window_.setWindowTitle(ToQString(title) + QStringLiteral("[*]"));
}

void DesktopProjectShell::ShowEditState(bool modified, bool canUndo, bool canRedo) {
  window_.setWindowModified(modified);
  if (undoView_) undoView_(canUndo, canRedo);
}

bool DesktopProjectShell::LockProject(const WString& path) {
  return !locks_ || locks_->Lock(ToQString(path));
}

void DesktopProjectShell::UnlockProject(const WString& path) {
  if (locks_) locks_->Unlock(ToQString(path));
}

void DesktopProjectShell::WatchProjectFile(const WString& path) {
  if (watcher_) watcher_->Watch(ToQString(path));
}

void DesktopProjectShell::ShowRecentProjects(const RecentList& list) { recent_.Show(list); }

}  // namespace tidewell::app
