#include <gtest/gtest.h>

#include "build/BuildCommands.h"
#include "build/BuildTestSupport.h"
#include "build/ClientBuilder.h"
#include "build/ClientStringTable.h"
#include "build/ReleasePanes.h"
#include "pe/PeResourceReader.h"
#include "project/ProjectDocument.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::PromptEvent;

// A project with everything the build commands need, in its own folder, the
// stub in a tool folder, and a starter that only records.
struct BuildCommandsTest : testing::StubProjectTest {
  void SetUp() override {
    StubProjectTest::SetUp();
    if (IsSkipped()) return;
    document.settings.SetSetting(SettingKey::AppVersion, u"1.0");
    document.settings.SetSetting(SettingKey::UpdateVersion, u"1.1");
    starter.programs = {{u"wine", u"/usr/bin/wine"}, {u"xdg-open", u"/usr/bin/xdg-open"}};
    panes.LoadFromSettings();
    commands.SetShowBuildSummary([this] { ++summaryShown; });
  }

  fs::path ClientFile() const { return project / "Tidewatcher.exe"; }
  fs::path ServerFile() const { return project / "UpdateConfig.xml"; }
  fs::path ProjectFile() const { return project / "Settings.xml"; }
  WString Client() const { return text::FromPath(ClientFile()); }

  std::vector<PromptEvent> Of(PromptEvent::Kind kind) const { return prompt.Of(kind); }
  // The one balloon or message shown.
  PromptEvent Only(PromptEvent::Kind kind) const {
    const auto events = Of(kind);
    EXPECT_EQ(events.size(), 1u);
    return events.empty() ? PromptEvent{kind, {}, {}, MessageIcon::None, Buttons::Ok, {}, {}} : events[0];
  }
  void ExpectNothingWritten() const {
    EXPECT_FALSE(fs::exists(ClientFile()));
    EXPECT_FALSE(fs::exists(ServerFile()));
    EXPECT_FALSE(fs::exists(ProjectFile()));
    EXPECT_TRUE(starter.started.empty());
  }
  std::optional<std::string> ClientStrings() const {
    auto reader = pe::PeResourceReader::Open(ClientFile(), nullptr);
    if (!reader) return std::nullopt;
    return reader->Read(pe::ResourceId::Integer(6), pe::ResourceId::Integer(1), 0x0C09);
  }

  testing::RecordingStarter starter;
  ReleasePanes panes{document.settings, prompt};
  BuildCommands commands{document, panes, builder, starter, prompt};
  int summaryShown = 0;
};

TEST_F(BuildCommandsTest, ClientBuildChecksInOrder) {
  struct Case {
    std::vector<SettingKey> emptied;
    WString message;
  };
  const Case cases[] = {
      {{SettingKey::ProjName, SettingKey::HTTPLocationFiles}, kNoProjectForClientMessage},
      {{SettingKey::HTTPLocationFiles, SettingKey::AppTitle},
       u"No value was specified for the HTTP location of the update files. Correct the client "
       u"settings. Build will not continue."},
      {{SettingKey::HTTPLocationXML, SettingKey::CompanyName},
       u"No value was specified for the HTTP location of the XML update file. Correct the client "
       u"settings. Build will not continue."},
      {{SettingKey::AppTitle, SettingKey::AppVersion},
       u"No value was specified for the Application Title. Build will not continue."},
      {{SettingKey::CompanyName},
       u"No value was specified for the Company Name. Build will not continue."},
      {{SettingKey::AppVersion, SettingKey::UpdateVersion},
       u"No value was specified for the Application Version. This value is necessary to know when "
       u"updates are required. Set this value by clicking on 'Version Configuration'. Build will "
       u"not continue."},
  };
  for (const Case& c : cases) {
    ProjectDocument fresh;
    fresh.projectFolder = document.projectFolder;
    fresh.projectFileName = document.projectFileName;
    fresh.settings.SetSetting(SettingKey::ProjName, u"Demo");
    fresh.settings.SetSetting(SettingKey::AppVersion, u"1.0");
    for (SettingKey key : c.emptied) fresh.settings.SetSetting(key, u"");
    testing::ScriptedPrompt seen;
    ReleasePanes freshPanes(fresh.settings, seen);
    freshPanes.LoadFromSettings();
    BuildCommands freshCommands(fresh, freshPanes, builder, starter, seen);
    EXPECT_EQ(freshCommands.BuildClientCommand(), CommandOutcome::Refused);
    const auto balloons = seen.Of(PromptEvent::Kind::Balloon);
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].field, "release.buildClient");
    EXPECT_EQ(balloons[0].caption, u"Invalid parameters");
    EXPECT_EQ(balloons[0].text, c.message);
  }
  ExpectNothingWritten();
  EXPECT_EQ(kNoProjectForClientMessage,
            u"No project exists!\r\n\r\nTo build the update executable a project must exist.\r\n"
            u"Start a new project or save the existing workspace to continue.");
}

