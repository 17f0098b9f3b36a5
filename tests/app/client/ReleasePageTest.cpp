#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QtTest>
#include <filesystem>

#ifdef Q_OS_WIN
#include <windows.h>
#include <tlhelp32.h>
#endif

#include "ClientTestServices.h"
#include "build/BuildCommands.h"
#include "build/FileConfigurationPane.h"
#include "build/ProcessStarter.h"
#include "build/VersionConfigurationPane.h"
#include "pages/release/ReleasePageWidget.h"
#include "pages/release/ReleasePanesView.h"
#include "pages/release/SignCommandView.h"
#include "pages/release/SigningKeyView.h"
#include "build/SignCommandPreference.h"
#include "shell/PageCommands.h"
#include "signing/SigningKey.h"
#include "support/EnvironmentScope.h"
#include "support/TempDir.h"
#include "text/Text.h"

using namespace tidewell;
using namespace tidewell::app;
using tidewell::testing::ClientTestServices;
namespace fs = std::filesystem;
using Item = ReleasePageWidget::Item;
using Balloons = std::vector<std::pair<FieldId, WString>>;

namespace {

QString Q(const WString& text) { return ToQString(text); }

// Records the programs the page would start.
class RecordingStarter final : public ProcessStarter {
 public:
  bool Start(const ProcessRequest& request) override {
    started.push_back(request);
    return true;
  }
  std::optional<WString> FindProgram(std::u16string_view name) const override {
    return WString(u"/usr/bin/") + WString(name);
  }
  std::vector<ProcessRequest> started;
};

// A release page over a project in its own folder, the stub (when built) in
// its tool folder.
struct Fixture {
  explicit Fixture(bool withProject = true) {
    fs::create_directories(dir / "tool");
    fs::create_directories(dir / "project");
    const fs::path stub = fs::path(TIDEWELL_BIN_DIR) / "Tidewatch.exe";
    haveStub = fs::exists(stub);
    if (haveStub) fs::copy_file(stub, dir / "tool" / "Tidewatch.exe");
    if (withProject) {
      document.projectFolder = text::FromPath(dir / "project");
      document.projectFileName = u"Settings.xml";
      document.settings.SetSetting(SettingKey::ProjName, u"Demo");
    }
    document.settings.SetSetting(SettingKey::AppVersion, u"1.0");
    document.settings.SetSetting(SettingKey::UpdateVersion, u"1.1");
    page = std::make_unique<ReleasePageWidget>(t.services, nullptr, &starter,
                                               text::FromPath(dir / "tool"));
    page->BindDocument(document);
    page->LoadFromSettings();
  }
  testing::TempDir dir;
  ClientTestServices t;
  ProjectDocument document;
  RecordingStarter starter;
  std::unique_ptr<ReleasePageWidget> page;
  bool haveStub = false;
};

}  // namespace

class ReleasePageTest : public QObject {
  Q_OBJECT

 private slots:
  void LeavingAnInvalidPaneIsRefused() {
    struct Case {
      int pane;  // left for the build summary
      WString clientExe, checkNow, clientXml, appVersion, updateVersion;
      Balloons balloons;
    };
    const WString format = u"The value should be of the format 'a.b', such as version '1.0'";
    const Case cases[] = {
        {Item::FilePane, u"", u"", u"", u"1.0", u"1.1", {{kClientExeField, kClientExeEmptyMessage}}},
        {Item::FilePane, u"c", u"", u"", u"1.0", u"1.1", {{kClientXmlField, kClientXmlEmptyMessage}}},
        {Item::FilePane, u"c", u"", u"x.xml", u"1.0", u"1.1", {{kCheckNowField, kCheckNowEmptyMessage}}},
        {Item::VersionPane, u"c", u"n", u"x", u"abc", u"v2", {{kUpdateVersionField, format}}},
        {Item::VersionPane, u"c", u"n", u"x", u"abc", u"2", {{kAppVersionField, format}}},
        {Item::VersionPane, u"c", u"n", u"x", u"1.9", u"1.10",
         {{kUpdateVersionField, kVersionOrderMessage}}},
        {Item::VersionPane, u"c", u"n", u"x", u"1.0", u"1.00",
         {{kUpdateVersionField, kVersionOrderMessage}}},
        {Item::VersionPane, u"c", u"n", u"x", u"1.10", u"1.9", {}},
        {Item::VersionPane, u"c", u"n", u"x", u"", u"", {}},
    };
    for (const Case& c : cases) {
      Fixture f;
      f.page->Choose(c.pane);
      QCOMPARE(f.page->ShownPane(), c.pane);
      f.page->FilePaneView()->ClientExe()->setText(Q(c.clientExe));
      f.page->FilePaneView()->CheckNow()->setText(Q(c.checkNow));
      f.page->FilePaneView()->ClientXml()->setText(Q(c.clientXml));
      f.page->VersionPaneView()->AppVersion()->setText(Q(c.appVersion));
      f.page->VersionPaneView()->UpdateVersion()->setText(Q(c.updateVersion));
      const WString before = testing::ProjectText(f.document);
      f.page->Choose(Item::SummaryPane);
      QCOMPARE(f.t.Balloons(), c.balloons);
      const int expected = c.balloons.empty() ? int{ReleasePageWidget::SummaryPane} : c.pane;
      QCOMPARE(f.page->ShownPane(), expected);
      QCOMPARE(f.page->SelectedItem(), expected);
      if (!c.balloons.empty()) QCOMPARE(Q(testing::ProjectText(f.document)), Q(before));
    }
  }

