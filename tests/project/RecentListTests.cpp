#include <gtest/gtest.h>

#include "support/HostOnly.h"
#include "project/AutoShowLoad.h"
#include "project/Preferences.h"
#include "project/RecentList.h"
#include "text/Text.h"

namespace tidewell {
namespace {

constexpr std::u16string_view kGroup = kRecentDocumentGroup;

WString Entry(const char16_t* name) {
  return MakeRecentEntry(name, u"/work/" + WString(name) + u"/Settings.xml");
}

std::optional<WString> Stored(const MemoryPreferences& preferences, int n) {
  return preferences.ReadText(kGroup, RecentValueName(n));
}

// Refuses every write after the first `allowed` ones.
class FailingPreferences final : public Preferences {
 public:
  explicit FailingPreferences(int allowed) : allowed_(allowed) {}
  std::optional<int32_t> ReadNumber(std::u16string_view g, std::u16string_view n) const override {
    return inner.ReadNumber(g, n);
  }
  std::optional<WString> ReadText(std::u16string_view g, std::u16string_view n) const override {
    return inner.ReadText(g, n);
  }
  bool WriteNumber(std::u16string_view g, std::u16string_view n, int32_t v) override {
    return Allow() && inner.WriteNumber(g, n, v);
  }
  bool WriteText(std::u16string_view g, std::u16string_view n, const WString& v) override {
    return Allow() && inner.WriteText(g, n, v);
  }
  bool Remove(std::u16string_view g, std::u16string_view n) override { return inner.Remove(g, n); }
  MemoryPreferences inner;

 private:
  bool Allow() { return allowed_-- > 0; }
  int allowed_;
};

TEST(RecentList, SixProjectsWithTheDefaultMaximumKeepTheFiveMostRecent) {
  RecentList list;
  for (const char16_t* name : {u"One", u"Two", u"Three", u"Four", u"Five", u"Six"})
    EXPECT_TRUE(list.Add(Entry(name)));
  MemoryPreferences preferences;
  list.WriteTo(preferences);

  EXPECT_EQ(preferences.ReadNumber(kGroup, u"DocumentCount"), 5);
  EXPECT_EQ(Stored(preferences, 1), Entry(u"Six"));
  EXPECT_EQ(Stored(preferences, 2), Entry(u"Five"));
  EXPECT_EQ(Stored(preferences, 5), Entry(u"Two"));
  EXPECT_EQ(Stored(preferences, 6), std::nullopt);
  EXPECT_EQ(preferences.Size(), 6u);

  RecentList read;
  ASSERT_TRUE(read.ReadFrom(preferences));
  EXPECT_EQ(read.Entries(), list.Entries());
  EXPECT_EQ(read.Entries().front(), Entry(u"Two"));
}

TEST(RecentList, AddingAProjectAgainMovesItToTheTopWithoutRegardToTheNameCase) {
  RecentList list;
  list.Add(MakeRecentEntry(u"MyApp", u"/p/MyApp/Settings.xml"));
  list.Add(Entry(u"Other"));
  list.Add(MakeRecentEntry(u"MYAPP", u"/p/MyApp/Settings.xml"));
  ASSERT_EQ(list.Entries().size(), 2u);
  EXPECT_EQ(list.MostRecentFirst().front(), u"MYAPP|/p/MyApp/Settings.xml");
}

TEST(RecentList, PathsAreComparedByTheHostRule) {
  RecentList list;
  list.Add(MakeRecentEntry(u"App", u"/p/App/Settings.xml"));
  list.Add(MakeRecentEntry(u"App", u"/P/APP/Settings.xml"));
#if defined(_WIN32) || defined(__APPLE__)
  EXPECT_EQ(list.Entries().size(), 1u);
#else
  EXPECT_EQ(list.Entries().size(), 2u);
#endif
}

TEST(RecentList, EntriesOfUpTo259CharactersAreRecorded) {
  RecentList list;
  const WString longest = MakeRecentEntry(u"N", u"/" + WString(256, u'x'));
  ASSERT_EQ(longest.size(), 259u);
  EXPECT_TRUE(list.Add(longest));
  EXPECT_FALSE(list.Add(longest + u"y"));
  EXPECT_FALSE(list.Add(WString()));
  EXPECT_EQ(list.Entries(), std::vector<WString>{longest});
}

TEST(RecentList, TheStoredMaximumIsClampedToTwoToSixteen) {
  struct Case {
    int32_t stored;
    int expected;
  };
  for (const Case c : {Case{1, 2}, Case{-7, 2}, Case{2, 2}, Case{9, 9}, Case{16, 16}, Case{40, 16}}) {
    MemoryPreferences preferences;
    preferences.WriteNumber(kGroup, u"DocumentCount", c.stored);
    RecentList list;
    ASSERT_TRUE(list.ReadFrom(preferences));
    EXPECT_EQ(list.Maximum(), c.expected) << c.stored;
  }
}

TEST(RecentList, ReadingTakesDocumentsFromTheMaximumDownSkippingUnusableValues) {
  MemoryPreferences preferences;
  preferences.WriteNumber(kGroup, u"DocumentCount", 4);
  preferences.WriteText(kGroup, u"Document1", Entry(u"Newest"));
  preferences.WriteText(kGroup, u"Document2", u"");
  preferences.WriteText(kGroup, u"Document3", WString(260, u'z'));
  preferences.WriteNumber(kGroup, u"Document4", 7);  // not a text
  preferences.WriteText(kGroup, u"Document5", Entry(u"BeyondTheMaximum"));
  RecentList list;
  list.Add(Entry(u"Before"));
  ASSERT_TRUE(list.ReadFrom(preferences));
  EXPECT_EQ(list.Entries(), std::vector<WString>{Entry(u"Newest")});
}

TEST(RecentList, AMissingCountLeavesTheListAsItWas) {
  MemoryPreferences preferences;
  preferences.WriteText(kGroup, u"Document1", Entry(u"Stored"));
  RecentList list;
  list.Add(Entry(u"Kept"));
  EXPECT_FALSE(list.ReadFrom(preferences));
  EXPECT_EQ(list.Entries(), std::vector<WString>{Entry(u"Kept")});
  EXPECT_EQ(list.Maximum(), RecentList::kDefaultMaximum);
}

TEST(RecentList, WritingRemovesValuesBeyondTheEntriesAndStopsAtTheFirstRefusal) {
  MemoryPreferences preferences;
  for (int n = 1; n <= 16; ++n) preferences.WriteText(kGroup, RecentValueName(n), u"stale");
  RecentList list;
  list.Add(Entry(u"A"));
  list.Add(Entry(u"B"));
  list.WriteTo(preferences);
  EXPECT_EQ(Stored(preferences, 1), Entry(u"B"));
  EXPECT_EQ(Stored(preferences, 2), Entry(u"A"));
  for (int n = 3; n <= 16; ++n) EXPECT_EQ(Stored(preferences, n), std::nullopt) << n;

  // The count is written, then Document2; the refusal of Document1 ends the write.
  FailingPreferences failing(2);
  list.WriteTo(failing);
  EXPECT_EQ(failing.inner.ReadNumber(kGroup, u"DocumentCount"), 5);
  EXPECT_EQ(failing.inner.ReadText(kGroup, u"Document2"), Entry(u"A"));
  EXPECT_EQ(failing.inner.ReadText(kGroup, u"Document1"), std::nullopt);
}

TEST(RecentList, MenuShowsTheDisplayedNamesMostRecentFirst) {
  RecentList list;
  EXPECT_EQ(list.MenuItems().size(), 1u);
  EXPECT_EQ(list.MenuItems()[0].label, u"(empty)");
  EXPECT_FALSE(list.MenuItems()[0].enabled);

  list.Add(Entry(u"Alpha"));
  list.Add(Entry(u"Beta"));
  const std::vector<RecentMenuItem> items = list.MenuItems();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].label, u"&1 Beta");
  EXPECT_EQ(items[0].path, u"/work/Beta/Settings.xml");
  EXPECT_EQ(items[1].label, u"&2 Alpha");
  EXPECT_TRUE(items[1].enabled);
}