TEST_F(BuildCommandsTest, BuildsTheClientAndSavesTheProject) {
  EXPECT_EQ(commands.BuildClientCommand(), CommandOutcome::Done);
  const PromptEvent success = Only(PromptEvent::Kind::Balloon);
  EXPECT_EQ(success.field, "release.buildClient");
  EXPECT_EQ(success.caption, u"Tidewell information");
  EXPECT_EQ(success.icon, MessageIcon::Information);
  const WString fixed =
      u"The Tidewell client launcher was successfully built. Use this executable to launch your "
      u"application. Click 'View files' for output files.\r\n\r\nFor corporate usage you may "
      u"also need to utilize the update service to avoid problems with highly-restricted "
      u"clients.";
  EXPECT_EQ(success.text.substr(0, fixed.size()), fixed);
  EXPECT_NE(success.text.find(u"web site", fixed.size()), WString::npos);
  EXPECT_EQ(summaryShown, 1);

  EXPECT_EQ(ClientStrings(),
            ClientStringTable::FromSettings(document.settings, document.variables).Encode());
  EXPECT_TRUE(fs::exists(ProjectFile()));
  EXPECT_FALSE(fs::exists(ServerFile()));
  EXPECT_TRUE(Of(PromptEvent::Kind::Message).empty());
  // The status text during the build, then back to "Ready".
  std::vector<WString> statuses;
  for (const auto& e : Of(PromptEvent::Kind::Status)) statuses.push_back(e.text);
  EXPECT_EQ(statuses, (std::vector<WString>{u"Please wait... creating build", u""}));
  EXPECT_EQ(prompt.BusyDepth(), 0);
  EXPECT_TRUE(commands.RunBuild(BuildMode::BuildClient));
}

TEST_F(BuildCommandsTest, AnInvalidPaneStopsEveryBuildCommand) {
  document.settings.SetSetting(SettingKey::UpdateVersion, u"0.9");
  panes.LoadFromSettings();
  EXPECT_EQ(commands.BuildClientCommand(), CommandOutcome::Refused);
  EXPECT_EQ(commands.BuildUpdateXmlCommand(), CommandOutcome::Refused);
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Refused);
  for (const auto& balloon : Of(PromptEvent::Kind::Balloon)) {
    EXPECT_EQ(balloon.field, "versionConfiguration.updateVersion");
    EXPECT_EQ(balloon.text,
              u"The update version must be greater than the application version. Try again.");
  }
  EXPECT_EQ(Of(PromptEvent::Kind::Balloon).size(), 3u);
  ExpectNothingWritten();
}

TEST_F(BuildCommandsTest, UpdateXmlNeedsOnlyTheProjectAndTheUpdateVersion) {
  for (SettingKey key : {SettingKey::HTTPLocationFiles, SettingKey::HTTPLocationXML,
                         SettingKey::AppVersion, SettingKey::AppTitle})
    document.settings.SetSetting(key, u"");
  panes.LoadFromSettings();
  EXPECT_EQ(commands.BuildUpdateXmlCommand(), CommandOutcome::Done);
  const PromptEvent success = Only(PromptEvent::Kind::Balloon);
  EXPECT_EQ(success.field, "release.buildUpdateXml");
  EXPECT_EQ(success.caption, u"Tidewell information");
  EXPECT_EQ(success.text,
            u"The update XML file is ready for usage. Place it on the update server together with "
            u"the update files. Click 'View files' for output files.");
  EXPECT_TRUE(fs::exists(ServerFile()));
  EXPECT_TRUE(fs::exists(ProjectFile()));
  EXPECT_FALSE(fs::exists(ClientFile()));
  EXPECT_EQ(summaryShown, 1);
}