  void ClientNameComesBackNormalisedEvenWhenRefused() {
    Fixture f;
    f.page->Choose(Item::FilePane);
    f.page->FilePaneView()->ClientExe()->setText(QStringLiteral("my.updater.exe"));
    f.page->FilePaneView()->ClientXml()->setText(QString());
    f.page->Choose(Item::VersionPane);
    QCOMPARE(f.page->ShownPane(), int{ReleasePageWidget::FilePane});
    QCOMPARE(f.page->FilePaneView()->ClientExe()->text(), QStringLiteral("my.exe"));
    QCOMPARE(Q(f.document.settings.GetSetting(SettingKey::ClientExe)), QStringLiteral("Tidewatcher.exe"));
    f.page->FilePaneView()->ClientXml()->setText(QStringLiteral("u.xml"));
    f.page->Choose(Item::VersionPane);
    QCOMPARE(f.page->ShownPane(), int{ReleasePageWidget::VersionPane});
    QCOMPARE(Q(f.document.settings.GetSetting(SettingKey::ClientExe)), QStringLiteral("my.exe"));
  }

  void SummaryShowsTheStoredVersionsWhenShown() {
    Fixture f;
    QCOMPARE(f.page->Summary()->AppVersion()->text(), QStringLiteral("1.0"));
    f.page->Choose(Item::VersionPane);
    f.page->VersionPaneView()->AppVersion()->setText(QString());
    f.page->VersionPaneView()->UpdateVersion()->setText(QStringLiteral("3"));
    f.page->Choose(Item::SummaryPane);
    QCOMPARE(f.page->Summary()->AppVersion()->text(), QStringLiteral("<Not specified>"));
    QCOMPARE(f.page->Summary()->UpdateVersion()->text(), QStringLiteral("3"));
  }

  void CommandRefusalsPointAtTheirItems() {
    struct Case {
      const char* what;
      bool project;
      SettingKey emptied;
      int item;
      FieldId field;
      WString message;
    };
    const Case cases[] = {
        {"client, no project", false, SettingKey::Reserved12, Item::BuildClient, kBuildClientItem,
         kNoProjectForClientMessage},
        {"client, no files address", true, SettingKey::HTTPLocationFiles, Item::BuildClient,
         kBuildClientItem, kNoFilesLocationMessage},
        {"client, no app version", true, SettingKey::AppVersion, Item::BuildClient,
         kBuildClientItem, kNoAppVersionMessage},
        {"XML, no project", false, SettingKey::Reserved12, Item::BuildUpdateXml,
         kBuildUpdateXmlItem, kNoProjectForUpdateXmlMessage},
        {"XML, no update version", true, SettingKey::UpdateVersion, Item::BuildUpdateXml,
         kBuildUpdateXmlItem, kNoUpdateVersionMessage},
        {"preview, no project", false, SettingKey::Reserved12, Item::PreviewClient,
         kPreviewClientItem, kNoProjectForPreviewMessage},
        {"preview, no company", true, SettingKey::CompanyName, Item::PreviewClient,
         kPreviewClientItem, kNoCompanyNameMessage},
    };
    for (const Case& c : cases) {
      Fixture f(c.project);
      f.document.settings.SetSetting(c.emptied, u"");
      f.page->LoadFromSettings();
      f.page->Choose(Item::FilePane);
      f.page->Choose(c.item);
      QVERIFY2(f.t.Balloons() == (Balloons{{c.field, c.message}}), c.what);
      QVERIFY2(f.starter.started.empty(), c.what);
      // A command does not move the selection off the pane shown.
      QCOMPARE(f.page->SelectedItem(), int{ReleasePageWidget::FilePane});
    }
  }

