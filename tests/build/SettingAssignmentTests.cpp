#include <gtest/gtest.h>

#include "build/SettingAssignment.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::PromptEvent;

std::vector<SettingAssignment> Parse(std::initializer_list<std::u16string_view> texts) {
  std::vector<SettingAssignment> out;
  for (auto text : texts) {
    WString error;
    auto a = ParseSettingAssignment(text, &error);
    EXPECT_TRUE(a) << text::ToUtf8(text) << ": " << text::ToUtf8(error);
    if (a) out.push_back(*a);
  }
  return out;
}

TEST(SettingAssignment, ReadsKeysFlagsAndTheMask) {
  auto one = [](std::u16string_view text) {
    WString error;
    return ParseSettingAssignment(text, &error);
  };
  auto setting = one(u"AppTitle=Logbook = Pro");
  ASSERT_TRUE(setting);
  EXPECT_EQ(setting->kind, SettingAssignment::Kind::Setting);
  EXPECT_EQ(setting->key, SettingKey::AppTitle);
  EXPECT_EQ(setting->value, u"Logbook = Pro");  // only the first = separates
  EXPECT_EQ(one(u"httplocationxml=x")->key, SettingKey::HTTPLocationXML);
  EXPECT_EQ(one(u"Welcome=")->value, u"");

  struct FlagCase {
    std::u16string_view text;
    int flag;
    bool on;
  };
  const FlagCase flags[] = {
      {u"flag.WarnOnExit=on", 6, true},      {u"Flag6=1", 6, true},
      {u"flag.warnonexit=OFF", 6, false},    {u"flag.AutomaticRestart=yes", 8, true},
      {u"flag.ShowInstallComplete=true", 0, true}, {u"Flag14=no", 14, false},
      {u"FLAG0=False", 0, false},            {u"flag.AllowDisplayOfErrors=0", 7, false},
  };
  for (const FlagCase& c : flags) {
    const auto a = one(c.text);
    ASSERT_TRUE(a) << text::ToUtf8(c.text);
    EXPECT_EQ(a->kind, SettingAssignment::Kind::Flag);
    EXPECT_EQ(a->flag, c.flag) << text::ToUtf8(c.text);
    EXPECT_EQ(a->on, c.on) << text::ToUtf8(c.text);
  }
  EXPECT_EQ(one(u"Settings=289")->kind, SettingAssignment::Kind::FlagMask);
}

TEST(SettingAssignment, RefusesWhatItCannotStore) {
  const std::u16string_view bad[] = {
      u"AppTitle",          u"NoSuchKey=1", u"=value",         u"Flag15=on",
      u"Flag6=maybe",       u"flag.Sparkle=on", u"flag.=on",  u"Flag=on",
      u"Flag-1=on",         u"ProjName=",   u"Flag006=on",
  };
  for (auto text : bad) {
    WString error;
    EXPECT_FALSE(ParseSettingAssignment(text, &error)) << text::ToUtf8(text);
    EXPECT_FALSE(error.empty()) << text::ToUtf8(text);
  }
}

TEST(SettingAssignment, AppliesEverythingOrNothing) {
  ProjectSettings settings;
  testing::ScriptedPrompt prompt;
  EXPECT_TRUE(ApplySettingAssignments(
      settings,
      Parse({u"AppTitle=Logbook", u"ClientExe=Updater", u"flag.WarnOnExit=on", u"Flag5=off",
             u"AppVersion=1.0", u"UpdateVersion=1.5", u"Frequency=3"}),
      prompt));
  EXPECT_EQ(settings.RawValue(SettingKey::AppTitle), u"Logbook");
  EXPECT_EQ(settings.RawValue(SettingKey::ClientExe), u"Updater.exe");
  EXPECT_EQ(settings.RawValue(SettingKey::AppVersion), u"1.0");
  EXPECT_EQ(settings.RawValue(SettingKey::UpdateVersion), u"1.5");
  EXPECT_EQ(settings.RawValue(SettingKey::Frequency), u"3");
  EXPECT_EQ(settings.FlagMask(), u"64");
  EXPECT_TRUE(prompt.Events().empty());

  // A refused release value keeps every other value of the call out too.
  EXPECT_FALSE(ApplySettingAssignments(
      settings, Parse({u"AppTitle=Other", u"UpdateVersion=0.9", u"Settings=0"}), prompt));
  EXPECT_EQ(settings.RawValue(SettingKey::AppTitle), u"Logbook");
  EXPECT_EQ(settings.RawValue(SettingKey::UpdateVersion), u"1.5");
  EXPECT_EQ(settings.FlagMask(), u"64");
  const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].field, "versionConfiguration.updateVersion");
  EXPECT_EQ(balloons[0].text,
            u"The update version must be greater than the application version. Try again.");

  prompt.Clear();
  EXPECT_FALSE(ApplySettingAssignments(settings, Parse({u"CheckNow=", u"AppVersion=x"}), prompt));
  const auto both = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].field, "fileConfiguration.checkNow");
  EXPECT_EQ(both[1].field, "versionConfiguration.appVersion");
  EXPECT_EQ(settings.RawValue(SettingKey::CheckNow), u"CheckNow");
}