TEST_F(BuildCommandsTest, UpdateXmlRefusals) {
  document.settings.SetSetting(SettingKey::UpdateVersion, u"");
  panes.LoadFromSettings();
  EXPECT_EQ(commands.BuildUpdateXmlCommand(), CommandOutcome::Refused);
  document.settings.SetSetting(SettingKey::ProjName, u"");
  EXPECT_EQ(commands.BuildUpdateXmlCommand(), CommandOutcome::Refused);
  const auto balloons = Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 2u);
  EXPECT_EQ(balloons[0].field, "release.buildUpdateXml");
  EXPECT_EQ(balloons[0].text,
            u"No value was specified for the Update Version. This value is necessary to know when "
            u"updates are required. Set this value by clicking on 'Version Configuration'. Build "
            u"will not continue.");
  EXPECT_EQ(balloons[1].text,
            u"No project exists! \r\n\r\nTo build the update XML file a project must exist.\r\n"
            u"Start a new project or save the existing workspace to continue.");
  ExpectNothingWritten();
}

TEST_F(BuildCommandsTest, AServerFileThatCannotBeWrittenFailsTheBuild) {
  fs::create_directories(ServerFile());  // a folder stands where the file goes
  EXPECT_EQ(commands.BuildUpdateXmlCommand(), CommandOutcome::Failed);
  const PromptEvent error = Only(PromptEvent::Kind::Message);
  EXPECT_EQ(error.caption, u"Error");
  EXPECT_EQ(error.icon, MessageIcon::Error);
  EXPECT_EQ(error.text, u"Errors occured while trying to build the current configuration.");
  EXPECT_FALSE(fs::exists(ProjectFile()));
  EXPECT_TRUE(Of(PromptEvent::Kind::Balloon).empty());
  EXPECT_EQ(summaryShown, 0);
}

TEST_F(BuildCommandsTest, ClientFailuresEndTheBuildWithoutSaving) {
  fs::remove(tool / "Tidewatch.exe");
  EXPECT_EQ(commands.BuildClientCommand(), CommandOutcome::Failed);
  PromptEvent error = Only(PromptEvent::Kind::Message);
  EXPECT_EQ(error.caption, u"Error");
  EXPECT_EQ(error.text, u"Error creating client executable. Some files may be missing or corrupt.");

  prompt.Clear();
  testing::WriteBytes(ClientFile(), "no executable");
  EXPECT_EQ(commands.BuildClientCommand(), CommandOutcome::Failed);
  error = Only(PromptEvent::Kind::Message);
  EXPECT_EQ(error.caption, u"Resource update error");
  EXPECT_EQ(error.icon, MessageIcon::Error);
  EXPECT_EQ(error.text, u"An error occured when trying to save resources.");
  EXPECT_EQ(testing::ReadBytes(ClientFile()), "no executable");
  EXPECT_FALSE(fs::exists(ProjectFile()));
  EXPECT_TRUE(Of(PromptEvent::Kind::Balloon).empty());
  EXPECT_FALSE(commands.RunBuild(BuildMode::BuildClient));
}

