#include <chrono>
#include <deque>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "support/HostOnly.h"
#include "content/RegistryItemRules.h"
#include "files/FileRecord.h"
#include "files/FileTree.h"
#include "project/AutoShowLoad.h"
#include "project/DocumentWriter.h"
#include "project/Lifecycle.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::PromptEvent;
using testing::ReadBytes;
using testing::ScriptedPrompt;
using testing::TempDir;
using testing::WriteBytes;
using Outcome = ProjectDialogResult::Outcome;

const WString kLoadError = u"Errors occured while trying to load configuration.";
const WString kSaveError = u"Errors occured while trying to save current configuration.";

// The front end: answers the project dialog from a script and records what
// the flows asked of it.
class FakeShell final : public ProjectShell {
 public:
  ProjectDialogResult RunProjectDialog(ProjectDialogMode mode) override {
    modes.push_back(mode);
    if (results.empty()) {
      ADD_FAILURE() << "unexpected project dialog";
      return {};
    }
    ProjectDialogResult result = results.front();
    results.pop_front();
    return result;
  }
  void CollectPages() override {
    ++collected;
    if (onCollect) onCollect();
  }
  void LoadPages() override { ++loaded; }
  void ShowTitle(const WString& title) override { titles.push_back(title); }
  void ShowEditState(bool isModified, bool undo, bool redo) override {
    modified = isModified;
    canUndo = undo;
    canRedo = redo;
  }
  bool LockProject(const WString& path) override {
    if (heldElsewhere.count(path)) return false;
    locked.insert(path);
    return true;
  }
  void UnlockProject(const WString& path) override { locked.erase(path); }

  std::deque<ProjectDialogResult> results;
  std::vector<ProjectDialogMode> modes;
  std::vector<WString> titles;
  std::function<void()> onCollect;
  std::set<WString> heldElsewhere;
  std::set<WString> locked;
  bool modified = false;
  bool canUndo = false;
  bool canRedo = false;
  int collected = 0;
  int loaded = 0;
};

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir / "tool" / "UpdateService.exe", "service bytes");
    std::filesystem::create_directory(dir / "Projects");
    preferences.WriteNumber({}, u"AutoShowLoad", 0);
    lifecycle = std::make_unique<ProjectLifecycle>(
        prompt, preferences, shell, std::vector<WString>{text::FromPath(dir / "tool")});
    lifecycle->StartUp();
  }

  WString ProjectsFolder() const { return text::FromPath(dir / "Projects"); }

  // What the dialog answers after a valid OK on the "New" tab.
  ProjectDialogResult NewResult(const WString& name) {
    ScriptedPrompt dialogPrompt;
    const auto choice = ConfirmNewProject(name, ProjectsFolder() + u"/" + name, dialogPrompt);
    EXPECT_TRUE(choice);
    ProjectDialogResult result;
    result.outcome = Outcome::New;
    if (choice) result.created = *choice;
    return result;
  }
  static ProjectDialogResult OpenResult(const WString& folder, const WString& file) {
    ProjectDialogResult result;
    result.outcome = Outcome::Open;
    result.opened = {folder, file};
    return result;
  }
  void CreateProject(const WString& name) {
    shell.results.push_back(NewResult(name));
    lifecycle->NewCommand();
  }
  ProjectDocument& Document() { return lifecycle->Document(); }
  std::vector<PromptEvent> Questions() const { return prompt.Of(PromptEvent::Kind::Question); }
  std::vector<PromptEvent> Messages() const { return prompt.Of(PromptEvent::Kind::Message); }
  // A few things in every list, so that "kept" and "dropped" can be told apart.
  void FillDocument() {
    ProjectDocument& document = Document();
    document.settings.SetSetting(SettingKey::Executable, u"Logbook.exe");
    document.settings.SetFlag(BehaviourFlag::AutomaticRestart, true);
    FileRecord record;
    document.fileTree.InsertItem(document.fileTree.AddDirectoryPath(u"<ApplicationDir>", nullptr),
                                 &record, u"App.exe");
    RegistryItemFields fields;
    fields.subKey = u"Software\\Logbook";
    fields.valueName = u"Edition";
    fields.valueData = u"Pro";
    AddRegistryOperation(document.registryTree, fields);
    document.variables.AddVariable({}, u"HKEY_CURRENT_USER\\Software\\Logbook\\User", u"REG_SZ");
  }

  TempDir dir;
  ScriptedPrompt prompt;
  MemoryPreferences preferences;
  FakeShell shell;
  std::unique_ptr<ProjectLifecycle> lifecycle;
};

