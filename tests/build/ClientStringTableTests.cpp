#include <gtest/gtest.h>

#include "build/ClientStringTable.h"
#include "content/VariableList.h"
#include "project/ProjectSettings.h"

namespace tidewell {
namespace {

// The layout written out by hand: a 16-bit little-endian count, then the
// UTF-16LE code units, no terminator, for each of the sixteen strings.
std::string Counted(std::u16string_view text) {
  std::string bytes;
  bytes.push_back(static_cast<char>(text.size() & 0xFF));
  bytes.push_back(static_cast<char>(text.size() >> 8));
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

ProjectSettings EmptyCopiedSettings() {
  ProjectSettings settings;
  for (SettingKey key : {SettingKey::Executable, SettingKey::HTTPLocationXML,
                         SettingKey::HTTPLocationFiles, SettingKey::AppTitle,
                         SettingKey::CompanyName, SettingKey::AppVersion, SettingKey::CheckNow})
    settings.SetSetting(key, u"");
  settings.SetFlag(BehaviourFlag::WarnOnExit, false);
  settings.SetFlag(BehaviourFlag::AllowDisplayOfErrors, false);
  return settings;
}

TEST(ClientStringTable, EmptySettingsGiveThe58ByteTable) {
  const ProjectSettings settings = EmptyCopiedSettings();
  const auto bytes = ClientStringTable::FromSettings(settings, VariableList()).Encode();
  ASSERT_TRUE(bytes);

  std::string expected;
  for (int i = 0; i < 16; ++i) {
    if (i == 7 || i == 9) expected += Counted(u"False");
    else if (i == 8) expected += Counted(u"1 0");
    else expected += Counted(u"");
  }
  EXPECT_EQ(expected.size(), 58u);  // 32 bytes of counts, 26 of characters
  EXPECT_EQ(*bytes, expected);
}

TEST(ClientStringTable, EachSettingLandsInItsSlot) {
  ProjectSettings settings;
  settings.SetSetting(SettingKey::Executable, u"Logbook.exe");
  settings.SetSetting(SettingKey::HTTPLocationXML, u"http://h/x.php?ed=%Variable2%&u=%Login%");
  settings.SetSetting(SettingKey::HTTPLocationFiles, u"http://h/files");
  settings.SetSetting(SettingKey::AppTitle, u"Logbook");
  settings.SetSetting(SettingKey::CompanyName, u"Harbour Soft");
  settings.SetSetting(SettingKey::AppVersion, u"2.5");
  settings.SetSetting(SettingKey::CheckNow, u"/now");
  settings.SetSetting(SettingKey::Frequency, u"2");
  settings.SetFlag(BehaviourFlag::WarnOnExit, true);
  settings.SetFlag(BehaviourFlag::AllowDisplayOfErrors, false);
  VariableList variables;
  variables.AddVariable(u"Variable2", u"HKEY_LOCAL_MACHINE\\Software\\H\\Edition", u"REG_SZ");

  const ClientStringTable table = ClientStringTable::FromSettings(settings, variables);
  const std::vector<std::u16string> expected = {
      u"", u"Logbook.exe",
      u"http://h/x.php?ed=%REG HKEY_LOCAL_MACHINE\\Software\\H\\Edition|REG_SZ%&u=%Login%",
      u"http://h/files", u"Logbook", u"Harbour Soft", u"", u"False", u"3 0", u"True", u"2.5",
      u"/now", u"", u"", u"", u""};
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(table.Get(i), expected[i]) << "string " << i;

  std::string bytes;
  for (const auto& s : expected) bytes += Counted(s);
  EXPECT_EQ(table.Encode(), bytes);
}

TEST(ClientStringTable, LineBreaksAreWrittenAsCarriageReturnLineFeed) {
  ProjectSettings settings;
  settings.SetSetting(SettingKey::AppTitle, u"Two\nlines\r\nand\rlone");
  const ClientStringTable table = ClientStringTable::FromSettings(settings, VariableList());
  EXPECT_EQ(table.Get(ClientString::AppTitle), u"Two\r\nlines\r\nand\rlone");
}

TEST(ClientStringTable, CharactersBeyondLatinKeepTheirCodeUnits) {
  ClientStringTable table;
  table.Set(4, u"\u00C5r \u6F6E \U0001F30A");  // the wave is a surrogate pair
  const auto bytes = table.Encode();
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->substr(8, 2 + 2 * 7), Counted(u"\u00C5r \u6F6E \U0001F30A"));
  EXPECT_EQ((*bytes)[8], 7);
}

TEST(ClientStringTable, AStringTooLongForItsCountIsRefusedNotCut) {
  ClientStringTable table;
  table.Set(2, WString(65535, u'a'));
  const auto fits = table.Encode();
  ASSERT_TRUE(fits);
  EXPECT_EQ(fits->size(), 32u + 2u * 65535u);
  table.Set(2, WString(65536, u'a'));
  EXPECT_FALSE(table.Encode());
}

TEST(CheckSchedule, FollowsRepromptThenFrequency) {
  struct Case {
    std::u16string_view frequency, reprompt, expected;
  };
  const Case cases[] = {
      {u"0", u"0", u"1 0"},
      {u"3", u"1", u"1 1"},
      {u"3", u"0", u"4 0"},
      {u"4", u"0", u"5 0"},
      {u"-1", u"-1", u"1 -1"},  // what an unselected list stores
      {u"-1", u"0", u"0 0"},
      {u"", u"", u"1 0"},
      {u"  7x", u"+0", u"8 0"},  // C library rules: blanks, sign, leading digits
      {u"abc", u"2", u"1 2"},
      {u"2147483647", u"0", u"2147483648 0"},  // no wrap-around
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckSchedule(c.frequency, c.reprompt), c.expected)
        << "frequency '" << std::string(c.frequency.begin(), c.frequency.end()) << "'";
}

}  // namespace
}  // namespace tidewell
