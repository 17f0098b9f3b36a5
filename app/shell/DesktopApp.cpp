#include "shell/DesktopApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QTimer>
#include <exception>
#include <filesystem>
#include <memory>

#include "TidewellVersion.h"
#include "build/ToolFolder.h"
#include "shell/FontEngine.h"
#include "shell/MainWindow.h"
#include "shell/ProductIcons.h"
#include "shell/QtPreferences.h"
#include "shell/QtPrompt.h"
#include "text/Text.h"
#include "toolkit/Balloon.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/HoverHelp.h"

namespace tidewell::app {

namespace {

constexpr int kExitAfterClose = 1;
constexpr int kExitWithoutWindow = 0;

// The tool's folder first, then the working directory.
std::vector<WString> UpdateServiceSources() {
  std::vector<WString> sources{RunningToolFolder()};
  std::error_code error;
  const std::filesystem::path working = std::filesystem::current_path(error);
  if (!error) sources.push_back(text::FromPath(working));
  return sources;
}

QString ProjectArgument(const QApplication& application) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Describes how installed copies of an application are updated."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(
      QStringLiteral("project"),
      QStringLiteral("A project file to open, or the folder holding its Settings.xml."),
      QStringLiteral("[project]"));
  parser.process(application);
  const QStringList arguments = parser.positionalArguments();
  return arguments.isEmpty() ? QString() : QDir::toNativeSeparators(arguments.first());
}

}  // namespace

int RunDesktopTool(int argc, char* argv[], bool quitWhenIdle) {
  PreferDirectWriteFonts();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tidewell"));
  QApplication::setOrganizationName(QStringLiteral("Tidewell"));
  QApplication::setApplicationVersion(QStringLiteral(TIDEWELL_VERSION_TEXT));
  QApplication::setDesktopFileName(QStringLiteral("tidewell"));
  const QString project = ProjectArgument(application);

  QtPreferences preferences;
  FieldRegistry fields;
  BalloonManager balloons;
  QtPrompt prompt(fields, balloons);
  HoverHelp hoverHelp(balloons);
  std::unique_ptr<MainWindow> window;
  try {
    MainWindowOptions options;
    options.updateServiceSources = UpdateServiceSources();
    window = std::make_unique<MainWindow>(prompt, preferences, fields, std::move(options));
  } catch (const std::exception&) {
    return kExitWithoutWindow;
  }
  QApplication::setWindowIcon(ProductIcon("tidewell"));
  prompt.SetMainWindow(window.get());
  prompt.SetStatusLabel(window->StatusLabel());
  if (quitWhenIdle) {
    QObject::connect(window.get(), &MainWindow::started, window.get(), [&window] {
      QTimer::singleShot(0, window.get(), [&window] {
        window->repaint();
        QApplication::exit(0);
      });
    });
  }
  window->Start(project);
  const int loopResult = QApplication::exec();
  return quitWhenIdle ? loopResult : kExitAfterClose;
}

}  // namespace tidewell::app