TEST_F(Lifecycle, ANewProjectGetsItsFolderProjectFileServiceRecentEntryAndTitle) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  CreateProject(u"MyApp");

  const WString folder = ProjectsFolder() + u"/MyApp";
  const WString file = folder + u"/Settings.xml";
  EXPECT_EQ(shell.modes, std::vector<ProjectDialogMode>{ProjectDialogMode::NewMode});
  EXPECT_TRUE(Questions().empty());
  EXPECT_EQ(Document().projectFolder, folder);
  EXPECT_EQ(Document().projectFileName, u"Settings.xml");
  EXPECT_EQ(ReadBytes(text::ToPath(folder) / "UpdateService.exe"), "service bytes");
  WString saved;
  ASSERT_TRUE(WriteDocumentText(Document(), saved, XmlForm::ProjectForm));
  EXPECT_EQ(ReadBytes(text::ToPath(file)), EncodeDocumentText(saved));
  EXPECT_NE(saved.find(u"<ProjName>MyApp</ProjName>"), WString::npos);
  EXPECT_EQ(preferences.ReadText(kRecentDocumentGroup, u"Document1"), u"MyApp|" + file);
  EXPECT_EQ(shell.titles.back(), u"Tidewell - MyApp");
  EXPECT_EQ(Document().savedText, saved);
}

TEST_F(Lifecycle, TheTitleIsTheToolNameUntilAProjectExists) {
  EXPECT_EQ(shell.titles, std::vector<WString>{u"Tidewell"});
  EXPECT_TRUE(lifecycle->Recent().Empty());
}

TEST_F(Lifecycle, AnUnchangedProjectAsksNothingAChangedOneAsksAndCancelContinues) {
  CreateProject(u"MyApp");
  shell.results.push_back({});  // the dialog is cancelled
  lifecycle->NewCommand();
  EXPECT_TRUE(Questions().empty());

  shell.onCollect = [&] { Document().settings.SetSetting(SettingKey::AppTitle, u"Changed"); };
  prompt.QueueAnswer(Answer::Cancel);
  shell.results.push_back({});
  lifecycle->NewCommand();
  const auto questions = Questions();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].caption, u"Save Project");
  EXPECT_EQ(questions[0].text, u"Do you want to save changes to 'MyApp'?");
  EXPECT_EQ(questions[0].buttons, Buttons::YesNoCancel);
  EXPECT_EQ(questions[0].icon, MessageIcon::Exclamation);
  // Cancel went on like No: the dialog still opened.
  EXPECT_EQ(shell.modes.size(), 3u);
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::AppTitle), u"Changed");
}

TEST_F(Lifecycle, AnsweringYesSavesTheChangesBeforeTheDialog) {
  CreateProject(u"MyApp");
  Document().settings.SetSetting(SettingKey::AppTitle, u"Saved title");
  prompt.QueueAnswer(Answer::Yes);
  shell.results.push_back({});
  lifecycle->OpenCommand();
  const std::string stored = ReadBytes(text::ToPath(Document().ProjectFilePath()));
  EXPECT_NE(stored.find("<AppTitle>Saved title</AppTitle>"), std::string::npos);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Lifecycle, AFailedSaveAfterYesIsReportedWithItsReasonAndStopsTheFlow) {
  CreateProject(u"MyApp");
  Document().settings.SetSetting(SettingKey::AppTitle, u"Unsaved");
  // The project file's place is taken by a folder: it cannot be replaced.
  const WString file = Document().ProjectFilePath();
  std::filesystem::remove(text::ToPath(file));
  std::filesystem::create_directory(text::ToPath(file));
  prompt.QueueAnswer(Answer::Yes);
  EXPECT_FALSE(lifecycle->PromptSaveChanges());
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, u"Error");
  EXPECT_EQ(messages[0].text, kSaveError);
  EXPECT_EQ(messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(messages[0].detail, u"cannot write " + file + u": it is not a regular file");
}