  void RefusalAboutAHiddenPaneShowsThatPane() {
    Fixture f;
    f.document.settings.SetSetting(SettingKey::AppVersion, u"abc");  // as read from a file
    f.page->LoadFromSettings();
    QCOMPARE(f.page->ShownPane(), int{ReleasePageWidget::SummaryPane});
    f.page->Choose(Item::BuildClient);
    QCOMPARE(f.t.Balloons(), (Balloons{{kAppVersionField, kVersionFormatMessage}}));
    QCOMPARE(f.page->ShownPane(), int{ReleasePageWidget::VersionPane});
    QVERIFY(!f.t.fields.Find(kAppVersionField).widget->isHidden());
  }

  void BuildsSucceedWithTheirBalloonAndTheSummary() {
    Fixture f;
    f.page->Choose(Item::VersionPane);
    f.page->VersionPaneView()->UpdateVersion()->setText(QStringLiteral("1.5"));
    f.page->Choose(Item::BuildUpdateXml);
    auto balloons = f.t.prompt.Of(testing::PromptEvent::Kind::Balloon);
    QCOMPARE(balloons.size(), size_t{1});
    QCOMPARE(balloons[0].field, kBuildUpdateXmlItem);
    QCOMPARE(Q(balloons[0].caption), QStringLiteral("Tidewell information"));
    QCOMPARE(Q(balloons[0].text), Q(kUpdateXmlBuiltMessage));
    QCOMPARE(f.page->ShownPane(), int{ReleasePageWidget::SummaryPane});
    QCOMPARE(f.page->Summary()->UpdateVersion()->text(), QStringLiteral("1.5"));
    QVERIFY(fs::exists(f.dir / "project" / "UpdateConfig.xml"));
    const auto statuses = f.t.prompt.Of(testing::PromptEvent::Kind::Status);
    QVERIFY(!statuses.empty());
    QCOMPARE(Q(statuses.front().text), QStringLiteral("Please wait... creating build"));
    QCOMPARE(Q(statuses.back().text), QString());
    if (!f.haveStub) QSKIP("the stub Tidewatch.exe was not built");
    f.t.prompt.Clear();
    f.page->Choose(Item::BuildClient);
    balloons = f.t.prompt.Of(testing::PromptEvent::Kind::Balloon);
    QCOMPARE(balloons.size(), size_t{1});
    QCOMPARE(balloons[0].field, kBuildClientItem);
    QCOMPARE(Q(balloons[0].text), Q(kClientBuiltMessage));
    QVERIFY(fs::exists(f.dir / "project" / "Tidewatcher.exe"));
  }

  void MenuCommands() {
    {
      Fixture f(false);
      QVERIFY(f.page->HandleCommand(int(Command::PreviewClient)));
      const auto messages = f.t.Messages();
      QCOMPARE(messages.size(), size_t{1});
      QCOMPARE(Q(messages[0].caption), QStringLiteral("Unable to preview"));
      QCOMPARE(Q(messages[0].text), Q(kNoProjectForPreviewMessage));
      QCOMPARE(f.t.Balloons().size(), size_t{0});
    }
    {
      Fixture f;
      QVERIFY(f.page->HandleCommand(int(Command::CheckForUpdateNow)));
      QCOMPARE(f.t.Messages().size(), size_t{1});
      QCOMPARE(Q(f.t.Messages()[0].text), Q(kUpdaterMissingMessage));
      testing::WriteBytes(f.dir / "tool" / "Tidewellpro.exe", "MZ");
      f.t.prompt.Clear();
      f.page->HandleCommand(int(Command::CheckForUpdateNow));
      QCOMPARE(f.t.Messages().size(), size_t{0});
      QCOMPARE(f.starter.started.size(), size_t{1});
      QVERIFY(!f.page->HandleCommand(int(Command::Save)));
    }
  }

