// When the client checks: the schedule of string 8, the check-now tag, the
// start count kept in the registry, and the versions no longer offered.

#include <gtest/gtest.h>

#include <map>

#include "Schedule.h"
#include "UserMessages.h"

namespace tidewatch::engine {
namespace {

TEST(ReadCheckSchedule, ReadsWhatTheToolWritesAndFallsBackToEveryStart) {
  struct Case {
    std::u16string text;
    std::uint32_t every;
    bool wait;
  };
  const Case cases[] = {
      {u"1 0", 1, false}, {u"4 0", 4, false}, {u"1 1", 1, true},  {u"5 0", 5, false},
      {u"", 1, false},    {u"0 0", 1, false}, {u"-3 1", 1, true}, {u"x y", 1, false},
      {u"3", 3, false},   {u"2 7", 2, false}, {u" 2  1", 2, true}, {u"2 1 ", 2, true},
  };
  for (const auto& c : cases) {
    const CheckSchedule schedule = ReadCheckSchedule(c.text);
    EXPECT_EQ(schedule.everyNthStart, c.every) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(schedule.waitForNextVersion, c.wait) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(DecideStart, ChecksEveryNthStartAndAtOnceWithTheTag) {
  const CheckSchedule third{3, false};
  // Five starts in a row, the count carried from one to the next.
  std::optional<std::uint32_t> stored;
  std::vector<bool> checks;
  for (int i = 0; i < 7; ++i) {
    const StartDecision d = DecideStart(u"", u"CheckNow", third, stored);
    checks.push_back(d.check);
    if (d.startsToStore) stored = d.startsToStore;
  }
  EXPECT_EQ(checks, (std::vector<bool>{false, false, true, false, false, true, false}));
  EXPECT_EQ(stored, 1u);

  struct Case {
    std::u16string argument, tag;
    CheckSchedule schedule;
    std::optional<std::uint32_t> stored;
    bool check;
    std::optional<std::uint32_t> store;
  };
  const Case cases[] = {
      // The tag checks and leaves the count alone; case counts.
      {u"CheckNow", u"CheckNow", {4, false}, 1, true, std::nullopt},
      {u"checknow", u"CheckNow", {4, false}, 1, false, 2},
      // An empty tag is no tag.
      {u"", u"", {2, false}, std::nullopt, false, 1},
      // Every start: nothing to count.
      {u"", u"CheckNow", {1, true}, 5, true, std::nullopt},
      // A count left by a longer schedule checks at once and starts over.
      {u"", u"x", {2, false}, 9, true, 0},
      {u"", u"x", {2, false}, 0xFFFFFFFFu, true, 0},
  };
  for (const auto& c : cases) {
    const StartDecision d = DecideStart(c.argument, c.tag, c.schedule, c.stored);
    EXPECT_EQ(d.check, c.check) << std::string(c.argument.begin(), c.argument.end());
    EXPECT_EQ(d.startsToStore, c.store) << std::string(c.argument.begin(), c.argument.end());
  }
}

TEST(IsDeclined, OnlyALaterVersionIsOfferedAgain) {
  EXPECT_TRUE(IsDeclined(u"2.0", u"2.0"));
  EXPECT_TRUE(IsDeclined(u"1.9", u"2.0"));
  EXPECT_FALSE(IsDeclined(u"2.1", u"2.0"));
  // Versions order as numbers, as the tool reads them: 2.10 is before 2.9.
  EXPECT_TRUE(IsDeclined(u"2.10", u"2.9"));
  EXPECT_FALSE(IsDeclined(u"2.0", u""));
}

class MemoryRegistry : public Registry {
 public:
  bool KeyExists(const std::u16string&) override { return true; }
  std::optional<RegistryValue> ReadValue(const std::u16string& key, const std::u16string& name) override {
    const auto it = values.find(key + u"|" + name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool WriteValue(const std::u16string& key, const std::u16string& name, const RegistryValue& value,
                  Failure&) override {
    values[key + u"|" + name] = value;
    return true;
  }
  bool DeleteValue(const std::u16string&, const std::u16string&, Failure&) override { return true; }
  bool CreateKey(const std::u16string&, Failure&) override { return true; }
  bool DeleteKey(const std::u16string&, Failure&) override { return true; }
  std::optional<RegistryKeySnapshot> Snapshot(const std::u16string&) override { return std::nullopt; }
  std::map<std::u16string, RegistryValue> values;
};

TEST(Starts, StoredAsALittleEndianDwordAndOtherTypesIgnored) {
  MemoryRegistry registry;
  const std::u16string key = u"HKEY_CURRENT_USER\\Software\\Tidewell\\Clients\\C\\A";
  EXPECT_EQ(ReadStarts(registry, key), std::nullopt);
  Failure failure;
  ASSERT_TRUE(WriteStarts(registry, key, 0x01020304u, failure));
  EXPECT_EQ(registry.values[key + u"|Starts"], (RegistryValue{4, {4, 3, 2, 1}}));
  EXPECT_EQ(ReadStarts(registry, key), 0x01020304u);
  registry.values[key + u"|Starts"] = RegistryValue{1, {'3', 0, 0, 0}};
  EXPECT_EQ(ReadStarts(registry, key), std::nullopt);
  registry.values[key + u"|Starts"] = RegistryValue{4, {1, 0}};
  EXPECT_EQ(ReadStarts(registry, key), std::nullopt);
}

}  // namespace
}  // namespace tidewatch::engine

namespace tidewatch::engine {
namespace {

TEST(FailureMessage, SaysWhatFailedAndWhatToDo) {
  struct Case {
    std::string error;
    std::u16string advice;
  };
  const Case cases[] = {
      {"could not write https://x/a.dll to the work folder: disk full [112]", u"Free some space on the disk"},
      {"C:\\App\\App.exe is still running, so it cannot be replaced [32]", u"Close App.exe, then"},
      {"replacing C:\\App\\Lib.dll failed: in use [32]", u"Close every program"},
      {"could not read the update information: could not fetch http://h/u.xml: no connection [12029]",
       u"Check your connection"},
      {"the server answered 404 for http://h/files/a.txt", u"Check your connection"},
      {"the update information was refused: bad signature", u"Do not install this update. Let Co know"},
      {"the registry value K\\N has data x that is not a REG_DWORD", u"Try again later. If it keeps failing, contact Co."},
  };
  for (const auto& c : cases) {
    const std::u16string text = FailureMessage(c.error, u"My App", u"App.exe", u"Co");
    EXPECT_EQ(text.find(u"The update of My App could not be completed. My App is as it was before.\r\n\r\nWhat failed: "),
              0u) << c.error;
    EXPECT_NE(text.find(u"\r\n\r\nWhat you can do: " + c.advice), std::u16string::npos) << c.error;
  }
  // Nothing reported: still words, never an empty reason.
  EXPECT_NE(FailureMessage("", u"", u"", u"").find(u"What failed: the update stopped"), std::u16string::npos);
}

TEST(WithWindowsLineBreaks, EveryBreakBecomesCrLf) {
  EXPECT_EQ(WithWindowsLineBreaks(u"a\nb\r\nc\rd\n\n"), u"a\r\nb\r\nc\r\nd\r\n\r\n");
  EXPECT_EQ(ByteCount(512), u"512 bytes");
  EXPECT_EQ(ByteCount(1536), u"1.5 KB");
  EXPECT_EQ(ByteCount(3u * 1024 * 1024), u"3.0 MB");
}

}  // namespace
}  // namespace tidewatch::engine