TEST_F(Lifecycle, WithoutANameTheQuestionOffersSaveAs) {
  Document().settings.SetSetting(SettingKey::CompanyName, u"Harbour Soft");
  prompt.QueueAnswer(Answer::Yes);
  shell.results.push_back(NewResult(u"Named"));
  EXPECT_TRUE(lifecycle->PromptSaveChanges());
  const auto questions = Questions();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].text, u"Do you want to save changes to this project?");
  EXPECT_EQ(questions[0].buttons, Buttons::YesNo);
  EXPECT_EQ(shell.modes, std::vector<ProjectDialogMode>{ProjectDialogMode::SaveAsMode});
  // Save as keeps what was entered before the project had a name.
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::CompanyName), u"Harbour Soft");
  const std::string stored = ReadBytes(dir / "Projects" / "Named" / "Settings.xml");
  EXPECT_NE(stored.find("<CompanyName>Harbour Soft</CompanyName>"), std::string::npos);
}

TEST_F(Lifecycle, ANewProjectStartsFromTheDefaults) {
  CreateProject(u"First");
  FillDocument();
  lifecycle->SaveCommand();
  CreateProject(u"Second");

  const ProjectDocument& document = Document();
  EXPECT_EQ(document.settings.GetSetting(SettingKey::ProjName), u"Second");
  EXPECT_EQ(document.settings.GetSetting(SettingKey::Executable), u"ApplicationExecutable.exe");
  EXPECT_EQ(document.settings.FlagMask(), u"32");
  EXPECT_TRUE(document.fileTree.Empty());
  EXPECT_TRUE(document.registryTree.Empty());
  EXPECT_EQ(document.variables.Rows().size(), 2u);
  // The first project was saved and is untouched.
  const std::string first = ReadBytes(dir / "Projects" / "First" / "Settings.xml");
  EXPECT_NE(first.find("Logbook.exe"), std::string::npos);
}

TEST_F(Lifecycle, SaveAsKeepsEverythingAndCopiesOnlyTheProjectFileAndTheService) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  CreateProject(u"First");
  FillDocument();
  WriteBytes(dir / "Projects" / "First" / "Tidewatcher.exe", "client");
  WriteBytes(dir / "Projects" / "First" / "UpdateConfig.xml", "server");
  shell.results.push_back(NewResult(u"Copy"));
  lifecycle->SaveAsCommand();

  const std::filesystem::path copy = dir / "Projects" / "Copy";
  EXPECT_EQ(Document().projectFolder, text::FromPath(copy));
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::ProjName), u"Copy");
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::Executable), u"Logbook.exe");
  EXPECT_EQ(Document().fileTree.NodeCount(), 2u);
  EXPECT_TRUE(std::filesystem::exists(copy / "Settings.xml"));
  EXPECT_EQ(ReadBytes(copy / "UpdateService.exe"), "service bytes");
  EXPECT_FALSE(std::filesystem::exists(copy / "Tidewatcher.exe"));
  EXPECT_FALSE(std::filesystem::exists(copy / "UpdateConfig.xml"));
  const auto statuses = prompt.Of(PromptEvent::Kind::Status);
  ASSERT_GE(statuses.size(), 2u);
  EXPECT_EQ(statuses[statuses.size() - 2].text, u"Please wait... saving files");
  EXPECT_EQ(statuses.back().text, u"Ready");
  EXPECT_EQ(shell.titles.back(), u"Tidewell - Copy");
}