TEST_F(BuildCommandsTest, PreviewRefusalsFromThePaneAndFromTheMenu) {
  document.settings.SetSetting(SettingKey::ProjName, u"");
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Refused);
  const PromptEvent balloon = Only(PromptEvent::Kind::Balloon);
  EXPECT_EQ(balloon.field, "release.previewClient");
  EXPECT_EQ(balloon.text,
            u"No project exists!\r\n\r\nTo build the update executable a project must exist.\r\n"
            u"Start a new project or save the existing workspace to continue.\r\n");

  prompt.Clear();
  document.settings.SetSetting(SettingKey::ProjName, u"Demo");
  document.settings.SetSetting(SettingKey::CompanyName, u"");
  EXPECT_EQ(commands.PreviewCommand(false), CommandOutcome::Refused);
  const PromptEvent box = Only(PromptEvent::Kind::Message);
  EXPECT_EQ(box.caption, u"Unable to preview");
  EXPECT_EQ(box.icon, MessageIcon::Error);
  EXPECT_EQ(box.text, u"No value was specified for the Company Name. Build will not continue.");
  EXPECT_TRUE(Of(PromptEvent::Kind::Balloon).empty());

  // The application version is not needed for a preview.
  prompt.Clear();
  document.settings.SetSetting(SettingKey::CompanyName, u"Harbour");
  document.settings.SetSetting(SettingKey::AppVersion, u"");
  document.settings.SetSetting(SettingKey::AppTitle, u"");
  panes.LoadFromSettings();
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Refused);
  EXPECT_EQ(Only(PromptEvent::Kind::Balloon).text,
            u"No value was specified for the Application Title. Build will not continue.");
  ExpectNothingWritten();
}

TEST_F(BuildCommandsTest, PreviewStartsTheClientInTestModeThroughWine) {
  // Two blanks in a row: the name must reach the client as it is on disk.
  document.settings.SetSetting(SettingKey::ClientXML, u"Update  Config.xml");
  panes.LoadFromSettings();
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Done);
  EXPECT_TRUE(prompt.Of(PromptEvent::Kind::Message).empty());
  EXPECT_TRUE(fs::exists(project / "Update  Config.xml"));
  ASSERT_EQ(starter.started.size(), 1u);
  const ProcessRequest& request = starter.started[0];
#ifdef _WIN32
  EXPECT_EQ(request.program, Client());
  const std::vector<WString> arguments = {u"testMode", u"Update  Config.xml"};
#else
  EXPECT_EQ(request.program, u"/usr/bin/wine");
  // Wine quotes the name into the command line: testMode "Update  Config.xml".
  const std::vector<WString> arguments = {Client(), u"testMode", u"Update  Config.xml"};
#endif
  EXPECT_EQ(request.arguments, arguments);
  EXPECT_EQ(request.workingDirectory, document.projectFolder);
  EXPECT_TRUE(ClientStrings());
  // A preview never answers success to the build request.
  EXPECT_FALSE(commands.RunBuild(BuildMode::Preview));
  EXPECT_EQ(starter.started.size(), 2u);
}

TEST_F(BuildCommandsTest, ASilentUpdateHasNothingToPreview) {
  document.settings.SetSetting(SettingKey::UpdateType, u"Silent");
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Refused);
  const PromptEvent message = Only(PromptEvent::Kind::Message);
  EXPECT_EQ(message.caption, u"");
  EXPECT_EQ(message.icon, MessageIcon::Information);
  EXPECT_EQ(message.text, u"The settings are for a silent update. There is nothing to see!");
  // Everything was built all the same; nothing was started.
  EXPECT_TRUE(ClientStrings());
  EXPECT_TRUE(fs::exists(ServerFile()));
  EXPECT_TRUE(starter.started.empty());

  // Only that exact spelling is silent.
  prompt.Clear();
  document.settings.SetSetting(SettingKey::UpdateType, u"silent");
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Done);
  EXPECT_EQ(starter.started.size(), 1u);
}

TEST_F(BuildCommandsTest, PreviewWithoutItsUpdateFile) {
  fs::create_directories(ServerFile());  // cannot be written, and is no file
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Failed);
  const PromptEvent message = Only(PromptEvent::Kind::Message);
  EXPECT_EQ(message.caption, u"Missing file");
  EXPECT_EQ(message.icon, MessageIcon::Information);
  EXPECT_EQ(message.text, u"Unable to show preview. The update file is missing:\r\n" +
                              text::FromPath(ServerFile()));
  EXPECT_TRUE(starter.started.empty());
}