TEST(SettingAssignment, ClientNamesWindowsCannotHoldAreRefused) {
  const struct {
    std::u16string_view value;
    std::u16string_view stored;  // empty: refused
  } cases[] = {
      {u"Updater", u"Updater.exe"},           {u"Über Tide", u"Über Tide.exe"},
      {u"CONSOLE", u"CONSOLE.exe"},           {u"COM10", u"COM10.exe"},
      {u"bad:name", u""},                     {u"sub\\Updater", u""},
      {u"sub/Updater", u""},                  {u"why?", u""},
      {u"star*", u""},                        {u"a\"b", u""},
      {u"<x>", u""},                          {u"pipe|d", u""},
      {u"tab\there", u""},                   {u"con", u""},
      {u"NUL.exe", u""},                      {u"com1", u""},
      {u"Lpt9.exe", u""},                     {u"aux", u""},
  };
  for (const auto& c : cases) {
    ProjectSettings settings;
    testing::ScriptedPrompt prompt;
    const bool stored = ApplySettingAssignments(settings, Parse({u"ClientExe=" + WString(c.value)}), prompt);
    SCOPED_TRACE(text::ToUtf8(c.value));
    EXPECT_EQ(stored, !c.stored.empty());
    if (stored) {
      EXPECT_EQ(settings.RawValue(SettingKey::ClientExe), c.stored);
      continue;
    }
    EXPECT_EQ(settings.RawValue(SettingKey::ClientExe), u"Tidewatcher.exe");
    const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].field, "fileConfiguration.clientExe");
    EXPECT_EQ(balloons[0].text,
              u"The client name must be a Windows file name: none of \\ / : * ? \" < > | or "
              u"control characters, and not a device name such as CON, NUL, COM1 or LPT1.");
  }
}

TEST(SettingAssignment, OnlyTheTouchedPanesAreChecked) {
  ProjectSettings settings;
  // Versions that the pane would refuse, stored by an earlier tool.
  settings.SetSetting(SettingKey::AppVersion, u"2.0");
  settings.SetSetting(SettingKey::UpdateVersion, u"1.0");
  testing::ScriptedPrompt prompt;
  EXPECT_TRUE(ApplySettingAssignments(settings, Parse({u"ClientXML=Server.xml"}), prompt));
  EXPECT_EQ(settings.RawValue(SettingKey::ClientXML), u"Server.xml");
  // Setting one version checks both.
  EXPECT_FALSE(ApplySettingAssignments(settings, Parse({u"UpdateVersion=1.5"}), prompt));
  EXPECT_TRUE(ApplySettingAssignments(settings, Parse({u"UpdateVersion=2.5"}), prompt));
  EXPECT_EQ(settings.RawValue(SettingKey::UpdateVersion), u"2.5");
}

TEST(SettingAssignment, ClientBehaviourSettingsFollowThePageRules) {
  ProjectSettings settings;
  testing::ScriptedPrompt prompt;
  EXPECT_TRUE(ApplySettingAssignments(
      settings, Parse({u"UpdateType=silent", u"Frequency=Every 3rd start", u"Reprompt=1"}), prompt));
  EXPECT_EQ(settings.RawValue(SettingKey::UpdateType), u"Silent");
  EXPECT_EQ(settings.RawValue(SettingKey::Frequency), u"2");
  EXPECT_EQ(settings.RawValue(SettingKey::Reprompt), u"1");
  EXPECT_TRUE(prompt.Events().empty());

  // A message of exactly 1024 characters is stored; one more is refused and
  // nothing of the same request is stored.
  EXPECT_TRUE(ApplySettingAssignments(settings, Parse({u"Reason=" + WString(1024, u'r')}), prompt));
  EXPECT_EQ(settings.RawValue(SettingKey::Reason).size(), 1024u);
  EXPECT_FALSE(ApplySettingAssignments(
      settings, Parse({u"AppTitle=Changed", u"License=" + WString(1025, u'l')}), prompt));
  EXPECT_EQ(settings.RawValue(SettingKey::License), u"");
  EXPECT_EQ(settings.RawValue(SettingKey::AppTitle), u"My Application Title");
  auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].text, u"A message text holds at most 1024 characters.");
  EXPECT_EQ(balloons[0].caption, u"Invalid parameters");

  struct Case {
    const char16_t* assignment;
    const char* field;
  };
  const Case refused[] = {
      {u"UpdateType=Urgent", "clientBehaviours.updateType"},
      {u"Frequency=5", "clientBehaviours.frequency"},
      {u"Frequency=-1", "clientBehaviours.frequency"},
      {u"Reprompt=Never", "clientBehaviours.reprompt"},
  };
  for (const auto& c : refused) {
    prompt.Clear();
    EXPECT_FALSE(ApplySettingAssignments(settings, Parse({c.assignment}), prompt));
    balloons = prompt.Of(PromptEvent::Kind::Balloon);
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].field, c.field);
  }
  EXPECT_EQ(balloons[0].text,
            u"The reprompt rule is one of \"Always reprompt\" or \"Wait for next version\", or its position from 0.");
  EXPECT_EQ(settings.RawValue(SettingKey::UpdateType), u"Silent");
}

TEST(FlagSpellings, NameEachMeaningfulFlag) {
  const auto spellings = FlagSpellings();
  ASSERT_EQ(spellings.size(), 9u);
  EXPECT_EQ(spellings[0], u"flag.ShowInstallComplete (Flag0)");
  EXPECT_EQ(spellings[6], u"flag.WarnOnExit (Flag6)");
  EXPECT_EQ(spellings[8], u"flag.AutomaticRestart (Flag8)");
}

}  // namespace
}  // namespace tidewell