TEST_F(Lifecycle, AFailedSaveAsKeepsTheProjectWhereItWas) {
  CreateProject(u"First");
  FillDocument();
  const WString firstFolder = Document().projectFolder;
  // The dialog created the folder, but the project file cannot be written there.
  std::filesystem::create_directories(dir / "Projects" / "Blocked" / "Settings.xml");
  ProjectDialogResult blocked;
  blocked.outcome = Outcome::New;
  blocked.created = {u"Blocked", text::FromPath(dir / "Projects" / "Blocked")};
  shell.results.push_back(blocked);
  EXPECT_FALSE(lifecycle->ProjectDialog(ProjectDialogMode::SaveAsMode));

  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, kSaveError);
  EXPECT_EQ(Document().projectFolder, firstFolder);
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::ProjName), u"First");
  EXPECT_EQ(Document().fileTree.NodeCount(), 2u);

  // The same failure for New leaves the open project as it was.
  shell.results.push_back(blocked);
  EXPECT_FALSE(lifecycle->ProjectDialog(ProjectDialogMode::NewMode));
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::ProjName), u"First");
  EXPECT_EQ(Document().fileTree.NodeCount(), 2u);
}

TEST_F(Lifecycle, AFailedOpenLeavesTheOpenProjectIntact) {
  CreateProject(u"First");
  FillDocument();
  lifecycle->SaveCommand();
  const std::string before = ReadBytes(dir / "Projects" / "First" / "Settings.xml");
  // A project file cut off in the middle.
  WriteBytes(dir / "broken" / "Settings.xml", "<Tidemark><ProjName>Other</ProjName><FileList>");
  shell.results.push_back(OpenResult(text::FromPath(dir / "broken"), u"Settings.xml"));
  lifecycle->OpenCommand();

  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, u"Error");
  EXPECT_EQ(messages[0].text, kLoadError);
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::ProjName), u"First");
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::Executable), u"Logbook.exe");
  EXPECT_EQ(Document().fileTree.NodeCount(), 2u);
  // A save now writes the same project to the same place.
  lifecycle->SaveCommand();
  EXPECT_EQ(ReadBytes(dir / "Projects" / "First" / "Settings.xml"), before);
  EXPECT_EQ(prompt.BusyDepth(), 0);
}

TEST_F(Lifecycle, OpeningFromTheDialogReplacesTheProject) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  CreateProject(u"First");
  FillDocument();
  lifecycle->SaveCommand();
  CreateProject(u"Second");
  shell.results.push_back(OpenResult(ProjectsFolder() + u"/First", u"Settings.xml"));
  lifecycle->OpenCommand();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::Executable), u"Logbook.exe");
  EXPECT_EQ(Document().projectFolder, ProjectsFolder() + u"/First");
  EXPECT_EQ(shell.titles.back(), u"Tidewell - First");
  EXPECT_EQ(lifecycle->Recent().MostRecentFirst().front(),
            u"First|" + ProjectsFolder() + u"/First/Settings.xml");
}

TEST_F(Lifecycle, OpeningARecentProjectThatFailsKeepsTheFolderAndSaysSo) {
  CreateProject(u"First");
  const WString folder = Document().projectFolder;
  prompt.Clear();
  EXPECT_FALSE(lifecycle->OpenProjectFile(ProjectsFolder() + u"/Gone/Settings.xml"));
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, u"Error trying to open the given project.");
  EXPECT_EQ(Document().projectFolder, folder);
  const auto statuses = prompt.Of(PromptEvent::Kind::Status);
  ASSERT_EQ(statuses.size(), 2u);
  EXPECT_EQ(statuses[0].text, u"Please wait... loading");
  EXPECT_EQ(statuses[1].text, u"Ready");
}

TEST_F(Lifecycle, OpeningARecentProjectRecordsTheOneBeingLeft) {
  CreateProject(u"First");
  const WString firstFile = Document().ProjectFilePath();
  CreateProject(u"Second");
  EXPECT_TRUE(lifecycle->OpenProjectFile(firstFile));
  const std::vector<WString> recent = lifecycle->Recent().MostRecentFirst();
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_EQ(recent[0], u"First|" + firstFile);
  EXPECT_EQ(RecentEntryName(recent[1]), u"Second");
}

