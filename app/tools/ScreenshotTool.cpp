// Renders the main window on each page (and the update-files page at the
// window's smallest size), the project dialog, the About dialog, the dialogs
// of the pages, the Edit menu after an edit, and the boxes of a project file
// changed on disk and of a failed save, to PNG files, for the README:
//   tidewell-screenshots PROJECT OUTPUT_FOLDER
// Run it offscreen (QT_QPA_PLATFORM=offscreen) with its own configuration
// folder, so no user's preferences are read or written.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "build/ClientBehaviours.h"
#include "build/IconCatalogue.h"
#include "build/ToolFolder.h"
#include "dialogs/ClientImages.h"
#include "dialogs/IconSelectionDialog.h"
#include "dialogs/UserTextDialog.h"
#include "files/TreePath.h"
#include "models/ItemTreeView.h"
#include "pages/PageSet.h"
#include "pages/files/AutoCompareDialog.h"
#include "pages/files/ServerFilesPage.h"
#include "pages/files/ShellExecDialog.h"
#include "pages/registry/RegistryItemDialog.h"
#include "platform/Prompt.h"
#include "project/ProjectDialogRules.h"
#include "project/ProjectDocument.h"
#include "shell/AboutDialog.h"
#include "shell/DeferredPage.h"
#include "shell/FontEngine.h"
#include "shell/MainActions.h"
#include "shell/MainWindow.h"
#include "shell/MenuTexts.h"
#include "shell/PageHost.h"
#include "shell/ProjectDialog.h"
#include "shell/QtPreferences.h"
#include "shell/QtPrompt.h"
#include "shell/QtText.h"
#include "text/Text.h"
#include "toolkit/Balloon.h"
#include "toolkit/FieldRegistry.h"

using namespace tidewell;
using namespace tidewell::app;