TEST(RecentList, ANameHoldingABarStillLeadsToItsProject) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  struct Case {
    std::u16string_view entry;
    std::u16string_view name;
    std::u16string_view path;
  };
  const Case cases[] = {
      {u"MyApp|/p/Settings.xml", u"MyApp", u"/p/Settings.xml"},
      {u"A|B|/p/Settings.xml", u"A|B", u"/p/Settings.xml"},
      {u"NoBar", u"NoBar", u"NoBar"},
      {u"rel|ative|path", u"rel", u"ative|path"},  // no absolute path: the first "|"
      {u"|/p/x.xml", u"", u"/p/x.xml"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RecentEntryName(c.entry), c.name) << text::ToUtf8(c.entry);
    EXPECT_EQ(RecentEntryPath(c.entry), c.path) << text::ToUtf8(c.entry);
  }
}

TEST(AutoShowLoad, ShownUnlessZeroIsStored) {
  MemoryPreferences preferences;
  EXPECT_TRUE(ReadAutoShowLoad(preferences));
  preferences.WriteText({}, u"AutoShowLoad", u"0");  // not a number: unreadable
  EXPECT_TRUE(ReadAutoShowLoad(preferences));
  WriteAutoShowLoad(preferences, false);
  EXPECT_FALSE(ReadAutoShowLoad(preferences));
  EXPECT_EQ(preferences.ReadNumber({}, u"AutoShowLoad"), 0);
  preferences.WriteNumber({}, u"AutoShowLoad", 7);
  EXPECT_TRUE(ReadAutoShowLoad(preferences));
  WriteAutoShowLoad(preferences, true);
  EXPECT_EQ(preferences.ReadNumber({}, u"AutoShowLoad"), 1);
}

}  // namespace
}  // namespace tidewell