TEST_F(Lifecycle, SixNewProjectsLeaveTheFiveMostRecentInThePreferences) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  for (const char16_t* name : {u"P1", u"P2", u"P3", u"P4", u"P5", u"P6"}) CreateProject(name);
  lifecycle->Shutdown();
  EXPECT_EQ(preferences.ReadNumber(kRecentDocumentGroup, u"DocumentCount"), 5);
  EXPECT_EQ(preferences.ReadText(kRecentDocumentGroup, u"Document1"),
            u"P6|" + ProjectsFolder() + u"/P6/Settings.xml");
  EXPECT_EQ(RecentEntryName(*preferences.ReadText(kRecentDocumentGroup, u"Document5")), u"P2");
  EXPECT_EQ(preferences.ReadText(kRecentDocumentGroup, u"Document6"), std::nullopt);
}

TEST_F(Lifecycle, StartUpShowsTheOpenDialogUnlessAutoShowLoadIsZero) {
  EXPECT_TRUE(shell.modes.empty());
  MemoryPreferences fresh;
  FakeShell freshShell;
  freshShell.results.push_back({});
  ProjectLifecycle first(prompt, fresh, freshShell, {});
  first.StartUp();
  EXPECT_EQ(freshShell.modes, std::vector<ProjectDialogMode>{ProjectDialogMode::OpenMode});
  EXPECT_EQ(freshShell.loaded, 1);
  // Cancelled with the box unchecked: the next start shows no dialog.
  EXPECT_FALSE(ReadAutoShowLoad(fresh));
}

TEST_F(Lifecycle, OnlyTheOpenModeStoresTheLoadScreenChoice) {
  ProjectDialogResult keep;
  keep.showLoadScreen = true;
  shell.results.push_back(keep);
  lifecycle->OpenCommand();
  EXPECT_TRUE(ReadAutoShowLoad(preferences));
  shell.results.push_back({});  // New and Save As have no visible box
  lifecycle->NewCommand();
  shell.results.push_back({});
  lifecycle->SaveAsCommand();
  EXPECT_TRUE(ReadAutoShowLoad(preferences));
}

TEST_F(Lifecycle, ClosingWithUnsavedChangesCanBeCancelled) {
  CreateProject(u"MyApp");
  Document().settings.SetSetting(SettingKey::AppTitle, u"Changed");
  prompt.QueueAnswer(Answer::Cancel);
  EXPECT_FALSE(lifecycle->CloseRequested());
  prompt.QueueAnswer(Answer::No);
  EXPECT_TRUE(lifecycle->CloseRequested());
  // No: nothing was written.
  const std::string stored = ReadBytes(text::ToPath(Document().ProjectFilePath()));
  EXPECT_EQ(stored.find("Changed"), std::string::npos);
}

TEST_F(Lifecycle, SaveWithoutAProjectNameRunsSaveAs) {
  shell.results.push_back(NewResult(u"Fresh"));
  lifecycle->SaveCommand();
  EXPECT_EQ(shell.modes, std::vector<ProjectDialogMode>{ProjectDialogMode::SaveAsMode});
  EXPECT_TRUE(std::filesystem::exists(dir / "Projects" / "Fresh" / "Settings.xml"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(shell.titles.back(), u"Tidewell - Fresh");
}

TEST_F(Lifecycle, StartUpWithAProjectOpensItInsteadOfTheDialog) {
#ifdef _WIN32
  GTEST_SKIP() << testing::kLinuxHostPathsOnly;
#endif
  CreateProject(u"MyApp");
  const WString folder = ProjectsFolder() + u"/MyApp";
  const struct {
    WString argument;
    bool opens;
  } cases[] = {
      {folder + u"/Settings.xml", true},
      {folder, true},            // the folder holding the project file
      {folder + u"/", true},     // with a trailing separator
      {folder + u"/Missing.xml", false},
      {ProjectsFolder(), false},  // a folder without a project file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.argument));
    MemoryPreferences fresh;  // a first start: the dialog would show
    FakeShell freshShell;
    ScriptedPrompt freshPrompt;
    if (!c.opens) freshShell.results.push_back({});
    ProjectLifecycle started(freshPrompt, fresh, freshShell, {});
    started.StartUpWithProject(c.argument);
    EXPECT_EQ(freshShell.loaded, 1);
    if (c.opens) {
      EXPECT_TRUE(freshShell.modes.empty());
      EXPECT_EQ(started.Document().ProjectFilePath(), folder + u"/Settings.xml");
      EXPECT_EQ(freshShell.titles.back(), u"Tidewell - MyApp");
      EXPECT_TRUE(freshPrompt.Of(PromptEvent::Kind::Message).empty());
    } else {
      EXPECT_EQ(freshShell.modes, std::vector<ProjectDialogMode>{ProjectDialogMode::OpenMode});
      const auto messages = freshPrompt.Of(PromptEvent::Kind::Message);
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].text, kLoadError);
      EXPECT_EQ(freshShell.titles.back(), u"Tidewell");
    }
  }
}

