#include <gtest/gtest.h>

#include "support/HostOnly.h"
#include "project/Preferences.h"
#include "project/ProjectDialogRules.h"
#include "project/RecentList.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::PromptEvent;
using testing::ScriptedPrompt;
using testing::TempDir;

void ExpectBalloon(const ScriptedPrompt& prompt, const FieldId& field, const WString& text) {
  const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].field, field);
  EXPECT_EQ(balloons[0].caption, u"Invalid parameters");
  EXPECT_EQ(balloons[0].text, text);
  EXPECT_EQ(balloons[0].icon, MessageIcon::Error);
}

TEST(ProjectDialogRules, TabsFollowTheMode) {
  EXPECT_EQ(ProjectDialogTabs(ProjectDialogMode::NewMode), (std::vector<WString>{u"New", u"Load"}));
  EXPECT_EQ(ProjectDialogTabs(ProjectDialogMode::SaveAsMode), std::vector<WString>{u"Save As"});
  EXPECT_EQ(ProjectDialogFirstTab(ProjectDialogMode::OpenMode), 1u);
  EXPECT_EQ(ProjectDialogFirstTab(ProjectDialogMode::NewMode), 0u);
  EXPECT_TRUE(ShowsLoadScreenCheckBox(ProjectDialogMode::OpenMode));
  EXPECT_FALSE(ShowsLoadScreenCheckBox(ProjectDialogMode::SaveAsMode));
}

TEST(ProjectDialogRules, TheLocationFollowsTheNameAndTheChosenFolder) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  EXPECT_EQ(InitialProjectLocation(u"/opt/tidewell"), u"/opt/tidewell/");
  EXPECT_EQ(InitialProjectLocation(u"/opt/tidewell/"), u"/opt/tidewell/");
  // Each key typed in the name replaces what follows the last separator.
  WString location = InitialProjectLocation(u"/opt/tidewell");
  for (const char16_t* typed : {u"M", u"My", u"MyApp"}) location = LocationAfterNameEdit(location, typed);
  EXPECT_EQ(location, u"/opt/tidewell/MyApp");
  EXPECT_EQ(LocationAfterNameEdit(u"/opt//x/old", u"New"), u"/opt/x/New");
  EXPECT_EQ(LocationAfterNameEdit(u"nofolder", u"New"), u"New");
  EXPECT_EQ(LocationAfterBrowse(u"/home/me/Projects/", u"MyApp"), u"/home/me/Projects/MyApp");
  EXPECT_EQ(LocationAfterBrowse(u"/home/me/Projects", u"MyApp"), u"/home/me/Projects/MyApp");
}

TEST(ProjectDialogRules, NewProjectChecksLocationThenNameThenCreatesTheFolder) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  TempDir dir;
  const WString projects = text::FromPath(dir.Path());
  {
    ScriptedPrompt prompt;
    EXPECT_FALSE(ConfirmNewProject(u"", u"", prompt));
    ExpectBalloon(prompt, kProjectLocationField,
                  u"Choose a base directory where you want to store the Tidewell files.");
  }
  {
    ScriptedPrompt prompt;
    EXPECT_FALSE(ConfirmNewProject(u"", projects + u"/MyApp", prompt));
    ExpectBalloon(prompt, kProjectNameField, u"You must select an appropriate name for the project.");
  }
  ScriptedPrompt prompt;
  const auto choice = ConfirmNewProject(u"MyApp", projects + u"//MyApp/", prompt);
  ASSERT_TRUE(choice);
  EXPECT_TRUE(prompt.Events().empty());
  EXPECT_EQ(choice->name, u"MyApp");
  EXPECT_EQ(choice->folder, projects + u"/MyApp");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "MyApp"));
}

TEST(ProjectDialogRules, AnExistingOrUncreatableFolderIsRefused) {
  TempDir dir;
  const WString projects = text::FromPath(dir.Path());
  std::filesystem::create_directory(dir / "Taken");
  {
    ScriptedPrompt prompt;
    EXPECT_FALSE(ConfirmNewProject(u"Taken", projects + u"/Taken", prompt));
    ExpectBalloon(prompt, kProjectDialogOkField,
                  u"Error: Project directory could not be created.\r\n" + projects + u"/Taken");
  }
  {
    // Only the last level is created.
    ScriptedPrompt prompt;
    EXPECT_FALSE(ConfirmNewProject(u"Deep", projects + u"/missing/Deep", prompt));
    ExpectBalloon(prompt, kProjectDialogOkField,
                  u"Error: Project directory could not be created.\r\n" + projects + u"/missing/Deep");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
  }
  {
    testing::WriteBytes(dir / "Old" / "Settings.xml", "<Tidemark></Tidemark>");
    ScriptedPrompt prompt;
    EXPECT_FALSE(ConfirmNewProject(u"Old", projects + u"/Old", prompt));
    ExpectBalloon(prompt, kProjectDialogOkField,
                  u"Error: An existing project appears to exist with this name. Select a different "
                  u"project name or directory.");
  }
}

TEST(ProjectDialogRules, OpenSplitsThePathAtItsLastSeparator) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  ScriptedPrompt prompt;
  EXPECT_FALSE(ConfirmOpenProject(u"", prompt));
  ExpectBalloon(prompt, kProjectOpenBrowseField,
                u"No project was selected. Create a new project or select an existing one from a "
                u"directory.");

  const auto choice = ConfirmOpenProject(u"/home//me/MyApp/Settings.xml", prompt);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->folder, u"/home/me/MyApp");
  EXPECT_EQ(choice->fileName, u"Settings.xml");
  EXPECT_EQ(choice->Path(), u"/home/me/MyApp/Settings.xml");

  const auto bare = ConfirmOpenProject(u"Settings.xml", prompt);
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->folder, u"");
  EXPECT_EQ(bare->Path(), u"Settings.xml");
}

TEST(ProjectDialogRules, TheLoadPageListsNamedRecentProjectsMostRecentFirst) {
  MemoryPreferences preferences;
  EXPECT_TRUE(ReadOpenPageChoices(preferences).recent.empty());

  RecentList list;
  list.SetMaximum(16);
  for (int i = 1; i <= 16; ++i)
    list.Add(MakeRecentEntry(u"P" + text::FormatDecimal(i), u"/p/" + text::FormatDecimal(i) + u".xml"));
  list.WriteTo(preferences);
  const OpenPageChoices choices = ReadOpenPageChoices(preferences);
  ASSERT_EQ(choices.recent.size(), 15u);
  EXPECT_EQ(choices.recent.front().name, u"P16");
  EXPECT_EQ(choices.recent.front().path, u"/p/16.xml");
  EXPECT_EQ(choices.recent.back().name, u"P2");
  EXPECT_EQ(choices.initialPath, u"/p/16.xml");

  // An entry without "|" is not listed, but the most recent one still fills the edit.
  preferences.WriteText(kRecentDocumentGroup, u"Document1", u"/loose/Settings.xml");
  const OpenPageChoices loose = ReadOpenPageChoices(preferences);
  EXPECT_EQ(loose.initialPath, u"/loose/Settings.xml");
  EXPECT_EQ(loose.recent.front().name, u"P15");
}

}  // namespace
}  // namespace tidewell
