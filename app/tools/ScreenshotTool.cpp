// Renders the main window on each page (and the update-files page at the
// window's smallest size), the project dialog, the About dialog and the
// dialogs of the pages to PNG files, for the README:
//   tidewell-screenshots PROJECT OUTPUT_FOLDER
// Run it offscreen (QT_QPA_PLATFORM=offscreen) with its own configuration
// folder, so no user's preferences are read or written.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "build/ClientBehaviours.h"
#include "build/IconCatalogue.h"
#include "build/ToolFolder.h"
#include "dialogs/IconSelectionDialog.h"
#include "dialogs/UserTextDialog.h"
#include "pages/files/AutoCompareDialog.h"
#include "pages/files/ShellExecDialog.h"
#include "pages/registry/RegistryItemDialog.h"
#include "platform/Prompt.h"
#include "project/ProjectDialogRules.h"
#include "shell/AboutDialog.h"
#include "shell/MainWindow.h"
#include "shell/MenuTexts.h"
#include "shell/PageHost.h"
#include "shell/ProjectDialog.h"
#include "shell/QtPreferences.h"
#include "shell/QtPrompt.h"
#include "shell/QtText.h"
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

QString FileNameOf(const char* text) {
  return QString::fromLatin1(text).toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

}  // namespace

int main(int argc, char* argv[]) {
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
  saved &= SaveDialog(icons, output, QStringLiteral("icon-selection"));
  balloons.CloseAll();

  // The smallest window still shows the trees of the update-files page.
  window.showNormal();
  window.resize(window.minimumSize());
  window.ShowPage(static_cast<int>(Command::ServerFilesPage));
  saved &= Save(window, output, QStringLiteral("main-server-files-smallest"));
  return saved ? 0 : 1;
}
