#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QLockFile>
#include <QCoreApplication>
#include <QProcess>
#include <QtTest>
#include <deque>
#include <memory>

#include "pages/PageSet.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "project/ProjectMessages.h"
#include "shell/DeferredPage.h"
#include "shell/MainWindow.h"
#include "shell/MenuTexts.h"
#include "shell/ProductIcons.h"
#include "shell/PageCommands.h"
#include "shell/PageHost.h"
#include "shell/ProjectFileWatcher.h"
#include "shell/ProjectLocks.h"
#include "shell/QtPreferences.h"
#include "shell/QtText.h"
#include "shell/RecentMenu.h"
#include "shell/MainActions.h"
#include "shell/WindowState.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/NavigationBar.h"

using namespace tidewell;
using namespace tidewell::app;
using tidewell::testing::PromptEvent;
using tidewell::testing::ReadBytes;
using tidewell::testing::ScriptedPrompt;
using tidewell::testing::TempDir;
using Outcome = ProjectDialogResult::Outcome;

namespace {

// A page that records each exchange with the settings in a shared log.
class RecordingPage final : public Page {
 public:
  RecordingPage(QString name, QStringList& log, QWidget* parent)
      : Page(parent), name_(std::move(name)), log_(log) {}
  void BindDocument(ProjectDocument&) override { log_ << "bind " + name_; }
  void LoadFromSettings() override { log_ << "load " + name_; }
  bool ValidateAndStore(bool) override {
    log_ << "store " + name_;
    return false;
  }

 private:
  QString name_;
  QStringList& log_;
};

// One main window over its own preferences file, prompt and scripted dialog.
struct Session {
  // `deferred`: each page is made on first use, as the product's pages are.
  explicit Session(const QString& settingsFile, bool deferred = false)
      : preferences(settingsFile) {
    MainWindowOptions options;
    options.runProjectDialog = [this](ProjectDialogMode mode) {
      dialogModes.push_back(mode);
      // What the user sees when the dialog is on screen.
      seenMaximised.push_back(window->isMaximized());
      seenPage.push_back(window->Pages()->VisibleCommand());
      seenTitle.push_back(window->windowTitle());
      if (dialogResults.empty()) return ProjectDialogResult{};
      ProjectDialogResult result = dialogResults.front();
      dialogResults.pop_front();
      return result;
    };
    options.createPages = [this, deferred](PageServices&, QWidget* parent) {
      const auto page = [this, deferred, parent](const QString& name) -> Page* {
        if (!deferred) return new RecordingPage(name, log, parent);
        return new DeferredPage(
            [this, name](QWidget* stand) { return new RecordingPage(name, log, stand); }, parent);
      };
      PageSet pages;
      pages.serverFiles = page("serverFiles");
      pages.registry = page("registry");
      pages.client = page("client");
      pages.clientBehaviours = page("clientBehaviours");
      pages.release = page("release");
      return pages;
    };
    window = std::make_unique<MainWindow>(prompt, preferences, fields, std::move(options));
  }
  // Starts and waits for the start-up to run.
  void Start(const QString& project = {}) {
    window->Start(project);
    QTRY_VERIFY(window->windowTitle() != QString() && startedLoads() > 0);
  }
  int startedLoads() const { return int(log.filter("load release").size()); }
  QStringList RecentLabels() const {
    QStringList labels;
    for (QAction* action : window->Actions()->Recent().Items())
      labels << action->text() + (action->isEnabled() ? "" : " (disabled)");
    return labels;
  }

  QtPreferences preferences;
  ScriptedPrompt prompt;
  FieldRegistry fields;
  QStringList log;
  std::deque<ProjectDialogResult> dialogResults;
  std::vector<ProjectDialogMode> dialogModes;
  std::vector<bool> seenMaximised;
  std::vector<int> seenPage;
  QStringList seenTitle;
  std::unique_ptr<MainWindow> window;
};

// The title as the user reads it when nothing is unsaved.
QString ShownTitle(const QWidget& window) {
  return QString(window.windowTitle()).remove(QStringLiteral("[*]"));
}

ProjectDialogResult NewProject(const TempDir& dir, const std::string& name) {
  ScriptedPrompt prompt;
  ProjectDialogResult result;
  result.outcome = Outcome::New;
  result.created = *ConfirmNewProject(text::FromUtf8(name), text::FromPath(dir / name), prompt);
  return result;
}

}  // namespace