// Faults a save cannot get past, also for a process that may write anywhere
// (root): the project file made read-only for everyone (refused before
// writing), its place taken by a folder, its folder replaced by a file.
enum class SaveFault { ReadOnlyFile, FileIsAFolder, FolderIsAFile };

void InjectSaveFault(const WString& projectFile, SaveFault fault) {
  namespace fs = std::filesystem;
  const fs::path file = text::ToPath(projectFile);
  switch (fault) {
    case SaveFault::ReadOnlyFile:
      fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
      break;
    case SaveFault::FileIsAFolder:
      fs::remove(file);
      fs::create_directory(file);
      break;
    case SaveFault::FolderIsAFile:
      fs::remove_all(file.parent_path());
      WriteBytes(file.parent_path(), "not a folder");
      break;
  }
}

TEST_F(Lifecycle, AFailedSaveCancelsCloseNewOpenAndOpeningARecentProject) {
  enum class Flow { Close, New, Open, Recent };
  int round = 0;
  for (const Flow flow : {Flow::Close, Flow::New, Flow::Open, Flow::Recent}) {
    for (const SaveFault fault :
         {SaveFault::ReadOnlyFile, SaveFault::FileIsAFolder, SaveFault::FolderIsAFile}) {
      SCOPED_TRACE(100 * static_cast<int>(flow) + static_cast<int>(fault));
      if (round > 0) prompt.QueueAnswer(Answer::No);  // the last round's edits
      CreateProject(u"Work" + text::FormatDecimal(++round));
      WriteBytes(dir / "Other.xml", ReadBytes(text::ToPath(Document().ProjectFilePath())));
      Document().settings.SetSetting(SettingKey::AppTitle, u"Edited");
      const WString file = Document().ProjectFilePath();
      InjectSaveFault(file, fault);
      prompt.Clear();
      prompt.QueueAnswer(Answer::Yes);
      const size_t dialogs = shell.modes.size();
      switch (flow) {
        case Flow::Close: EXPECT_FALSE(lifecycle->CloseRequested()); break;
        case Flow::New: lifecycle->NewCommand(); break;
        case Flow::Open: lifecycle->OpenCommand(); break;
        case Flow::Recent:
          EXPECT_FALSE(lifecycle->OpenProjectFile(text::FromPath(dir / "Other.xml")));
          break;
      }
      EXPECT_EQ(shell.modes.size(), dialogs);  // no project dialog
      EXPECT_EQ(Document().ProjectFilePath(), file);
      EXPECT_EQ(Document().settings.GetSetting(SettingKey::AppTitle), u"Edited");
      const auto messages = Messages();
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].text, kSaveError);
      EXPECT_NE(messages[0].detail.find(file), WString::npos) << text::ToUtf8(messages[0].detail);
      // Edits that are not saved stay unsaved: the window asks again.
      EXPECT_TRUE(shell.modified);
    }
  }
}

