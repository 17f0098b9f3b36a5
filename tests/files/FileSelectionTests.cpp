#include <gtest/gtest.h>

#include "support/HostOnly.h"
#include "files/ClientFileNames.h"
#include "files/FileRecord.h"
#include "files/FileSelection.h"
#include "files/FileTree.h"
#include "files/TreePath.h"
#include "project/ProjectSettings.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::PromptEvent;
using testing::ScriptedPrompt;

WString NoBaseQuestion(const WString& directory) {
  return u"The base directory for your HTTP updates is not set.\r\nThe following appears to be "
         u"your base update directory:\r\n" +
         directory + u"\r\n\r\nWould you like to make this your base update directory?";
}

WString MismatchQuestion(const WString& base, const WString& directory) {
  return u"The base directory for your HTTP updates is set to:\r\n" + base +
         u"\r\nThis does not appear to match the currently used directory:\r\n" + directory +
         u"\r\n\r\nWould you like to change the base directory for updates to:\r\n" + directory;
}

struct Files {
  ProjectSettings settings;
  FileTree tree;
  ScriptedPrompt prompt;

  Files() { tree.SetContext(&settings, nullptr); }
  explicit Files(const WString& base) : Files() { settings.SetSetting(SettingKey::UpdateFilesDir, base); }
  WString Base() const { return settings.GetSetting(SettingKey::UpdateFilesDir); }
  const FileRecord* Record(std::u16string_view path) const {
    const TreeNode* node = FindNodeByPath(tree, path);
    return node ? FileTree::RecordOf(*node) : nullptr;
  }
};

TEST(CheckBaseDirectory, WithNoBaseTheFirstDirectoryBecomesItAfterAQuestion) {
  Files files;
  files.prompt.QueueAnswer(Answer::Yes);
  WString directory = u"/stage/";
  EXPECT_TRUE(CheckBaseDirectory(files.settings, files.tree, directory, false, files.prompt));
  EXPECT_EQ(directory, u"\\");
  EXPECT_EQ(files.Base(), u"/stage/");
  const auto questions = files.prompt.Of(PromptEvent::Kind::Question);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].caption, u"No update directory set");
  EXPECT_EQ(questions[0].text, NoBaseQuestion(u"/stage/"));
  EXPECT_EQ(questions[0].buttons, Buttons::YesNo);

  Files refused;
  refused.prompt.QueueAnswer(Answer::No);
  directory = u"/stage/";
  EXPECT_FALSE(CheckBaseDirectory(refused.settings, refused.tree, directory, false, refused.prompt));
  EXPECT_EQ(directory, u"/stage/");
  EXPECT_EQ(refused.Base(), u"");
}

TEST(CheckBaseDirectory, TheFolderChooserSetsAMissingBaseWithoutAsking) {
  Files files;
  WString directory = u"/stage";
  EXPECT_FALSE(CheckBaseDirectory(files.settings, files.tree, directory, true, files.prompt));
  EXPECT_EQ(files.Base(), u"/stage");
  EXPECT_EQ(directory, u"\\");
  EXPECT_TRUE(files.prompt.Events().empty());
}

TEST(CheckBaseDirectory, DirectoriesInsideTheBaseGetTheirRelativeForm) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  struct Case {
    std::u16string_view base;
    std::u16string_view directory;
    std::u16string_view relative;
  };
  const Case cases[] = {
      {u"/stage", u"/stage/bin", u"\\bin\\"},
      {u"/stage", u"/stage/bin/", u"\\bin\\"},
      {u"/stage", u"/stage", u"\\"},
      {u"/stage", u"/stage/", u"\\"},
      {u"/stage/", u"/stage/", u"\\"},
      {u"/stage/", u"/stage", u"\\"},  // a base set from a file's folder ends in a separator
      {u"/stage//", u"/stage/bin", u"\\bin\\"},
      {u"/stage/", u"/stage/a/b/", u"\\a\\b\\"},
      {u"/stage", u"/stage//a//b", u"\\a\\b\\"},
      {u"/", u"/opt/x", u"\\opt\\x\\"},
  };
  for (const Case& c : cases) {
    Files files{WString(c.base)};
    WString directory(c.directory);
    EXPECT_TRUE(CheckBaseDirectory(files.settings, files.tree, directory, false, files.prompt))
        << text::ToUtf8(c.directory);
    EXPECT_EQ(directory, c.relative) << text::ToUtf8(c.directory);
    EXPECT_TRUE(files.prompt.Events().empty());
  }
}