TEST_F(BuildCommandsTest, PreviewWithoutWineOrWhenTheStartFails) {
#ifndef _WIN32
  starter.programs.clear();
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Failed);
  EXPECT_EQ(Only(PromptEvent::Kind::Message).text,
            u"Windows programs are started through Wine on this system, and Wine was not found. "
            u"Install Wine to run:\r\n" + Client());
  EXPECT_TRUE(starter.started.empty());
  starter.programs = {{u"wine", u"/usr/bin/wine"}};
#endif
  prompt.Clear();
  starter.startSucceeds = false;
  EXPECT_EQ(commands.PreviewCommand(true), CommandOutcome::Failed);
  EXPECT_EQ(Only(PromptEvent::Kind::Message).text,
            u"The program could not be started:\r\n" + Client());
}

TEST_F(BuildCommandsTest, ViewFilesRewritesTheUpdateFileAndOpensTheFolder) {
  EXPECT_EQ(commands.ViewFilesCommand(), CommandOutcome::Done);
  EXPECT_TRUE(fs::exists(ServerFile()));
  EXPECT_FALSE(fs::exists(ProjectFile()));
  ASSERT_EQ(starter.started.size(), 1u);
#ifndef _WIN32
  EXPECT_EQ(starter.started[0].program, u"/usr/bin/xdg-open");
#endif
  EXPECT_EQ(starter.started[0].arguments, std::vector<WString>{document.projectFolder});

#ifndef _WIN32
  starter.programs.clear();
  EXPECT_EQ(commands.ViewFilesCommand(), CommandOutcome::Failed);
  EXPECT_EQ(Only(PromptEvent::Kind::Message).text,
            u"No file browser was found to show the project folder (xdg-open is missing). The "
            u"files are in:\r\n" + document.projectFolder);
#endif
}

TEST_F(BuildCommandsTest, ViewFilesWithoutAProject) {
  document.settings.SetSetting(SettingKey::ProjName, u"");
  EXPECT_EQ(commands.ViewFilesCommand(), CommandOutcome::Refused);
  const PromptEvent message = Only(PromptEvent::Kind::Message);
  EXPECT_EQ(message.caption, u"View files");
  EXPECT_EQ(message.icon, MessageIcon::Information);
  EXPECT_EQ(message.text, u"No project exists. There are no files to view.");
  ExpectNothingWritten();
}

TEST_F(BuildCommandsTest, CheckForUpdateNowStartsTheProductUpdater) {
  EXPECT_EQ(commands.CheckForUpdateNow(), CommandOutcome::Failed);
  const PromptEvent error = Only(PromptEvent::Kind::Message);
  EXPECT_EQ(error.caption, u"Error");
  EXPECT_EQ(error.text, u"Error: Unable to check for updates because the update client is missing.");
  EXPECT_TRUE(starter.started.empty());

  testing::WriteBytes(tool / "Tidewellpro.exe", "MZ");
  EXPECT_EQ(commands.CheckForUpdateNow(), CommandOutcome::Done);
  ASSERT_EQ(starter.started.size(), 1u);
  const WString updater = text::FromPath(tool / "Tidewellpro.exe");
#ifdef _WIN32
  EXPECT_EQ(starter.started[0].arguments, std::vector<WString>{u"CheckNow"});
#else
  EXPECT_EQ(starter.started[0].arguments, (std::vector<WString>{updater, u"CheckNow"}));
#endif
}

TEST_F(BuildCommandsTest, CollectingPagesComesFirst) {
  int collected = 0;
  commands.SetCollectPages([&] {
    ++collected;
    document.settings.SetSetting(SettingKey::AppTitle, u"Collected title");
  });
  EXPECT_TRUE(commands.RunBuild(BuildMode::BuildClient));
  EXPECT_EQ(collected, 1);
  auto reader = pe::PeResourceReader::Open(ClientFile(), nullptr);
  ASSERT_TRUE(reader);
  EXPECT_EQ(ClientStrings(),
            ClientStringTable::FromSettings(document.settings, document.variables).Encode());
  EXPECT_NE(ClientStrings()->find(std::string("C\0o\0l\0l\0e\0c\0t\0e\0d", 17)), std::string::npos);
}

}  // namespace
}  // namespace tidewell