TEST_F(Lifecycle, LoadErrorsCarryTheFileAndTheReason) {
  CreateProject(u"Open");
  struct Case {
    const char* name;
    const char* bytes;  // null: no file at all
    std::string reason;
  };
  const std::filesystem::path file = dir / "Broken" / "Settings.xml";
  const std::string path = file.string();
  const Case cases[] = {
      {"missing", nullptr, "cannot read " + path + ": No such file or directory"},
      {"empty", "", path + ": the file is empty"},
      {"not XML", "PK\x03\x04 zip bytes", path + ": the file is not XML: it does not begin with markup"},
      {"cut in a tag", "<Tidemark><ProjName>Cut</Proj",
       path + ": the file is cut short: it ends inside the document (Start-end tags mismatch)"},
      {"cut after a tag", "<Tidemark><ProjName>Cut</ProjName>",
       path + ": the file is cut short: it ends inside the document (Start-end tags mismatch)"},
      {"broken inside", "<Tidemark><a></b><c/></Tidemark>",
       path + ": not well-formed XML at byte 15: Start-end tags mismatch"},
      {"not a project", "<Catalogue><Item/></Catalogue>",
       path + ": the XML file is not a project: its root element is <Catalogue>, not <Tidemark>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir / "Broken");
    if (c.bytes) WriteBytes(file, c.bytes);
    prompt.Clear();
    EXPECT_FALSE(lifecycle->OpenProjectFile(text::FromPath(file)));
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"Error trying to open the given project.");
    EXPECT_EQ(text::ToUtf8(messages[0].detail), c.reason);
    EXPECT_EQ(Document().settings.GetSetting(SettingKey::ProjName), u"Open");
  }
}

// Another program writes the project file while it is open.
class ChangedOnDisk : public Lifecycle {
 protected:
  void SetUp() override {
    Lifecycle::SetUp();
    CreateProject(u"Shared");
    file = text::ToPath(Document().ProjectFilePath());
    WriteTitle("Theirs");
    prompt.Clear();
  }
  // What the other program does: a new AppTitle in the file.
  void WriteTitle(const std::string& title) {
    std::string bytes = ReadBytes(file);
    const size_t from = bytes.find("<AppTitle>") + 10;
    bytes.replace(from, bytes.find("</AppTitle>") - from, title);
    WriteBytes(file, bytes);
  }
  std::filesystem::path file;
};

TEST_F(ChangedOnDisk, SavingAsksAndEachAnswerDoesWhatItSays) {
  struct Case {
    Answer answer;
    const char* onDisk;  // the AppTitle the file holds afterwards
    const char* shown;   // the AppTitle the project holds afterwards
  };
  for (const Case& c : {Case{Answer::Cancel, "Theirs", "Mine"}, Case{Answer::No, "Mine", "Mine"},
                        Case{Answer::Yes, "Theirs", "Theirs"}}) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    if (c.answer != Answer::Cancel) WriteTitle("Theirs");
    Document().settings.SetSetting(SettingKey::AppTitle, u"Mine");
    prompt.Clear();
    prompt.QueueAnswer(c.answer);
    lifecycle->SaveCommand();
    const auto questions = Questions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].caption, u"Project changed on disk");
    EXPECT_EQ(questions[0].buttons, Buttons::ReloadOverwriteCancel);
    EXPECT_NE(ReadBytes(file).find(std::string("<AppTitle>") + c.onDisk), std::string::npos);
    EXPECT_EQ(text::ToUtf8(Document().settings.GetSetting(SettingKey::AppTitle)), c.shown);
  }
  // After the overwrite or reload, the file is known again: no question.
  lifecycle->SaveCommand();
  EXPECT_EQ(Questions().size(), 1u);
}

TEST_F(ChangedOnDisk, AProjectWithoutEditsIsReloadedAndTheStatusSaysSo) {
  lifecycle->ProjectFileChanged();
  EXPECT_TRUE(Questions().empty());
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::AppTitle), u"Theirs");
  const auto status = prompt.Of(PromptEvent::Kind::Status);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.back().text,
            u"'" + text::FromPath(file) + u"' was changed by another program and has been reloaded.");
  EXPECT_FALSE(shell.modified);
  // A second notice of the same change does nothing, nor does a file
  // written again with the same bytes.
  prompt.Clear();
  lifecycle->ProjectFileChanged();
  WriteBytes(file, ReadBytes(file));
  std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) +
                                             std::chrono::seconds(5));
  lifecycle->ProjectFileChanged();
  EXPECT_TRUE(prompt.Events().empty());
}