TEST(CheckBaseDirectory, ASiblingWithTheSamePrefixIsNotInside) {
  Files files{u"/stage"};
  files.prompt.QueueAnswer(Answer::No);
  WString directory = u"/staging/bin";
  EXPECT_FALSE(CheckBaseDirectory(files.settings, files.tree, directory, false, files.prompt));
  const auto questions = files.prompt.Of(PromptEvent::Kind::Question);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].caption, u"Incorrect update directory set");
  EXPECT_EQ(questions[0].text, MismatchQuestion(u"/stage", u"/staging/bin"));
  EXPECT_EQ(files.Base(), u"/stage");
}

TEST(CheckBaseDirectory, LetterCaseFollowsTheHost) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  Files files{u"/Stage"};
  files.prompt.QueueAnswer(Answer::No);
  WString directory = u"/STAGE/bin";
  const bool inside = CheckBaseDirectory(files.settings, files.tree, directory, false, files.prompt);
#if defined(_WIN32) || defined(__APPLE__)
  EXPECT_TRUE(inside);
  EXPECT_EQ(directory, u"\\bin\\");
  EXPECT_EQ(files.prompt.PendingAnswers(), 1u);
#else
  // Two folders on a case-sensitive file system.
  EXPECT_FALSE(inside);
  EXPECT_EQ(files.prompt.Of(PromptEvent::Kind::Question).size(), 1u);
#endif
}

TEST(CheckBaseDirectory, MovingTheBaseEmptiesTheFileTree) {
  Files files{u"/old"};
  FileRecord record;
  files.tree.InsertItem(files.tree.AddDirectoryPath(u"<WinDir>", nullptr), &record, u"a.exe");
  files.prompt.QueueAnswer(Answer::Yes);
  WString directory = u"/new/bin";
  EXPECT_TRUE(CheckBaseDirectory(files.settings, files.tree, directory, false, files.prompt));
  EXPECT_EQ(directory, u"\\");
  EXPECT_EQ(files.Base(), u"/new/bin");
  EXPECT_TRUE(files.tree.Empty());
}

TEST(BuildDestination, RootAndSubDirectoriesAreJoinedAndCleaned) {
  struct Case {
    std::u16string_view root;
    std::u16string_view sub;
    std::u16string_view destination;
  };
  const Case cases[] = {
      {u"<WinDir>", u"/a//b/", u"<WinDir>\\a\\b"},
      {u"", u"\\x\\", u"x"},
      {u"<ApplicationDir>", u"", u"<ApplicationDir>"},
      {u"<ProgramFilesDir>", u"subdir1\\subdir2", u"<ProgramFilesDir>\\subdir1\\subdir2"},
      {u"<SystemDir>", u"\\\\\\deep", u"<SystemDir>\\deep"},
      {u"", u"", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BuildDestination(c.root, c.sub), c.destination) << text::ToUtf8(c.sub);
}

TEST(FileSelection, DestinationsTheClientCannotUseAreRefused) {
  const struct {
    std::u16string_view destination;
    bool refused;
  } cases[] = {
      {u"", false},
      {u"<ApplicationDir>", false},
      {u"<ProgramFilesDir>\\Company\\a..b", false},
      {u"tools\\bin", false},
      {u"<ApplicationDir>\\..\\outside", true},
      {u"<WinDir>\\..", true},
      {u"<SystemDir>\\C:\\Windows", true},
      {u"<ApplicationDir>\\data.bin:stream", true},
      {u"<ApplicationDir>\\AUX", true},
      {u"..\\outside", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DestinationRefusal(c.destination).empty(), !c.refused) << text::ToUtf8(c.destination);
}

TEST(AddFiles, TheFirstFileSetsTheBaseAndLandsAtItsDestination) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  Files files;
  files.prompt.QueueAnswer(Answer::Yes);
  const auto groups = GroupFilesByDirectory({u"/stage/a.exe"});
  ASSERT_EQ(groups.size(), 1u);
  const AddFilesResult result =
      AddFiles(files.settings, files.tree, groups[0], u"<ApplicationDir>", files.prompt);
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(result.added, 1u);
  EXPECT_EQ(files.Base(), u"/stage/");
  const FileRecord* record = files.Record(u"<ApplicationDir>\\a.exe");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Src, u"\\");
  EXPECT_EQ(record->Name, u"a.exe");
  EXPECT_EQ(record->OS, 31);
  EXPECT_EQ(record->Type, UpdateCondition::TimeStampBased);
  EXPECT_EQ(record->Unzip, 0);
}

