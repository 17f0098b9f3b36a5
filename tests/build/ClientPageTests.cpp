#include <gtest/gtest.h>

#include "support/HostOnly.h"
#include "build/ClientBehaviours.h"
#include "build/ClientBuilder.h"
#include "build/ClientPage.h"
#include "build/IconSelection.h"
#include "project/ProjectDocument.h"
#include "support/ScriptedPrompt.h"

namespace tidewell {
namespace {

using testing::PromptEvent;
using testing::ScriptedPrompt;
using Fields = ClientBehavioursPage::Fields;

TEST(ClientBehavioursPage, ANewProjectShowsTheDefaults) {
  ProjectSettings settings;
  ClientBehavioursPage page(settings);
  page.LoadFromSettings();
  Fields expected;
  expected.updateType = 0;  // "Normal"
  expected.frequency = 0;   // "Application start"
  expected.reprompt = 0;    // "Always reprompt"
  expected.showMessage = {true, false, false, false, false, false};
  EXPECT_EQ(page.fields, expected);
  EXPECT_EQ(kMessageRows[0].title, u"Welcome page");
}

TEST(ClientBehavioursPage, RowsAndSwitchesMapToTheirFlags) {
  ProjectSettings settings;
  ClientBehavioursPage page(settings);
  page.fields.showMessage = {false, true, true, true, true, true};
  page.fields.warnOnExit = true;
  page.fields.allowDisplayOfErrors = true;
  page.fields.automaticRestart = true;
  EXPECT_FALSE(page.ValidateAndStore(true));
  // Rows 1 to 5 are flags 3, 2, 0, 1 and 4; the switches 6, 7 and 8.
  EXPECT_EQ(settings.FlagMask(), u"479");
  settings.SetFlagsFromMask(u"72");  // flags 3 and 6
  page.LoadFromSettings();
  EXPECT_EQ(page.fields.showMessage, (std::array<bool, 6>{false, true, false, false, false, false}));
  EXPECT_TRUE(page.fields.warnOnExit);
  EXPECT_FALSE(page.fields.allowDisplayOfErrors);
  EXPECT_FALSE(page.fields.automaticRestart);
}

TEST(ClientBehavioursPage, TheUpdateTypeIsLookedUpWithoutRegardToCase) {
  struct Case {
    std::u16string_view stored;
    int before;
    int after;
    std::u16string_view storedBack;
  };
  const Case cases[] = {
      {u"silent", 0, 1, u"Silent"},
      {u"CRITICAL", 1, 2, u"Critical"},
      {u"Urgent", 2, 2, u"Critical"},  // unknown: the selection stays
      {u"Urgent", kNoChoice, kNoChoice, u""},
  };
  for (const Case& c : cases) {
    ProjectSettings settings;
    settings.SetSetting(SettingKey::UpdateType, WString(c.stored));
    ClientBehavioursPage page(settings);
    page.fields.updateType = c.before;
    page.LoadFromSettings();
    EXPECT_EQ(page.fields.updateType, c.after);
    page.ValidateAndStore(false);
    EXPECT_EQ(settings.GetSetting(SettingKey::UpdateType), c.storedBack);
  }
}

TEST(ClientBehavioursPage, FrequencyAndRepromptAreIndexesWithMinusOneForNone) {
  struct Case {
    std::u16string_view frequency;
    std::u16string_view reprompt;
    int frequencyIndex;
    int repromptIndex;
    std::u16string_view frequencyBack;
    std::u16string_view repromptBack;
  };
  const Case cases[] = {
      {u"4", u"1", 4, 1, u"4", u"1"},
      {u"7", u"2", kNoChoice, kNoChoice, u"-1", u"-1"},
      {u"-1", u"-1", kNoChoice, kNoChoice, u"-1", u"-1"},
      {u" 2x", u"", 2, 0, u"2", u"0"},
  };
  for (const Case& c : cases) {
    ProjectSettings settings;
    settings.SetSetting(SettingKey::Frequency, WString(c.frequency));
    settings.SetSetting(SettingKey::Reprompt, WString(c.reprompt));
    ClientBehavioursPage page(settings);
    page.LoadFromSettings();
    EXPECT_EQ(page.fields.frequency, c.frequencyIndex);
    EXPECT_EQ(page.fields.reprompt, c.repromptIndex);
    page.ValidateAndStore(false);
    EXPECT_EQ(settings.GetSetting(SettingKey::Frequency), c.frequencyBack);
    EXPECT_EQ(settings.GetSetting(SettingKey::Reprompt), c.repromptBack);
  }
}

TEST(ClientBehavioursPage, MessageTextsHoldAtMost1024Characters) {
  ProjectSettings settings;
  settings.SetFlag(BehaviourFlag::ShowReason, false);
  EXPECT_EQ(ValidateAndStoreMessageText(settings, SettingKey::Reason, WString(1024, u'r')),
            MessageTextResult::Stored);
  EXPECT_EQ(settings.GetSetting(SettingKey::Reason), WString(1024, u'r'));
  EXPECT_EQ(ValidateAndStoreMessageText(settings, SettingKey::Reason, WString(1025, u'x')),
            MessageTextResult::TooLong);
  EXPECT_EQ(settings.GetSetting(SettingKey::Reason), WString(1024, u'r'));
  EXPECT_FALSE(settings.GetFlag(BehaviourFlag::ShowReason));  // editing leaves the check box
  EXPECT_EQ(ValidateAndStoreMessageText(settings, SettingKey::AppTitle, u"t"),
            MessageTextResult::NotAMessage);
  EXPECT_EQ(settings.GetSetting(SettingKey::AppTitle), u"My Application Title");
  EXPECT_EQ(MessageRowOfKey(SettingKey::SilentFinished), 5u);
  EXPECT_EQ(MessageRowOfKey(SettingKey::Welcome), 0u);
}

TEST(ClientBehavioursPage, EditingWithoutARowPointsAtTheList) {
  ScriptedPrompt prompt;
  EXPECT_EQ(SelectedMessageRow(2u, prompt), 2u);
  EXPECT_EQ(SelectedMessageRow(std::nullopt, prompt), std::nullopt);
  EXPECT_EQ(SelectedMessageRow(6u, prompt), std::nullopt);
  const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 2u);
  EXPECT_EQ(balloons[0].field, kMessageListField);
  EXPECT_EQ(balloons[0].caption, u"Invalid parameters");
  EXPECT_EQ(balloons[0].text, u"Double click on item to change the message text.");
  EXPECT_EQ(balloons[0].icon, MessageIcon::Error);
}

TEST(ClientPage, FieldsAreCopiedBothWays) {
  ProjectSettings settings;
  ClientPage page(settings);
  page.LoadFromSettings();
  EXPECT_EQ(page.fields.companyName, u"My Company");
  EXPECT_EQ(page.fields.executable, u"ApplicationExecutable.exe");
  page.fields.requestXml = u"http://example.org/u.php?ed=%Variable2%";
  page.fields.appTitle = u"";
  EXPECT_FALSE(page.ValidateAndStore(true));
  EXPECT_EQ(settings.GetSetting(SettingKey::HTTPLocationXML), u"http://example.org/u.php?ed=%Variable2%");
  EXPECT_EQ(settings.GetSetting(SettingKey::AppTitle), u"");
  EXPECT_EQ(VariableReference(u"Login"), u"%Login%");
}

TEST(ClientPage, ChoosingTheMainExecutableStoresItsNameAndOffersItsIcons) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  ProjectSettings settings;
  ClientPage page(settings);
  ScriptedPrompt prompt;
  std::vector<WString> iconSources;
  auto setIcons = [&](const WString& source) { iconSources.push_back(source); };