Q_DECLARE_METATYPE(NavigationPosition)

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  TempDir dir_;
  int sessionCount_ = 0;
  QString settingsFile_;

  // A fresh preferences file for each test function.
  QString FreshSettings() {
    settingsFile_ = QString::fromStdString((dir_ / ("settings" + std::to_string(++sessionCount_) +
                                                    ".ini"))
                                               .string());
    return settingsFile_;
  }

 private slots:
  void FirstStartShowsTheOpenDialogAboveBuildMaximised() {
    Session session(FreshSettings());
    session.Start();
    QCOMPARE(session.dialogModes, std::vector<ProjectDialogMode>{ProjectDialogMode::OpenMode});
    QCOMPARE(session.seenMaximised, std::vector<bool>{true});
    QCOMPARE(session.seenPage, std::vector<int>{int(Command::ReleasePage)});
    QCOMPARE(session.seenTitle, QStringList{"Tidewell"});
    QCOMPARE(session.window->Navigation()->Selected(), (NavigationPosition{1, 0}));
    QCOMPARE(session.RecentLabels(), QStringList{"(empty) (disabled)"});
    QVERIFY(session.window->minimumSize() == QSize(600, 550));
    QCOMPARE(session.prompt.UnexpectedQuestions(), 0);
  }

  void PagesAreBoundOnceThenLoadedAndCollectedInOrder() {
    Session session(FreshSettings());
    const QStringList bindAll{"bind release", "bind client", "bind clientBehaviours",
                              "bind serverFiles", "bind registry"};
    QCOMPARE(session.log, bindAll);  // bound at creation, nothing stored
    session.log.clear();
    session.dialogResults.push_back(NewProject(dir_, "Bound"));
    session.Start();
    // The new project replaced the document: bound again, then loaded.
    const QStringList loadAll{"load release", "load client", "load clientBehaviours",
                              "load serverFiles", "load registry"};
    QCOMPARE(session.log, bindAll + loadAll);
    session.log.clear();
    session.window->RunCommand(int(Command::Save));
    QCOMPARE(session.log.first(5), (QStringList{"store release", "store client",
                                                "store clientBehaviours", "store serverFiles",
                                                "store registry"}));
    QVERIFY(session.log.filter("bind").isEmpty());  // the same document after a save
  }

  // Pages made on first use: at start-up only the page shown is made; the
  // first command makes the others as it collects them, in the same order.
  void OnlyThePageShownIsMadeUntilACommandCollectsThePages() {
    Session session(FreshSettings(), true);
    QVERIFY(session.log.isEmpty());
    session.dialogResults.push_back(NewProject(dir_, "Deferred"));
    session.Start();
    QCOMPARE(session.log, (QStringList{"bind release", "bind release", "load release"}));
    session.log.clear();
    session.window->RunCommand(int(Command::Save));
    QCOMPARE(session.log.first(13),
             (QStringList{"store release", "bind client", "load client", "store client",
                          "bind clientBehaviours", "load clientBehaviours", "store clientBehaviours",
                          "bind serverFiles", "load serverFiles", "store serverFiles",
                          "bind registry", "load registry", "store registry"}));
  }

  void ChoosingBuildStoresTheClientPageAndThePanesFirst_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("byPageRequest");
    QTest::addColumn<int>("target");
    QTest::addColumn<QStringList>("expected");
    const QStringList stores{"store release", "store client"};
    QTest::newRow("from another page")
        << int(Command::RegistryPage) << false << int(Command::ReleasePage) << stores;
    QTest::newRow("requested by a page")
        << int(Command::ClientPage) << true << int(Command::ReleasePage) << stores;
    QTest::newRow("already on Build")
        << int(Command::ReleasePage) << true << int(Command::ReleasePage) << stores;
    QTest::newRow("another page stores nothing")
        << int(Command::ReleasePage) << false << int(Command::ClientPage) << QStringList{};
  }
  void ChoosingBuildStoresTheClientPageAndThePanesFirst() {
    QFETCH(int, from);
    QFETCH(bool, byPageRequest);
    QFETCH(int, target);
    QFETCH(QStringList, expected);
    Session session(FreshSettings());
    session.preferences.WriteNumber({}, u"AutoShowLoad", 0);
    session.Start();
    session.window->ShowPage(from);
    session.log.clear();
    NavigationBar* bar = session.window->Navigation();
    if (byPageRequest)
      session.window->Services().showPage(target);
    else
      bar->Choose(bar->Find(target));
    QCOMPARE(session.log, expected);
    QCOMPARE(session.window->Pages()->VisibleCommand(), target);
    QCOMPARE(bar->SelectedData(), target);
  }

  void AboutLeavesTheSelectionOnThePage() {
    Session session(FreshSettings());
    session.preferences.WriteNumber({}, u"AutoShowLoad", 0);
    session.Start();
    session.window->ShowPage(int(Command::ServerFilesPage));
    QTimer::singleShot(0, [] {
      QWidget* about = QApplication::activeModalWidget();
      QVERIFY(about);
      QCOMPARE(about->windowTitle(), QStringLiteral("About Tidewell"));
      about->close();
    });
    NavigationBar* bar = session.window->Navigation();
    bar->Choose(bar->Find(int(Command::About)));
    QCOMPARE(bar->SelectedData(), int(Command::ServerFilesPage));
    QCOMPARE(session.window->Pages()->VisibleCommand(), int(Command::ServerFilesPage));
  }

  void CancelAtCloseKeepsTheWindowAndNoLeavesTheFile() {
    Session session(FreshSettings());
    session.dialogResults.push_back(NewProject(dir_, "Closing"));
    session.Start();
    QCOMPARE(ShownTitle(*session.window), QStringLiteral("Tidewell - Closing"));
    const auto file = dir_ / "Closing" / "Settings.xml";
    const std::string saved = ReadBytes(file);
    session.window->Lifecycle().Document().settings.SetSetting(SettingKey::AppTitle, u"Edited");

    session.prompt.QueueAnswer(Answer::Cancel);
    QVERIFY(!session.window->close());
    QVERIFY(session.window->isVisible());
    session.prompt.QueueAnswer(Answer::No);
    QVERIFY(session.window->close());
    QCOMPARE(ReadBytes(file), saved);
    const auto questions = session.prompt.Of(PromptEvent::Kind::Question);
    QCOMPARE(questions.size(), size_t(2));
    QCOMPARE(ToQString(questions[0].text),
             QStringLiteral("Do you want to save changes to 'Closing'?"));
    QCOMPARE(session.prompt.UnexpectedQuestions(), 0);
  }

  void PlacementAndNavigationSurviveARestart_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("minimise");
    QTest::addColumn<NavigationPosition>("position");
    QTest::newRow("registry") << int(Command::RegistryPage) << false << NavigationPosition{0, 3};
    QTest::newRow("client, left minimised")
        << int(Command::ClientBehavioursPage) << true << NavigationPosition{0, 1};
  }
  void PlacementAndNavigationSurviveARestart() {
    QFETCH(int, page);
    QFETCH(bool, minimise);
    QFETCH(NavigationPosition, position);
    const QString settings = FreshSettings();
    const QRect normal(40, 50, 700, 600);
    {
      Session first(settings);
      first.preferences.WriteNumber({}, u"AutoShowLoad", 0);
      first.Start();
      first.window->showNormal();
      first.window->setGeometry(normal);
      first.window->ShowPage(page);
      if (minimise) first.window->showMinimized();
      QVERIFY(first.window->close());
    }
    Session second(settings);
    QCOMPARE(second.window->Navigation()->Selected(), position);
    QCOMPARE(second.window->Pages()->VisibleCommand(), page);
    second.Start();
    QVERIFY(!second.window->isMinimized());
    QVERIFY(!second.window->isMaximized());
    QCOMPARE(second.window->geometry().size(), normal.size());
  }

  void StoredNavigationPositionsThatNameNoPage_data() {
    QTest::addColumn<QString>("pane");  // "text:" marks a value stored as text
    QTest::addColumn<QString>("item");
    QTest::addColumn<NavigationPosition>("selected");
    QTest::newRow("no key at all") << "" << "" << NavigationPosition{1, 0};
    QTest::newRow("missing item counts as 0") << "0" << "" << NavigationPosition{0, 0};
    QTest::newRow("a text is unreadable") << "text:1" << "2" << NavigationPosition{0, 2};
    QTest::newRow("About is no page") << "1" << "1" << NavigationPosition{1, 0};
    QTest::newRow("out of range") << "4" << "0" << NavigationPosition{1, 0};
    QTest::newRow("negative") << "0" << "-1" << NavigationPosition{1, 0};
  }
  void StoredNavigationPositionsThatNameNoPage() {
    QFETCH(QString, pane);
    QFETCH(QString, item);
    QFETCH(NavigationPosition, selected);
    QtPreferences preferences(FreshSettings());
    const std::pair<const char16_t*, QString> values[] = {{u"pane", pane}, {u"item", item}};
    for (const auto& [name, value] : values) {
      if (value.startsWith("text:"))
        preferences.WriteText({}, name, ToWString(value.mid(5)));
      else if (!value.isEmpty())
        preferences.WriteNumber({}, name, value.toInt());
    }
    if (pane.isEmpty() && item.isEmpty()) QVERIFY(!preferences.KeyExists());
    Session session(settingsFile_);
    QCOMPARE(session.window->Navigation()->Selected(), selected);
  }

  void RecentMenuAfterSixProjects() {
    Session session(FreshSettings());
    session.preferences.WriteNumber({}, u"AutoShowLoad", 0);
    session.Start();
    for (const char* name : {"P1", "P2", "P3", "P4", "P5", "P6"}) {
      session.dialogResults.push_back(NewProject(dir_, name));
      session.window->RunCommand(int(Command::New));
    }
    QCOMPARE(session.RecentLabels(), (QStringList{"&1 P6", "&2 P5", "&3 P4", "&4 P3", "&5 P2"}));
    QList<int> commands;
    for (QAction* action : session.window->Actions()->Recent().Items())
      commands << action->data().toInt();
    QCOMPARE(commands, (QList<int>{57616, 57617, 57618, 57619, 57620}));
    // The items sit between "Save As..." and "Exit", set off by separators.
    const QList<QAction*> file = session.window->Actions()->FileMenu()->actions();
    const auto first = file.indexOf(session.window->Actions()->Recent().Items().first());
    QVERIFY(file.at(first - 1)->isSeparator());
    QCOMPARE(file.at(first - 2)->text(), QStringLiteral("Save &As..."));
    QVERIFY(file.at(first + 5)->isSeparator());
    QCOMPARE(file.at(first + 6)->text(), QStringLiteral("E&xit"));

    session.window->Actions()->Recent().Items().at(3)->trigger();
    QCOMPARE(ShownTitle(*session.window), QStringLiteral("Tidewell - P3"));
    QCOMPARE(session.RecentLabels().first(), QStringLiteral("&1 P3"));
    QCOMPARE(session.prompt.UnexpectedQuestions(), 0);
  }

  void EveryIconHasAnImageAtTheSizesDrawn() {
    std::vector<const char*> names{"tidewell"};
    for (const auto& item : kNavigationItems) names.push_back(item.icon);
    for (const auto& entry : kFileCommands)
      if (*entry.icon) names.push_back(entry.icon);
    for (const auto& entry : kHelpCommands)
      if (*entry.icon) names.push_back(entry.icon);
    for (const char* name : names) {
      for (int size : {16, 24, 36, 40}) {
        const QImage image = ProductIcon(name).pixmap(size, size).toImage();
        QVERIFY2(image.size() == QSize(size, size), name);
        // Drawn, not blank: the centre third holds opaque pixels.
        int opaque = 0;
        for (int y = size / 3; y < 2 * size / 3; ++y)
          for (int x = size / 3; x < 2 * size / 3; ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
        QVERIFY2(opaque > 0, name);
      }
    }
  }

  void MenuPromptsGiveWayToTheStatusTextWhenTheMenuCloses() {
    Session session(FreshSettings());
    session.preferences.WriteNumber({}, u"AutoShowLoad", 0);
    session.Start();
    MainWindow& window = *session.window;
    window.StatusLabel()->setText(QStringLiteral("Please wait... loading"));
    QMenu* file = window.Actions()->FileMenu();
    const struct {
      Command command;
      const char* prompt;
    } items[] = {{Command::Save, "Save existing project"},
                 {Command::Exit, "Quit the application"}};
    window.menuBar()->setActiveAction(file->menuAction());
    QTRY_VERIFY(file->isVisible());
    for (const auto& item : items) {
      QTest::mouseMove(file, file->actionGeometry(window.Actions()->Action(item.command)).center());
      QTRY_COMPARE(window.statusBar()->currentMessage(), QString::fromLatin1(item.prompt));
      QVERIFY(!window.StatusLabel()->isVisible());
    }
    file->close();
    QTRY_VERIFY(window.StatusLabel()->isVisible());
    QCOMPARE(window.statusBar()->currentMessage(), QString());
    QCOMPARE(window.StatusLabel()->text(), QStringLiteral("Please wait... loading"));
  }

  void AFailedSaveKeepsTheWindowAndItsEdits_data() {
    QTest::addColumn<QString>("flow");
    QTest::addColumn<bool>("folderIsAFile");
    for (const char* flow : {"close", "new", "open", "recent"}) {
      // Read-only for everyone is refused even for root; a file in the
      // folder's place fails for anyone.
      QTest::newRow((std::string(flow) + ", read-only file").c_str()) << flow << false;
      QTest::newRow((std::string(flow) + ", folder is a file").c_str()) << flow << true;
    }
  }
  void AFailedSaveKeepsTheWindowAndItsEdits() {
    QFETCH(QString, flow);
    QFETCH(bool, folderIsAFile);
#ifdef Q_OS_WIN
    if (folderIsAFile)
      QSKIP("on Windows the open project's folder cannot be removed while the tool has the "
            "project open, so it cannot be replaced by a file");
#endif
    Session session(FreshSettings());
    const std::string name = "Failing" + std::to_string(sessionCount_);
    session.dialogResults.push_back(NewProject(dir_, name + "Other"));
    session.dialogResults.push_back(NewProject(dir_, name));
    session.Start();
    session.window->RunCommand(int(Command::New));
    ProjectDocument& document = session.window->Lifecycle().Document();
    const auto file = dir_ / name / "Settings.xml";
    document.settings.SetSetting(SettingKey::AppTitle, u"Edited");
    namespace fs = std::filesystem;
    if (folderIsAFile) {
      fs::remove_all(file.parent_path());
      tidewell::testing::WriteBytes(file.parent_path(), "a file");
    } else {
      fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    const size_t dialogs = session.dialogModes.size();
    session.prompt.Clear();
    session.prompt.QueueAnswer(Answer::Yes);
    if (flow == "close") QVERIFY(!session.window->close());
    if (flow == "new") session.window->RunCommand(int(Command::New));
    if (flow == "open") session.window->RunCommand(int(Command::Open));
    if (flow == "recent") session.window->Actions()->Recent().Items().at(1)->trigger();

    QVERIFY(session.window->isVisible());
    QCOMPARE(session.dialogModes.size(), dialogs);
    ProjectDocument& kept = session.window->Lifecycle().Document();
    QCOMPARE(kept.settings.GetSetting(SettingKey::AppTitle), WString(u"Edited"));
    QCOMPARE(ShownTitle(*session.window), QString::fromStdString("Tidewell - " + name));
    QVERIFY(session.window->isWindowModified());
    const auto messages = session.prompt.Of(PromptEvent::Kind::Message);
    QCOMPARE(int(messages.size()), 1);
    QCOMPARE(messages[0].text, kSaveErrorMessage);
    QVERIFY2(messages[0].detail.find(text::FromPath(file)) != WString::npos,
             text::ToUtf8(messages[0].detail).c_str());
    session.prompt.QueueAnswer(Answer::No);
    QVERIFY(session.window->close());
  }

  void TheTitleMarksUnsavedChangesAndTheKeysUndoAndRedo() {
    Session session(FreshSettings());
    session.dialogResults.push_back(NewProject(dir_, "Marked"));
    session.Start();
    MainWindow& window = *session.window;
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QAction* undo = window.Actions()->Action(Command::Undo);
    QAction* redo = window.Actions()->Action(Command::Redo);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tidewell - Marked[*]"));
    QVERIFY(!window.isWindowModified());
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    const auto title = [&] {
      return text::ToUtf8(window.Lifecycle().Document().settings.GetSetting(SettingKey::AppTitle));
    };
    const std::string original = title();

    // A stored field counts as an edit once the Edit menu is opened.
    window.Lifecycle().Document().settings.SetSetting(SettingKey::AppTitle, u"Typed");
    QMenu* edit = window.Actions()->EditMenu();
    window.menuBar()->setActiveAction(edit->menuAction());
    QTRY_VERIFY(edit->isVisible());
    QVERIFY(undo->isEnabled());
    QVERIFY(window.isWindowModified());
    edit->close();

    const struct {
      QKeySequence keys;
      const char* title;
      bool modified;
    } steps[] = {{QKeySequence(Qt::CTRL | Qt::Key_Z), original.c_str(), false},
                 {QKeySequence(Qt::CTRL | Qt::Key_Y), "Typed", true},
                 {QKeySequence(Qt::CTRL | Qt::Key_Z), original.c_str(), false},
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), "Typed", true}};
    for (const auto& step : steps) {
      QTest::keySequence(&window, step.keys);
      QCOMPARE(title(), std::string(step.title));
      QCOMPARE(window.isWindowModified(), step.modified);
      QCOMPARE(undo->isEnabled(), step.modified);
      QCOMPARE(redo->isEnabled(), !step.modified);
    }
    session.prompt.QueueAnswer(Answer::No);
    QVERIFY(window.close());
  }

  void ShortcutsShowThePagesAndSaveAs() {
    Session session(FreshSettings());
    session.preferences.WriteNumber({}, u"AutoShowLoad", 0);
    session.Start();
    MainWindow& window = *session.window;
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const Command pages[] = {Command::ClientPage, Command::ClientBehavioursPage,
                             Command::ServerFilesPage, Command::RegistryPage, Command::ReleasePage};
    for (int i = 0; i < 5; ++i) {
      QTest::keyClick(&window, Qt::Key(Qt::Key_1 + i), Qt::ControlModifier);
      QCOMPARE(window.Pages()->VisibleCommand(), int(pages[i]));
      QCOMPARE(window.Navigation()->SelectedData(), int(pages[i]));
    }
    QTest::keySequence(&window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    QCOMPARE(session.dialogModes, std::vector<ProjectDialogMode>{ProjectDialogMode::SaveAsMode});
  }

  void ASecondWindowIsWarnedAndAStaleMarkIsTakenOver() {
    Session first(FreshSettings());
    first.dialogResults.push_back(NewProject(dir_, "Shared"));
    first.Start();
    const QString shared = QString::fromStdString((dir_ / "Shared" / "Settings.xml").string());

    Session second(FreshSettings());
    second.preferences.WriteNumber({}, u"AutoShowLoad", 0);
    second.prompt.QueueAnswer(Answer::No);
    second.Start(shared);
    auto questions = second.prompt.Of(PromptEvent::Kind::Question);
    QCOMPARE(int(questions.size()), 1);
    QCOMPARE(questions[0].caption, WString(u"Project in use"));
    QCOMPARE(ShownTitle(*second.window), QStringLiteral("Tidewell"));

    Session third(FreshSettings());
    third.preferences.WriteNumber({}, u"AutoShowLoad", 0);
    third.prompt.QueueAnswer(Answer::Yes);
    third.Start(shared);
    QCOMPARE(ShownTitle(*third.window), QStringLiteral("Tidewell - Shared"));

    first.prompt.QueueAnswer(Answer::No);
    QVERIFY(first.window->close());
    third.prompt.QueueAnswer(Answer::No);
    QVERIFY(third.window->close());
    QCOMPARE(second.prompt.UnexpectedQuestions(), 0);

    // A mark left by a process that has ended is taken over without a word:
    // one whose number this process now has (Wine numbers processes afresh),
    // and, where processes can be made and ended here, another one's.
    const QString lockFile = ProjectLocks().LockFilePath(shared);
    const auto leaveMark = [&](qint64 pid) {
      QLockFile lock(lockFile);
      QVERIFY(lock.tryLock(0));
      QFile held(lockFile);
      QVERIFY(held.open(QIODevice::ReadOnly));
      QByteArray contents = held.readAll();
      held.close();
      lock.unlock();
      contents.replace(0, contents.indexOf('\n'), QByteArray::number(pid));
      QVERIFY(held.open(QIODevice::WriteOnly));
      held.write(contents);
    };
    std::vector<qint64> endedOwners = {QCoreApplication::applicationPid()};
#ifndef Q_OS_WIN
    QProcess ended;
    ended.start(QStringLiteral("true"));
    QVERIFY(ended.waitForStarted());
    endedOwners.push_back(ended.processId());
    QVERIFY(ended.waitForFinished());
#endif
    for (const qint64 pid : endedOwners) {
      leaveMark(pid);
      Session next(FreshSettings());
      next.preferences.WriteNumber({}, u"AutoShowLoad", 0);
      next.Start(shared);
      QCOMPARE(ShownTitle(*next.window), QStringLiteral("Tidewell - Shared"));
      QCOMPARE(next.prompt.UnexpectedQuestions(), 0);
      QVERIFY(next.prompt.Of(PromptEvent::Kind::Question).empty());
      QVERIFY(next.window->close());
    }
  }

  void AnotherProgramsChangeIsReloadedOrAskedAbout() {
    Session session(FreshSettings());
    session.dialogResults.push_back(NewProject(dir_, "Watched"));
    session.Start();
    session.window->FileWatcher().SetQuietInterval(20);
    const auto file = dir_ / "Watched" / "Settings.xml";
    const auto writeTitle = [&](const char* title) {
      std::string bytes = ReadBytes(file);
      const size_t from = bytes.find("<AppTitle>") + 10;
      bytes.replace(from, bytes.find("</AppTitle>") - from, title);
      tidewell::testing::WriteBytes(file, bytes);
    };
    const auto shownTitle = [&] {
      return session.window->Lifecycle().Document().settings.GetSetting(SettingKey::AppTitle);
    };
    const auto lastStatus = [&] {
      const auto status = session.prompt.Of(PromptEvent::Kind::Status);
      return status.empty() ? std::string() : text::ToUtf8(status.back().text);
    };
    writeTitle("Theirs");
    QTRY_COMPARE(lastStatus(),
                 "'" + file.string() + "' was changed by another program and has been reloaded.");
    QCOMPARE(shownTitle(), WString(u"Theirs"));
    QVERIFY(!session.window->isWindowModified());

    // With unsaved edits the question comes at once; Cancel keeps them.
    session.window->Lifecycle().Document().settings.SetSetting(SettingKey::AppTitle, u"Mine");
    session.prompt.QueueAnswer(Answer::Cancel);
    tidewell::testing::WriteBytes(file, ReadBytes(file) + " ");
    QTRY_COMPARE(int(session.prompt.Of(PromptEvent::Kind::Question).size()), 1);
    QCOMPARE(session.prompt.Of(PromptEvent::Kind::Question)[0].caption,
             WString(u"Project changed on disk"));
    QCOMPARE(shownTitle(), WString(u"Mine"));
    session.prompt.QueueAnswer(Answer::No);
    QVERIFY(session.window->close());
  }

  void AProjectGivenOnTheCommandLine_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("project file") << "Given/Settings.xml" << "Tidewell - Given" << 0;
    QTest::newRow("project folder") << "Given" << "Tidewell - Given" << 0;
    QTest::newRow("nothing there") << "Missing/Settings.xml" << "Tidewell" << 1;
  }
  void AProjectGivenOnTheCommandLine() {
    QFETCH(QString, argument);
    QFETCH(QString, title);
    QFETCH(int, dialogs);
    if (!std::filesystem::exists(dir_ / "Given")) {
      Session maker(FreshSettings());
      maker.dialogResults.push_back(NewProject(dir_, "Given"));
      maker.Start();
    }
    Session session(FreshSettings());
    session.Start(QString::fromStdString((dir_ / argument.toStdString()).string()));
    QCOMPARE(ShownTitle(*session.window), title);
    QCOMPARE(int(session.dialogModes.size()), dialogs);
    const auto messages = session.prompt.Of(PromptEvent::Kind::Message);
    QCOMPARE(int(messages.size()), dialogs);
    if (dialogs) QCOMPARE(messages[0].text, kLoadErrorMessage);
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