TEST_F(ChangedOnDisk, AProjectWithEditsAsksAtOnceAndCancelKeepsBoth) {
  shell.onCollect = [&] { Document().settings.SetSetting(SettingKey::AppTitle, u"Mine"); };
  prompt.QueueAnswer(Answer::Cancel);
  lifecycle->ProjectFileChanged();
  ASSERT_EQ(Questions().size(), 1u);
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::AppTitle), u"Mine");
  EXPECT_NE(ReadBytes(file).find("<AppTitle>Theirs"), std::string::npos);
  shell.onCollect = nullptr;
}

TEST_F(Lifecycle, AProjectOpenElsewhereIsOpenedOnlyWhenTheUserSaysSo) {
  CreateProject(u"Held");
  const WString held = Document().ProjectFilePath();
  CreateProject(u"Mine");
  EXPECT_EQ(shell.locked, std::set<WString>{Document().ProjectFilePath()});
  shell.heldElsewhere.insert(held);
  prompt.Clear();
  prompt.QueueAnswer(Answer::No);
  EXPECT_FALSE(lifecycle->OpenProjectFile(held));
  ASSERT_EQ(Questions().size(), 1u);
  EXPECT_EQ(Questions()[0].caption, u"Project in use");
  EXPECT_EQ(Questions()[0].buttons, Buttons::YesNo);
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::ProjName), u"Mine");

  prompt.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(lifecycle->OpenProjectFile(held));
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::ProjName), u"Held");
  // What was read is what the next save compares with: no question.
  Document().settings.SetSetting(SettingKey::AppTitle, u"Saved quietly");
  lifecycle->SaveCommand();
  EXPECT_EQ(Questions().size(), 2u);
  EXPECT_NE(ReadBytes(text::ToPath(held)).find("Saved quietly"), std::string::npos);
  // The project left is no longer marked; the one opened anyway is not ours.
  EXPECT_TRUE(shell.locked.empty());
}

TEST_F(Lifecycle, UndoAndRedoWalkTheEditsAndTheModifiedMarkFollows) {
  CreateProject(u"History");
  FillDocument();  // one committed edit
  EXPECT_TRUE(lifecycle->EditCommitted());
  lifecycle->SaveCommand();
  EXPECT_FALSE(shell.modified);
  Document().fileTree.DeleteItem(Document().fileTree.Children(nullptr).front());
  EXPECT_TRUE(lifecycle->EditCommitted());
  EXPECT_FALSE(lifecycle->EditCommitted());  // nothing changed since
  const WString title = Document().settings.GetSetting(SettingKey::AppTitle);
  shell.onCollect = [&] { Document().settings.SetSetting(SettingKey::AppTitle, u"Typed"); };
  lifecycle->FieldsMayHaveChanged();
  shell.onCollect = nullptr;
  EXPECT_TRUE(shell.modified);

  lifecycle->UndoCommand();  // the typed title
  EXPECT_EQ(Document().settings.GetSetting(SettingKey::AppTitle), title);
  EXPECT_EQ(Document().fileTree.NodeCount(), 0u);
  lifecycle->UndoCommand();  // the deletion: back to the saved state
  EXPECT_EQ(Document().fileTree.NodeCount(), 2u);
  EXPECT_FALSE(shell.modified);
  EXPECT_TRUE(shell.canRedo);
  lifecycle->RedoCommand();
  EXPECT_EQ(Document().fileTree.NodeCount(), 0u);
  EXPECT_TRUE(shell.modified);
  // A new edit drops what could be redone.
  Document().settings.SetSetting(SettingKey::CompanyName, u"New");
  lifecycle->EditCommitted();
  EXPECT_FALSE(shell.canRedo);
  // Opening another project starts a new history.
  prompt.QueueAnswer(Answer::No);
  CreateProject(u"Fresh");
  EXPECT_FALSE(shell.canUndo);
}

}  // namespace
}  // namespace tidewell