  prompt.QueueAnswer(Answer::No);
  EXPECT_EQ(page.ChooseMainExecutable(u"/App/bin/Main.exe", prompt, setIcons), u"Main.exe");
  EXPECT_EQ(settings.GetSetting(SettingKey::Executable), u"Main.exe");
  EXPECT_EQ(page.fields.executable, u"Main.exe");
  EXPECT_TRUE(iconSources.empty());
  const auto questions = prompt.Of(PromptEvent::Kind::Question);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].caption, u"Automatic icon setting");
  EXPECT_EQ(questions[0].text,
            u"Do you want to set the icons of the Tidewell client to be the same as the icons of "
            u"Main.exe?");
  EXPECT_EQ(questions[0].buttons, Buttons::YesNo);
  EXPECT_EQ(questions[0].icon, MessageIcon::Question);

  prompt.QueueAnswer(Answer::Yes);
  page.ChooseMainExecutable(u"/App/Other.exe", prompt, setIcons);
  EXPECT_EQ(iconSources, std::vector<WString>{u"/App/Other.exe"});
  EXPECT_EQ(settings.GetSetting(SettingKey::Executable), u"Other.exe");
}

TEST(ClientPage, AnsweringYesWithoutAProjectLeadsToTheIconRequestsMessage) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  ProjectDocument document;
  ScriptedPrompt prompt;
  ClientBuilder builder(prompt, u"/no/tool/folder");
  ClientPage page(document.settings);
  prompt.QueueAnswer(Answer::Yes);
  page.ChooseMainExecutable(u"/App/bin/Main.exe", prompt, [&](const WString&) {
    EXPECT_EQ(PrepareClientIcons(document, builder, prompt), CommandOutcome::Refused);
  });
  // The new name is kept whatever became of the icons.
  EXPECT_EQ(document.settings.GetSetting(SettingKey::Executable), u"Main.exe");
  const auto messages = prompt.Of(PromptEvent::Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, u"Error");
  EXPECT_EQ(messages[0].text,
            u"To set the Tidewell client icons you must first create a new project or save the "
            u"existing one.");
}

}  // namespace
}  // namespace tidewell