  void ViewFiles() {
    {
      Fixture f(false);
      f.page->Choose(Item::ViewFiles);
      QCOMPARE(f.t.Messages().size(), size_t{1});
      QCOMPARE(Q(f.t.Messages()[0].caption), QStringLiteral("View files"));
      QCOMPARE(Q(f.t.Messages()[0].text), Q(kNoProjectForViewMessage));
    }
    Fixture f;
    f.page->Choose(Item::ViewFiles);
    QCOMPARE(f.starter.started.size(), size_t{1});
    QVERIFY(fs::exists(f.dir / "project" / "UpdateConfig.xml"));
  }

  // The key control makes the project's key, shows its fingerprint and
  // place, asks before replacing it and takes a chosen key file.
  void SigningKeyControl() {
    Fixture f;
#ifdef Q_OS_WIN
    // Keys live under %APPDATA% on Windows: its Tidewell folder stands where the
    // configuration folder does elsewhere.
    testing::EnvironmentScope environment{{"APPDATA", (f.dir / "config").string()}};
#else
    testing::EnvironmentScope environment{{"XDG_CONFIG_HOME", (f.dir / "config").string()}};
#endif
    SigningKeyView* view = f.page->KeyView();
    view->Refresh();
    const fs::path place = f.dir / "config" / "Tidewell" / "keys" / "Demo.key";
    QCOMPARE(view->Fingerprint()->text(), Q(kNoKeyYetText));
    QCOMPARE(view->Place()->text(), QString::fromStdString(place.string()));

    QTest::mouseClick(view->MakeButton(), Qt::LeftButton);
    std::string error;
    const auto made = LoadSigningKey(place, error);
    QVERIFY2(made.has_value(), error.c_str());
    const QString fingerprint = QString::fromStdString(signing::Fingerprint(made->pair.publicKey));
    QCOMPARE(view->Fingerprint()->text(), fingerprint);
    QCOMPARE(f.t.Messages().size(), size_t(1));
    QCOMPARE(Q(f.t.Messages()[0].caption), Q(kSigningKeyMadeCaption));

    // Replacing asks first; No keeps the key.
    f.t.prompt.QueueAnswer(Answer::No);
    QTest::mouseClick(view->MakeButton(), Qt::LeftButton);
    QCOMPARE(f.t.prompt.Of(testing::PromptEvent::Kind::Question).size(), size_t(1));
    QCOMPARE(view->Fingerprint()->text(), fingerprint);

    const fs::path chosen = fs::path(TIDEWELL_SOURCE_DIR) / "tests" / "fixtures" / "signing" / "Test.key";
    view->SetChooseFile([&chosen] { return QString::fromStdString(chosen.string()); });
    f.t.prompt.QueueAnswer(Answer::Yes);
    QTest::mouseClick(view->ChooseButton(), Qt::LeftButton);
    const auto taken = LoadSigningKey(place, error);
    QVERIFY2(taken.has_value(), error.c_str());
    QCOMPARE(view->Fingerprint()->text(),
             QString::fromStdString(signing::Fingerprint(taken->pair.publicKey)));
    QVERIFY(taken->pair.publicKey != made->pair.publicKey);
    QCOMPARE(taken->keyChanges.size(), size_t(1));
    QVERIFY(taken->keyChanges[0].from == made->pair.publicKey);
  }

