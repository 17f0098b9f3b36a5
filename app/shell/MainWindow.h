#pragma once

#include <QMainWindow>
#include <memory>
#include <vector>

#include "pages/PageSet.h"
#include "shell/DesktopProjectShell.h"
#include "shell/PageServices.h"

class QLabel;

namespace tidewell {
class Prompt;
class VariableList;
}

namespace tidewell::app {

class FieldRegistry;
class MainActions;
class NavigationBar;
class PageHost;
class ProjectFileWatcher;
class ProjectLocks;
class VariablesDialog;
class QtPreferences;

struct MainWindowOptions {
  // Where new projects take their update service from, in order.
  std::vector<WString> updateServiceSources;
  // Runs the project dialog; empty: the "Project management" dialog.
  DesktopProjectShell::DialogRunner runProjectDialog;
  // Makes the five pages; empty: the product's pages.
  std::function<PageSet(PageServices&, QWidget*)> createPages;
  // Where the marks of open projects are kept; empty: the configuration folder.
  QString lockFolder;
};

// The one window of the tool. It assembles the menus and toolbar, the status
// bar, the navigation bar and the pages, and routes their commands to the
// project flows and the pages.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(Prompt& prompt, QtPreferences& preferences, FieldRegistry& fields,
             MainWindowOptions options = {});
  ~MainWindow() override;

  // Shows the window where it was left (maximised the first time) and posts
  // the start-up: the project named on the command line, or the ordinary
  // start with its project dialog.
  void Start(const QString& projectPath = {});

  // Carries out a command of the menus, the toolbar or the navigation bar.
  void RunCommand(int command);
  // Shows a page and selects its navigation item.
  void ShowPage(int command);

  QLabel* StatusLabel() const { return statusLabel_; }
  NavigationBar* Navigation() const { return navigation_; }
  PageHost* Pages() const { return pages_; }
  MainActions* Actions() const { return actions_; }
  ProjectLifecycle& Lifecycle() { return *lifecycle_; }
  ProjectFileWatcher& FileWatcher() const { return *watcher_; }
  PageServices& Services() { return services_; }

 signals:
  // The start-up ran: the pages show the project, the window waits for the user.
  void started();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildNavigation();
  void ShowAbout();
  // Fields typed into a page count as an edit once the focus leaves them.
  void NoticeFieldEdits();

  Prompt& prompt_;
  QtPreferences& preferences_;
  PageServices services_;
  MainActions* actions_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  NavigationBar* navigation_ = nullptr;
  PageHost* pages_ = nullptr;
  VariablesDialog* variables_ = nullptr;
  VariableList* boundVariables_ = nullptr;
  std::unique_ptr<ProjectLocks> locks_;
  ProjectFileWatcher* watcher_ = nullptr;
  std::unique_ptr<DesktopProjectShell> shell_;
  std::unique_ptr<ProjectLifecycle> lifecycle_;
  bool closed_ = false;
  bool fieldCheckPosted_ = false;
  int commandDepth_ = 0;
};

}  // namespace tidewell::app
