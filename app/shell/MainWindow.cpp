#include "shell/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QMenu>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "build/ToolFolder.h"
#include "dialogs/ClientIconsRequest.h"
#include "dialogs/VariablesDialog.h"
#include "models/ItemTreeView.h"
#include "models/TreeEdits.h"
#include "project/AutoShowLoad.h"
#include "project/ProjectDocument.h"
#include "project/ProjectMessages.h"
#include "shell/AboutDialog.h"
#include "shell/MainActions.h"
#include "shell/MenuTexts.h"
#include "shell/PageHost.h"
#include "shell/ProductIcons.h"
#include "shell/ProjectDialog.h"
#include "shell/ProjectFileWatcher.h"
#include "shell/ProjectLocks.h"
#include "shell/QtPreferences.h"
#include "shell/QtText.h"
#include "shell/RecentMenu.h"
#include "dialogs/ProjectsFolder.h"
#include "shell/WindowState.h"
#include "toolkit/NavigationBar.h"

namespace tidewell::app {

namespace {

constexpr QSize kMinimumSize(600, 550);

DesktopProjectShell::DialogRunner ProjectDialogRunner(Prompt& prompt, Preferences& preferences,
                                                      FieldRegistry& fields, QWidget* owner) {
  return [&prompt, &preferences, &fields, owner](ProjectDialogMode mode) {
    ProjectDialogInput input;
    input.mode = mode;
    input.openChoices = ReadOpenPageChoices(preferences);
    input.initialLocation = InitialProjectLocation(ProjectsFolder(RunningToolFolder()));
    input.showLoadScreen = ReadAutoShowLoad(preferences);
    ProjectDialog dialog(input, prompt, fields, owner);
    dialog.exec();
    return dialog.Result();
  };
}

}  // namespace

MainWindow::MainWindow(Prompt& prompt, QtPreferences& preferences, FieldRegistry& fields,
                       MainWindowOptions options)
    : prompt_(prompt),
      preferences_(preferences),
      services_{prompt, fields, preferences, this, {}, {}, {}, {}} {
  setWindowTitle(QStringLiteral("Tidewell"));
  setMinimumSize(kMinimumSize);

  actions_ = new MainActions(*this);
  statusLabel_ = new QLabel(ToQString(kReadyStatus), this);
  statusLabel_->setContentsMargins(4, 0, 0, 0);
  statusBar()->addWidget(statusLabel_, 1);

  auto* area = new QWidget(this);
  auto* row = new QHBoxLayout(area);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  navigation_ = new NavigationBar(area);
  BuildNavigation();
  auto* divider = new QFrame(area);
  divider->setFrameShape(QFrame::VLine);
  divider->setFrameShadow(QFrame::Plain);
  divider->setForegroundRole(QPalette::Mid);
  services_.collectPages = [this] { pages_->CollectPages(); };
  services_.showPage = [this](int command) { ShowPage(command); };
  services_.setClientIcons = [this](const WString& source) {
    SetClientIcons(services_, lifecycle_->Document(), source);
  };
  pages_ = new PageHost(services_, options.createPages, area);
  // The one variables dialog of the process, made on its first use; it
  // follows the document the pages are bound to.
  services_.showVariables = [this, &prompt, &fields] {
    if (!variables_) {
      variables_ = new VariablesDialog(prompt, fields, this);
      variables_->SetList(boundVariables_);
    }
    variables_->ShowVariables();
  };
  connect(pages_, &PageHost::documentBound, this, [this](ProjectDocument& document) {
    boundVariables_ = &document.variables;
    if (variables_) variables_->SetList(boundVariables_);
  });
  pages_->setContentsMargins(14, 12, 14, 10);
  row->addWidget(navigation_);
  row->addWidget(divider);
  row->addWidget(pages_, 1);
  setCentralWidget(area);

  if (!options.runProjectDialog)
    options.runProjectDialog = ProjectDialogRunner(prompt, preferences, fields, this);
  shell_ = std::make_unique<DesktopProjectShell>(*pages_, actions_->Recent(), *this,
                                                 std::move(options.runProjectDialog));
  locks_ = std::make_unique<ProjectLocks>(options.lockFolder);
  watcher_ = new ProjectFileWatcher(this);
  shell_->SetProjectFileServices(locks_.get(), watcher_);
  shell_->SetUndoView(
      [this](bool canUndo, bool canRedo) { actions_->ShowUndoState(canUndo, canRedo); });
  lifecycle_ = std::make_unique<ProjectLifecycle>(prompt, preferences, *shell_,
                                                  std::move(options.updateServiceSources));
  shell_->SetLifecycle(*lifecycle_);
  pages_->BindPages(lifecycle_->Document());

  connect(actions_, &MainActions::commandTriggered, this, &MainWindow::RunCommand);
  connect(&actions_->Recent(), &RecentMenu::projectChosen, this,
          [this](const QString& path) { lifecycle_->OpenProjectFile(ToWString(path)); });
  connect(navigation_, &NavigationBar::itemChosen, this, &MainWindow::RunCommand);
  connect(&TreeEdits::Instance(), &TreeEdits::committed, this,
          [this] { lifecycle_->EditCommitted(); });
  connect(watcher_, &ProjectFileWatcher::changed, this, [this] {
    // Not in the middle of a flow: it looks again once the flow is done.
    if (commandDepth_ > 0 || QApplication::activeModalWidget()) {
      QTimer::singleShot(250, watcher_, &ProjectFileWatcher::changed);
      return;
    }
    lifecycle_->ProjectFileChanged();
  });
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
    if (old && !fieldCheckPosted_) {
      fieldCheckPosted_ = true;
      QTimer::singleShot(0, this, &MainWindow::NoticeFieldEdits);
    }
  });
  connect(actions_->EditMenu(), &QMenu::aboutToShow, this, &MainWindow::NoticeFieldEdits);

  const NavigationPosition start = StartNavigationPosition(preferences_, *navigation_);
  navigation_->Select(start);
  pages_->ShowPage(navigation_->SelectedData(), false);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildNavigation() {
  navigation_->SetIconSize(kNavigationIconSize);
  for (const char* group : kNavigationGroups) navigation_->AddGroup(QString::fromLatin1(group));
  for (const NavigationText& item : kNavigationItems) {
    navigation_->AddItem(item.group, QString::fromLatin1(item.text),
                         ProductIcon(item.icon), static_cast<int>(item.command),
                         item.command != Command::About);
  }
}