  // The sign command typed on the page is kept for the project in the
  // preferences (not in the project) and signs the next build: a failing
  // one fails it with its message and keeps no client.
  void SignCommandIsKeptForTheProjectAndSignsTheBuild() {
#ifdef Q_OS_WIN
    QSKIP("the command here is written for sh");
#endif
    Fixture f;
    if (!f.haveStub) QSKIP("the stub Tidewatch.exe was not built");
    testing::EnvironmentScope environment{{"XDG_CONFIG_HOME", (f.dir / "config").string()},
                                          {"TIDEWELL_SIGN_COMMAND", std::nullopt},
                                          {"TIDEWELL_SIGNING_KEY", std::nullopt}};
    for (const auto& [key, value] : {std::pair{SettingKey::CompanyName, u"Harbour Soft"},
                                     {SettingKey::AppTitle, u"Logbook"},
                                     {SettingKey::HTTPLocationFiles, u"http://h.example/f"},
                                     {SettingKey::HTTPLocationXML, u"http://h.example/u.xml"}})
      f.document.settings.SetSetting(key, value);
    f.page->LoadFromSettings();
    const std::string command = "echo 'no token' >&2; exit 5 # {file}";
    f.page->SignView()->Command()->setText(QString::fromStdString(command));
    f.page->Choose(Item::BuildClient);
    QCOMPARE(ReadSignCommand(f.t.preferences, f.document.ProjectFilePath()), command);
    QVERIFY(testing::ProjectText(f.document).find(u"exit 5") == WString::npos);
    // The build makes the project's key first, and says so.
    const auto messages = f.t.Messages();
    QCOMPARE(messages.size(), size_t(2));
    QCOMPARE(Q(messages[0].caption), Q(kSigningKeyMadeCaption));
    QCOMPARE(Q(messages[1].caption), Q(kSignClientCaption));
    QVERIFY(!fs::exists(f.dir / "project" / "Tidewatcher.exe"));

    // Another page over the same project shows it; cleared, it is gone.
    ReleasePageWidget again(f.t.services, nullptr, &f.starter, text::FromPath(f.dir / "tool"));
    again.BindDocument(f.document);
    again.LoadFromSettings();
    QCOMPARE(again.SignView()->Command()->text(), QString::fromStdString(command));
    again.SignView()->Command()->clear();
    again.SignView()->Store();
    QCOMPARE(ReadSignCommand(f.t.preferences, f.document.ProjectFilePath()), std::string());
    QCOMPARE(f.t.preferences.Size(), size_t(0));
  }

#ifdef Q_OS_WIN
  // On Windows the preview starts the built client itself, through the shell.
  void PreviewStartsTheClientOnWindows() {
    testing::TempDir dir;
    fs::create_directories(dir / "tool");
    fs::create_directories(dir / "project");
    const fs::path stub = fs::path(TIDEWELL_BIN_DIR) / "Tidewatch.exe";
    if (!fs::exists(stub)) QSKIP("the stub Tidewatch.exe was not built");
    fs::copy_file(stub, dir / "tool" / "Tidewatch.exe");
    ClientTestServices t;
    ProjectDocument document;
    document.projectFolder = text::FromPath(dir / "project");
    document.projectFileName = u"Settings.xml";
    document.settings.SetSetting(SettingKey::ProjName, u"Demo");
    document.settings.SetSetting(SettingKey::CompanyName, u"Harbour Soft");
    document.settings.SetSetting(SettingKey::AppTitle, u"Logbook");
    document.settings.SetSetting(SettingKey::ClientExe, u"PreviewedClient.exe");
    document.settings.SetSetting(SettingKey::AppVersion, u"1.0");
    document.settings.SetSetting(SettingKey::UpdateVersion, u"1.1");
    ReleasePageWidget page(t.services, nullptr, nullptr, text::FromPath(dir / "tool"));
    page.BindDocument(document);
    page.LoadFromSettings();
    page.Choose(Item::PreviewClient);
    QCOMPARE(t.Messages().size(), size_t{0});
    QVERIFY(fs::exists(dir / "project" / "PreviewedClient.exe"));
    // The client runs until it is closed: find it, then end it.
    DWORD client = 0;
    for (int tries = 0; tries < 100 && client == 0; ++tries) {
      client = ProcessNamed(L"PreviewedClient.exe");
      if (client == 0) QTest::qWait(100);
    }
    QVERIFY2(client != 0, "the client was not started");
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, client)) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 10000);
      CloseHandle(process);
    }
  }
#endif

 private:
#ifdef Q_OS_WIN
  static DWORD ProcessNamed(const wchar_t* name) {
    DWORD found = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && found == 0; more = Process32NextW(snapshot, &entry))
      if (_wcsicmp(entry.szExeFile, name) == 0) found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
  }
#endif
};

QTEST_MAIN(ReleasePageTest)
#include "ReleasePageTest.moc"
