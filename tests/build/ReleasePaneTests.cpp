#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "build/ReleasePanes.h"
#include "build/VersionValue.h"
#include "project/ProjectSettings.h"
#include "support/ScriptedPrompt.h"

namespace tidewell {
namespace {

using testing::PromptEvent;
using testing::ScriptedPrompt;

TEST(VersionValue, ReadsTheLeadingDecimalNumberAsWcstodDoes) {
  struct Case {
    std::u16string_view text;
    double value;
  };
  const Case cases[] = {
      {u"1.0", 1.0},     {u"2.5b", 2.5},     {u"v1.0", 0.0},    {u"1.10", 1.1},
      {u"1.9", 1.9},     {u"2", 2.0},        {u"-1", -1.0},     {u"+3.", 3.0},
      {u".5", 0.5},      {u" \t\r\n2.25", 2.25}, {u"", 0.0},    {u".", 0.0},
      {u"-.", 0.0},      {u"1e2", 100.0},    {u"1e", 1.0},      {u"1e+", 1.0},
      {u"2.5E-1x", 0.25}, {u"0x10", 0.0},    {u"1,5", 1.0},     {u"1.2.3", 1.2},
      {u"0.0", 0.0},     {u"1e-400", 0.0},   {u"\u00A01", 0.0},  // only C white space
      {u"\uFF11", 0.0},  // full-width digits are no digits
      // Leading zeros of an exponent carry no weight, however many.
      {u"1e0000000001", 10.0}, {u"1e-0000000001", 0.1}, {u"2.5e00000000000", 2.5},
      {u"1e+000", 1.0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VersionValue(c.text), c.value)
        << "'" << std::string(c.text.begin(), c.text.end()) << "'";
  EXPECT_EQ(VersionValue(u"1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(VersionValue(u"-1e99999999999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(VersionValue(u"0." + WString(400, u'0') + u"1e5"), 0.0);
  EXPECT_EQ(VersionValue(WString(400, u'9')), std::numeric_limits<double>::infinity());
}

struct PaneFixture : ::testing::Test {
  ProjectSettings settings;
  ScriptedPrompt prompt;
  ReleasePanes panes{settings, prompt};

  std::vector<std::pair<FieldId, WString>> Balloons() const {
    std::vector<std::pair<FieldId, WString>> out;
    for (const PromptEvent& e : prompt.Of(PromptEvent::Kind::Balloon)) {
      EXPECT_EQ(e.caption, u"Invalid parameters");
      EXPECT_EQ(e.icon, MessageIcon::Error);
      out.emplace_back(e.field, e.text);
    }
    return out;
  }
};

using VersionPane = PaneFixture;

TEST_F(VersionPane, RulesInOrderWithTheirFieldsAndMessages) {
  const WString format = u"The value should be of the format 'a.b', such as version '1.0'";
  const WString order =
      u"The update version must be greater than the application version. Try again.";
  struct Case {
    std::u16string_view app, update;
    FieldId field;  // empty: accepted
    WString message;
  };
  const Case cases[] = {
      {u"1.10", u"1.9", "", u""},
      {u"1.9", u"1.10", "versionConfiguration.updateVersion", order},
      {u"1.0", u"1.00", "versionConfiguration.updateVersion", order},
      {u"1.0", u"0.0", "versionConfiguration.updateVersion", format},
      {u"1.0", u"abc", "versionConfiguration.updateVersion", format},
      {u"1.0", u"v2", "versionConfiguration.updateVersion", format},
      {u"abc", u"2.0", "versionConfiguration.appVersion", format},
      {u"v2", u"abc", "versionConfiguration.updateVersion", format},  // update first
      {u"0.0", u"", "versionConfiguration.appVersion", format},
      {u"-2", u"-1", "", u""},
      {u"", u"2", "", u""},
      {u"", u"", "", u""},
      {u"3", u"", "", u""},
  };
  for (const Case& c : cases) {
    prompt.Clear();
    settings.SetSetting(SettingKey::AppVersion, u"stored app");
    settings.SetSetting(SettingKey::UpdateVersion, u"stored update");
    panes.version.fields = {WString(c.app), WString(c.update)};
    const bool invalid = panes.version.ValidateAndStore(true);
    const std::string label = std::string(c.app.begin(), c.app.end()) + " / " +
                              std::string(c.update.begin(), c.update.end());
    EXPECT_EQ(invalid, !c.field.empty()) << label;
    if (c.field.empty()) {
      EXPECT_EQ(Balloons().size(), 0u) << label;
      EXPECT_EQ(settings.RawValue(SettingKey::AppVersion), c.app) << label;
      EXPECT_EQ(settings.RawValue(SettingKey::UpdateVersion), c.update) << label;
    } else {
      const auto balloons = Balloons();
      ASSERT_EQ(balloons.size(), 1u) << label;
      EXPECT_EQ(balloons[0].first, c.field) << label;
      EXPECT_EQ(balloons[0].second, c.message) << label;
      EXPECT_EQ(settings.RawValue(SettingKey::AppVersion), u"stored app") << label;
      EXPECT_EQ(settings.RawValue(SettingKey::UpdateVersion), u"stored update") << label;
    }
  }
}

TEST_F(VersionPane, WithoutBalloonAFailureIsSilent) {
  panes.version.fields = {u"2.0", u"1.0"};
  EXPECT_TRUE(panes.version.ValidateAndStore(false));
  EXPECT_EQ(prompt.Events().size(), 0u);
  EXPECT_EQ(settings.RawValue(SettingKey::AppVersion), u"");
}

TEST_F(VersionPane, VersionsAreStoredExactlyAsTyped) {
  panes.version.fields = {u" 1.0", u"2.5b"};
  EXPECT_FALSE(panes.version.ValidateAndStore(true));
  EXPECT_EQ(settings.RawValue(SettingKey::AppVersion), u" 1.0");
  EXPECT_EQ(settings.RawValue(SettingKey::UpdateVersion), u"2.5b");
}

using FilePane = PaneFixture;

TEST_F(FilePane, EmptyNamesAreRefusedOneAtATimeInOrder) {
  panes.file.fields = {u"", u"", u""};
  EXPECT_TRUE(panes.file.ValidateAndStore(true));
  panes.file.fields.clientExe = u"Client";
  EXPECT_TRUE(panes.file.ValidateAndStore(true));
  panes.file.fields.clientXml = u"Up.xml";
  EXPECT_TRUE(panes.file.ValidateAndStore(true));
  panes.file.fields.checkNow = u"now";
  EXPECT_FALSE(panes.file.ValidateAndStore(true));

  const std::vector<std::pair<FieldId, WString>> expected = {
      {"fileConfiguration.clientExe",
       u"This value cannot be empty. This is the actual executable that handles the updates!!"},
      {"fileConfiguration.clientXML",
       u"This value cannot be empty. It is the file you need to get updates to work!!"},
      {"fileConfiguration.checkNow",
       u"To provide a 'Check For Update Now' capability you must have an appropriate value to "
       u"use as a command-line paramter."},
  };
  EXPECT_EQ(Balloons(), expected);
  EXPECT_EQ(settings.RawValue(SettingKey::ClientExe), u"Client.exe");
  EXPECT_EQ(settings.RawValue(SettingKey::ClientXML), u"Up.xml");
  EXPECT_EQ(settings.RawValue(SettingKey::CheckNow), u"now");
}

TEST_F(FilePane, TheClientNameAlwaysEndsInExe) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"Updater", u"Updater.exe"},   {u"Updater.EXE", u"Updater.exe"},
      {u"my.updater.exe", u"my.exe"}, {u"Client", u"Client.exe"},
      {u"a.b.c", u"a.exe"},           {u".exe", u".exe"},
      {u".", u".exe"},                {u"Up date", u"Up date.exe"},
  };
  for (const auto& [typed, stored] : cases) {
    panes.file.fields = {WString(typed), u"CheckNow", u"UpdateConfig.xml"};
    EXPECT_FALSE(panes.file.ValidateAndStore(true));
    EXPECT_EQ(settings.RawValue(SettingKey::ClientExe), stored);
    EXPECT_EQ(panes.file.fields.clientExe, stored);
  }
}

TEST_F(FilePane, AFailedRuleStillNormalisesTheFieldButStoresNothing) {
  panes.LoadFromSettings();
  panes.file.fields = {u"Updater", u"", u"Up.xml"};
  EXPECT_TRUE(panes.file.ValidateAndStore(false));
  EXPECT_EQ(panes.file.fields.clientExe, u"Updater.exe");
  EXPECT_EQ(settings.RawValue(SettingKey::ClientExe), u"Tidewatcher.exe");
  EXPECT_EQ(settings.RawValue(SettingKey::ClientXML), u"UpdateConfig.xml");
  EXPECT_EQ(prompt.Events().size(), 0u);
}

TEST_F(PaneFixture, SummaryShowsNotSpecifiedForEmptyVersions) {
  settings.SetSetting(SettingKey::AppVersion, u"1.2");
  panes.LoadFromSettings();
  EXPECT_EQ(panes.summary.fields.appVersion, u"1.2");
  EXPECT_EQ(panes.summary.fields.updateVersion, u"<Not specified>");
  EXPECT_EQ(panes.file.fields.clientExe, u"Tidewatcher.exe");
  EXPECT_EQ(panes.file.fields.checkNow, u"CheckNow");
  EXPECT_EQ(panes.file.fields.clientXml, u"UpdateConfig.xml");
  EXPECT_FALSE(panes.summary.ValidateAndStore(true));
}

TEST_F(PaneFixture, AllThreeAreAskedEvenAfterAFailure) {
  panes.file.fields = {u"", u"CheckNow", u"Up.xml"};
  panes.version.fields = {u"2", u"1"};
  EXPECT_TRUE(panes.ValidateAndStore(true));
  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 2u);
  EXPECT_EQ(balloons[0].first, "fileConfiguration.clientExe");
  EXPECT_EQ(balloons[1].first, "versionConfiguration.updateVersion");

  prompt.Clear();
  panes.file.fields.clientExe = u"Ok";
  panes.version.fields = {u"1", u"2"};
  EXPECT_FALSE(panes.ValidateAndStore(true));
  EXPECT_EQ(prompt.Events().size(), 0u);
}

}  // namespace
}  // namespace tidewell