void MainWindow::Start(const QString& projectPath) {
  if (RestorePlacement(preferences_, *this))
    show();
  else
    showMaximized();
  // The start-up runs inside the event loop, once the window is on screen.
  QTimer::singleShot(0, this, [this, projectPath] {
    if (projectPath.isEmpty())
      lifecycle_->StartUp();
    else
      lifecycle_->StartUpWithProject(ToWString(projectPath));
    emit started();
  });
}

void MainWindow::ShowPage(int command) {
  if (!pages_->ShowPage(command)) return;
  navigation_->Select(navigation_->Find(command));
}

void MainWindow::NoticeFieldEdits() {
  fieldCheckPosted_ = false;
  if (commandDepth_ > 0 || closed_ || QApplication::activeModalWidget()) return;
  lifecycle_->FieldsMayHaveChanged();
}

void MainWindow::RunCommand(int command) {
  ++commandDepth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{commandDepth_};
  switch (static_cast<Command>(command)) {
    // The trees of the restored document open where they were open.
    case Command::Undo: {
      TreeViewsKept kept(*pages_);
      lifecycle_->UndoCommand();
      break;
    }
    case Command::Redo: {
      TreeViewsKept kept(*pages_);
      lifecycle_->RedoCommand();
      break;
    }
    case Command::New: lifecycle_->NewCommand(); break;
    case Command::Open: lifecycle_->OpenCommand(); break;
    case Command::Save: lifecycle_->SaveCommand(); break;
    case Command::SaveAs: lifecycle_->SaveAsCommand(); break;
    case Command::Exit: close(); break;
    case Command::About: ShowAbout(); break;
    case Command::PreviewClient:
    case Command::CheckForUpdateNow: pages_->Pages().release->HandleCommand(command); break;
    default: ShowPage(command); break;
  }
}

void MainWindow::ShowAbout() {
  AboutDialog about(this);
  about.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (closed_) return;
  if (!lifecycle_->CloseRequested()) {
    event->ignore();
    return;
  }
  closed_ = true;
  StoreWindowState(preferences_, *this, navigation_->Selected());
  lifecycle_->Shutdown();
  event->accept();
}

}  // namespace tidewell::app
