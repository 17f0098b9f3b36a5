#include <gtest/gtest.h>

#include "project/ProjectDocument.h"
#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace tidewell {
namespace {

TEST(ProjectSettings, GetSettingTurnsEveryLineBreakIntoCrLf) {
  ProjectSettings settings;
  struct Case {
    std::u16string stored;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"one\ntwo", u"one\r\ntwo"},
      {u"one\r\ntwo", u"one\r\ntwo"},
      {u"one\rtwo", u"one\rtwo"},
      {u"a\r\n\nb\n", u"a\r\n\r\nb\r\n"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    settings.SetSetting(SettingKey::Welcome, c.stored);
    EXPECT_EQ(settings.GetSetting(SettingKey::Welcome), c.expected);
    EXPECT_EQ(settings.GetRawSetting(SettingKey::Welcome).second, c.stored);
  }
}

TEST(ProjectSettings, FlagMaskHasBitIForFlagI) {
  ProjectSettings settings;
  for (int i = 0; i < kFlagCount; ++i) settings.SetFlag(i, false);
  settings.SetFlag(5, true);
  EXPECT_EQ(settings.FlagMask(), u"32");
  settings.SetFlag(0, true);
  settings.SetFlag(8, true);
  EXPECT_EQ(settings.FlagMask(), u"289");
}

TEST(ProjectSettings, SetFlagsFromMaskFollowsTheDecimalConversionRule) {
  ProjectSettings settings;
  settings.SetFlagsFromMask(u"289");
  for (int i = 0; i < kFlagCount; ++i) EXPECT_EQ(settings.GetFlag(i), i == 0 || i == 5 || i == 8) << i;

  settings.SetFlagsFromMask(u"x32");
  for (int i = 0; i < kFlagCount; ++i) EXPECT_FALSE(settings.GetFlag(i)) << i;

  settings.SetFlagsFromMask(u"  +3junk");
  EXPECT_TRUE(settings.GetFlag(0));
  EXPECT_TRUE(settings.GetFlag(1));
  EXPECT_FALSE(settings.GetFlag(2));

  // Bits above flag 14 are not kept.
  settings.SetFlagsFromMask(u"65536");
  EXPECT_EQ(settings.FlagMask(), u"0");
}

TEST(ProjectSettings, ResetRestoresDefaultsAfterEditing) {
  ProjectSettings settings;
  settings.SetSetting(SettingKey::UpdateType, u"Silent");
  settings.SetSetting(SettingKey::Frequency, u"3");
  settings.SetSetting(SettingKey::Reprompt, u"1");
  settings.SetSetting(SettingKey::ClientXML, u"");
  settings.SetFlagsFromMask(u"511");
  settings.ResetSettings();
  EXPECT_EQ(settings.GetSetting(SettingKey::UpdateType), u"Normal");
  EXPECT_EQ(settings.GetSetting(SettingKey::Frequency), u"0");
  EXPECT_EQ(settings.GetSetting(SettingKey::Reprompt), u"0");
  EXPECT_EQ(settings.GetSetting(SettingKey::ClientXML), u"UpdateConfig.xml");
  EXPECT_EQ(settings.FlagMask(), u"32");
}

TEST(ProjectSettings, ReservedSlotsHaveNoNameAndStayEmpty) {
  ProjectSettings settings;
  for (const int i : {12, 13, 22, 26, 27, 28, 29}) {
    const auto key = static_cast<SettingKey>(i);
    EXPECT_EQ(ProjectSettings::KeyName(key), u"") << i;
    settings.SetSetting(key, u"something");
    EXPECT_EQ(settings.GetSetting(key), u"") << i;
  }
  SettingKey key{};
  EXPECT_TRUE(ProjectSettings::KeyFromName(u"HTTPLocationXML", key));
  EXPECT_EQ(key, SettingKey::HTTPLocationXML);
  EXPECT_FALSE(ProjectSettings::KeyFromName(u"httplocationxml", key));
  EXPECT_FALSE(ProjectSettings::KeyFromName(u"", key));
}

TEST(ProjectSettings, DefaultsOfTheAddressesAndTheWelcomeText) {
  ProjectSettings settings;
  const WString files = settings.GetSetting(SettingKey::HTTPLocationFiles);
  const WString xml = settings.GetSetting(SettingKey::HTTPLocationXML);
  EXPECT_EQ(files.rfind(u"http://", 0), 0u);
  EXPECT_TRUE(files.ends_with(u"/AppUpdates"));
  EXPECT_TRUE(xml.ends_with(u"/AppUpdates/UpdateFile.xml"));
  const WString welcome = settings.GetSetting(SettingKey::Welcome);
  EXPECT_EQ(welcome.rfind(u"Hi %Login%,\r\n\r\nAn update is now available!\r\n\r\nTo update", 0), 0u);
  EXPECT_NE(welcome.find(u"clicking 'Cancel'.\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nWARNING:"), WString::npos);
  EXPECT_TRUE(welcome.ends_with(u"to the maximum extent of the law."));
}

TEST(ProjectDocument, DerivedPathsFallBackWhenNamesAreEmpty) {
  ProjectDocument document;
  document.projectFolder = text::FromUtf8("/projects/MyApp");
  document.projectFileName = u"Settings.xml";
  const WString sep(1, text::kHostSeparator);
  EXPECT_EQ(document.ProjectFilePath(), u"/projects/MyApp" + sep + u"Settings.xml");
  EXPECT_EQ(document.ClientExecutablePath(), u"/projects/MyApp" + sep + u"Tidewatcher.exe");
  EXPECT_EQ(document.ServerFilePath(), u"/projects/MyApp" + sep + u"UpdateConfig.xml");
  document.settings.SetSetting(SettingKey::ClientXML, u"");
  document.settings.SetSetting(SettingKey::ClientExe, u"");
  EXPECT_EQ(document.ServerFilePath(), u"/projects/MyApp" + sep + u"UpdateFiles.xml");
  EXPECT_EQ(document.ClientExecutablePath(), u"/projects/MyApp" + sep + u"Tidewatcher.exe");
}

}  // namespace
}  // namespace tidewell