TEST(AddFiles, ARefusedBaseAddsNothing) {
  Files files;
  files.prompt.QueueAnswer(Answer::No);
  const AddFilesResult result = AddFiles(files.settings, files.tree, {u"/stage/", {u"a.exe"}},
                                         u"<ApplicationDir>", files.prompt);
  EXPECT_FALSE(result.accepted);
  EXPECT_TRUE(files.tree.Empty());
  EXPECT_EQ(files.Base(), u"");
}

TEST(AddFiles, NamesThatDifferOnlyInCaseAreSkipped) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  Files files{u"/stage"};
  const AddFilesResult result =
      AddFiles(files.settings, files.tree, {u"/stage/bin/", {u"Readme.TXT", u"README.txt", u"b.dll"}},
               u"<WinDir>\\app", files.prompt);
  EXPECT_EQ(result.added, 2u);
  EXPECT_EQ(result.skipped, 1u);
  const FileRecord* record = files.Record(u"<WinDir>\\app\\readme.txt");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Name, u"Readme.TXT");
  EXPECT_EQ(record->Src, u"\\bin\\");
  EXPECT_TRUE(files.prompt.Events().empty());
}

TEST(AddFiles, AcceptingANewBaseEmptiesTheTreeBeforeAdding) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  Files files{u"/stage"};
  AddFiles(files.settings, files.tree, {u"/stage/", {u"old.exe"}}, u"<WinDir>", files.prompt);
  files.prompt.QueueAnswer(Answer::Yes);
  AddFiles(files.settings, files.tree, {u"/elsewhere/", {u"new.exe"}}, u"<WinDir>", files.prompt);
  EXPECT_EQ(files.Record(u"<WinDir>\\old.exe"), nullptr);
  ASSERT_NE(files.Record(u"<WinDir>\\new.exe"), nullptr);
  EXPECT_EQ(files.Record(u"<WinDir>\\new.exe")->Src, u"\\");
  EXPECT_EQ(files.Base(), u"/elsewhere/");
}

TEST(AddFiles, NamesWindowsCannotHoldAreLeftOutWithAWarning) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  EXPECT_TRUE(IsWindowsFileName(u"Read me (v2).txt"));
  EXPECT_TRUE(IsWindowsFileName(u"caf\u00E9.dll"));
  EXPECT_TRUE(IsWindowsFileName(u"con1.txt"));
  EXPECT_TRUE(IsWindowsFileName(u"a..b"));
  for (const WString name : {u"", u"a\\b.txt", u"a:b", u"a*", u"a?", u"a\"b", u"<z>.txt",
                             u"a|b", u"tab\there", u"NUL.txt", u"com1", u"x.", u"x ", u".."}) {
    EXPECT_FALSE(IsWindowsFileName(name)) << text::ToUtf8(name);
  }

  Files files{u"/stage"};
  const AddFilesResult result =
      AddFiles(files.settings, files.tree, {u"/stage/bin/", {u"ok.dll", u"a\\b.txt", u"<z>.txt"}},
               u"<ApplicationDir>", files.prompt);
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(result.added, 1u);
  EXPECT_EQ(result.leftOut, 2u);
  ASSERT_NE(files.Record(u"<ApplicationDir>\\ok.dll"), nullptr);
  const auto messages = files.prompt.Of(PromptEvent::Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, u"Files left out");
  EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(messages[0].text,
            u"2 file(s) or folder(s) were left out: Windows does not allow their names (names holding "
            u"\\ / : * ? \" < > | or control characters, ending in a dot or a blank, or naming a "
            u"device such as CON, NUL, COM1 or LPT1).");

  // A folder below the base whose name Windows cannot hold leaves all its
  // files out; folders above the base do not matter.
  Files nested{u"/my:stage"};
  const AddFilesResult inBadFolder = AddFiles(nested.settings, nested.tree,
                                              {u"/my:stage/a\\b/", {u"x.dll", u"y.dll"}},
                                              u"<ApplicationDir>", nested.prompt);
  EXPECT_TRUE(inBadFolder.accepted);
  EXPECT_EQ(inBadFolder.added, 0u);
  EXPECT_EQ(inBadFolder.leftOut, 2u);
  EXPECT_TRUE(nested.tree.Empty());
  const AddFilesResult inGoodFolder = AddFiles(nested.settings, nested.tree,
                                               {u"/my:stage/bin/", {u"x.dll"}}, u"<ApplicationDir>",
                                               nested.prompt);
  EXPECT_EQ(inGoodFolder.added, 1u);
}