namespace {

constexpr QSize kWindowSize(860, 600);

bool Save(QWidget& widget, const QDir& folder, const QString& name) {
  QApplication::processEvents();
  const QString path = folder.filePath(name + QStringLiteral(".png"));
  if (!widget.grab().save(path, "PNG", 9)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

bool SaveDialog(QWidget& dialog, const QDir& folder, const QString& name) {
  dialog.show();
  const bool saved = Save(dialog, folder, name);
  dialog.hide();
  return saved;
}

// The window with an open menu drawn over it where it shows.
bool SaveWithMenu(QWidget& window, QMenu& menu, const QDir& folder, const QString& name) {
  QApplication::processEvents();
  QPixmap shot = window.grab();
  QPainter painter(&shot);
  painter.drawPixmap(window.mapFromGlobal(menu.pos()), menu.grab());
  painter.end();
  const QString path = folder.filePath(name + QStringLiteral(".png"));
  if (!shot.save(path, "PNG", 9)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

// Saves the message box `show` opens, then closes it with its Escape button.
bool SaveMessageBox(const std::function<void()>& show, const QDir& folder, const QString& name) {
  bool saved = false;
  // Looked for until it is open: on a busy machine the box can take longer
  // than any fixed wait, and a box left open would stop the whole run.
  QTimer poll;
  poll.setInterval(100);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      poll.stop();
      saved = Save(*box, folder, name);
      box->close();
    }
  });
  poll.start();
  show();
  poll.stop();
  return saved;
}

std::string ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

QString FileNameOf(const char* text) {
  return QString::fromLatin1(text).toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

}  // namespace

int main(int argc, char* argv[]) {
  PreferDirectWriteFonts();
  QApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: tidewell-screenshots PROJECT OUTPUT_FOLDER\n");
    return 2;
  }
  const QString project = QString::fromLocal8Bit(argv[1]);
  QDir output(QString::fromLocal8Bit(argv[2]));
  if (!output.mkpath(QStringLiteral("."))) return 1;

  QtPreferences preferences;
  FieldRegistry fields;
  BalloonManager balloons;
  QtPrompt prompt(fields, balloons);
  MainWindow window(prompt, preferences, fields);
  prompt.SetMainWindow(&window);
  prompt.SetStatusLabel(window.StatusLabel());
  window.resize(kWindowSize);
  window.show();
  window.Lifecycle().StartUpWithProject(ToWString(QDir::toNativeSeparators(project)));

  bool saved = true;
  for (const NavigationText& item : kNavigationItems) {
    if (item.command == Command::About) continue;
    window.ShowPage(static_cast<int>(item.command));
    saved &= Save(window, output, QStringLiteral("main-") + FileNameOf(item.text));
  }

  // A folder of the server files deleted: Undo waits in the Edit menu.
  window.ShowPage(static_cast<int>(Command::ServerFilesPage));
  auto* files = static_cast<DeferredPage*>(window.Pages()->Pages().serverFiles);
  if (auto* page = qobject_cast<ServerFilesPage*>(files->Made())) {
    ProjectDocument& document = window.Lifecycle().Document();
    const std::vector<TreeNode*>& top = document.fileTree.Children(nullptr);
    if (!top.empty() && !document.fileTree.Children(top.front()).empty())
      emit page->FileView()->deleteRequested(document.fileTree.Children(top.front()).front());
  }
  QMenu* edit = window.Actions()->EditMenu();
  window.menuBar()->setActiveAction(edit->menuAction());
  QApplication::processEvents();
  saved &= SaveWithMenu(window, *edit, output, QStringLiteral("main-edit-menu"));
  edit->close();

  // Another program changes the project file; the save asks first. Then the
  // file, as it was, is made read-only: the save fails and says why.
  const std::filesystem::path file = text::ToPath(window.Lifecycle().Document().ProjectFilePath());
  const std::string original = ReadFileBytes(file);
  WriteFileBytes(file, original + " ");
  saved &= SaveMessageBox([&] { window.Lifecycle().SaveCommand(); }, output,
                          QStringLiteral("changed-on-disk"));
  WriteFileBytes(file, original);
  namespace fs = std::filesystem;
  const fs::perms permissions = fs::status(file).permissions();
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  saved &= SaveMessageBox([&] { window.Lifecycle().SaveCommand(); }, output,
                          QStringLiteral("save-error"));
  fs::permissions(file, permissions);

  ProjectDialogInput input;
  input.mode = ProjectDialogMode::OpenMode;
  input.openChoices = ReadOpenPageChoices(preferences);
  ProjectDialog dialog(input, prompt, fields, &window);
  dialog.show();
  saved &= Save(dialog, output, QStringLiteral("project-dialog"));
  dialog.hide();

  AboutDialog about(&window);
  about.show();
  saved &= Save(about, output, QStringLiteral("about"));
  about.hide();

  PageServices& services = window.Services();
  AutoCompareDialog compare(services, {}, &window);
  saved &= SaveDialog(compare, output, QStringLiteral("automatic-file-addition"));
  ShellExecDialog execution(services, {}, &window);
  saved &= SaveDialog(execution, output, QStringLiteral("file-execution"));
  RegistryItemDialog registry(services, &window);
  saved &= SaveDialog(registry, output, QStringLiteral("registry-item"));
  const MessageRow& terms = *std::find_if(kMessageRows.begin(), kMessageRows.end(),
                                          [](const MessageRow& row) {
                                            return row.key == SettingKey::License;
                                          });
  UserTextDialog text({ToQString(WString(terms.dialogTitle)), ToQString(WString(terms.prompt)),
                       u"", {}, {}, {}},
                      &window);
  saved &= SaveDialog(text, output, QStringLiteral("user-text"));
  IconSelectionDialog icons(DefaultIconSource(RunningToolFolder()), prompt, fields, &window);
  const ClientImages client =
      ReadClientImages(window.Lifecycle().Document().ClientExecutablePath());
  icons.SetCurrentIcons(client.largeIcon, client.smallIcon);
  saved &= SaveDialog(icons, output, QStringLiteral("icon-selection"));
  balloons.CloseAll();

  // The smallest window still shows the trees of the update-files page.
  window.showNormal();
  window.resize(window.minimumSize());
  window.ShowPage(static_cast<int>(Command::ServerFilesPage));
  saved &= Save(window, output, QStringLiteral("main-server-files-smallest"));
  return saved ? 0 : 1;
}