TEST(AddFiles, ADestinationThroughAFileIsRefused) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  Files files{u"/stage"};
  AddFiles(files.settings, files.tree, {u"/stage/", {u"App.exe"}}, u"<ApplicationDir>", files.prompt);
  for (const std::u16string_view destination :
       {u"<ApplicationDir>\\App.exe", u"<ApplicationDir>\\app.EXE\\sub"}) {
    ScriptedPrompt prompt;
    const AddFilesResult result = AddFiles(files.settings, files.tree, {u"/stage/sub/", {u"x.dll"}},
                                           destination, prompt);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.added, 0u);
    const auto messages = prompt.Of(PromptEvent::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, u"Error");
    EXPECT_EQ(messages[0].text, u"The destination " + WString(destination) +
                                    u" runs through a file of the update, not a folder. Choose a "
                                    u"folder for the files.");
  }
  EXPECT_EQ(files.tree.NodeCount(), 2u);  // <ApplicationDir> and App.exe, nothing under the file
}

TEST(AddFiles, PathsAreGroupedByTheirDirectory) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  const auto groups = GroupFilesByDirectory({u"/a/x.exe", u"/b/y.dll", u"/a/z.txt", u"bare"});
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[0].directory, u"/a/");
  EXPECT_EQ(groups[0].fileNames, (std::vector<WString>{u"x.exe", u"z.txt"}));
  EXPECT_EQ(groups[1].directory, u"/b/");
  EXPECT_EQ(groups[2].directory, u"");
  EXPECT_EQ(groups[2].fileNames, std::vector<WString>{u"bare"});
}

TEST(ChooseBaseDirectory, InsideChangesNothingOutsideAsks) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  Files files{u"/stage"};
  ChooseBaseDirectory(files.settings, files.tree, u"/stage/sub", files.prompt);
  EXPECT_EQ(files.Base(), u"/stage");
  EXPECT_TRUE(files.prompt.Events().empty());
  files.prompt.QueueAnswer(Answer::Yes);
  ChooseBaseDirectory(files.settings, files.tree, u"/other", files.prompt);
  EXPECT_EQ(files.Base(), u"/other");
}

TEST(FileSelection, HelpIsShownWithItsCaption) {
  ScriptedPrompt prompt;
  ShowFileSelectionHelp(prompt);
  ASSERT_EQ(prompt.Events().size(), 1u);
  EXPECT_EQ(prompt.Events()[0].caption, u"File selection help");
  EXPECT_EQ(prompt.Events()[0].icon, MessageIcon::Question);
  EXPECT_EQ(prompt.Events()[0].text,
            u"Select the files relevant to your updates. These files can be targeted at any client "
            u"directory of your choice.\r\n\r\nNote that the client destination can include several "
            u"sub-directories, such as <ProgramFilesDir>\\subdir1\\subdir2, and these will be created "
            u"on if needed.");
}

TEST(TreePath, NamesHoldingBackslashesAreFound) {
  FileTree tree;
  FileRecord record;
  TreeNode* data = tree.AddDirectoryPath(u"<ApplicationDir>\\Data", nullptr);
  TreeNode* archive = tree.InsertItem(data, &record, u"Data.zip");
  TreeNode* entry = tree.InsertItem(archive, &record, u"images\\logo.bmp");
  EXPECT_EQ(FindNodeByPath(tree, u"<applicationdir>\\DATA\\data.zip"), archive);
  EXPECT_EQ(FindNodeByPath(tree, u"<ApplicationDir>\\Data\\Data.zip\\images\\logo.bmp"), entry);
  EXPECT_EQ(FindNodeByPath(tree, u"\\<ApplicationDir>\\Data\\"), data);
  EXPECT_EQ(FindNodeByPath(tree, u"<ApplicationDir>\\Data\\missing"), nullptr);
  EXPECT_EQ(FindNodeByPath(tree, u""), nullptr);
  EXPECT_EQ(NodePath(*entry), u"<ApplicationDir>\\Data\\Data.zip\\images\\logo.bmp");
}

}  // namespace
}  // namespace tidewell
