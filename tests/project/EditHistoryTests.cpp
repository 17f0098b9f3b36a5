#include <gtest/gtest.h>

#include <vector>

#include "project/EditHistory.h"

namespace tidewell {
namespace {

EditState State(const WString& text) { return {text, {}}; }
const WString* Text(const EditState* state) { return state ? &state->text : nullptr; }

TEST(EditHistory, UndoAndRedoWalkTheRecordedStates) {
  EditHistory history;
  history.Reset(State(u"a"));
  EXPECT_FALSE(history.Record(State(u"a")));
  EXPECT_TRUE(history.Record(State(u"b")));
  EXPECT_TRUE(history.Record(State(u"c")));
  EXPECT_EQ(*Text(history.Undo()), u"b");
  EXPECT_EQ(*Text(history.Undo()), u"a");
  EXPECT_EQ(Text(history.Undo()), nullptr);
  EXPECT_EQ(*Text(history.Redo()), u"b");
  // A new edit after an undo drops what could be redone.
  EXPECT_TRUE(history.Record(State(u"d")));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(*Text(history.Undo()), u"b");
  EXPECT_EQ(*Text(history.Undo()), u"a");
  history.Reset(State(u"x"));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
}

TEST(EditHistory, TheOldestStatesGoFirstWhenALimitIsReached) {
  struct Case {
    size_t byteLimit;
    size_t depthLimit;
    size_t kept;
  };
  // Each state is four code units, eight bytes.
  for (const Case& c : {Case{1000, 3, 3}, Case{16, 100, 2}, Case{0, 100, 0}}) {
    EditHistory history(c.byteLimit, c.depthLimit);
    history.Reset(State(u"s000"));
    for (char16_t i = u'1'; i <= u'6'; ++i) history.Record(State(WString(u"s00") + i));
    EXPECT_EQ(history.UndoDepth(), c.kept);
    EXPECT_EQ(history.Current().text, u"s006");
    size_t undone = 0;
    while (history.Undo()) ++undone;
    EXPECT_EQ(undone, c.kept);
  }
}

// Each state is kept as its difference from its neighbour: every text must
// come back exactly, wherever the change sits and whatever its size.
TEST(EditHistory, EveryStateComesBackExactlyFromItsDifference) {
  const WString base(3000, u'x');
  const WString inMiddle = base.substr(0, 1500) + u"inserted" + base.substr(1500);
  const std::vector<WString> states = {
      base,
      u"head" + base,                               // added at the start
      u"head" + base + u"tail",                     // added at the end
      u"head" + base.substr(0, 1000) + u"tail",     // a long run removed
      u"hEad" + base.substr(0, 1000) + u"tail",     // the same length, one unit changed
      base.substr(0, 999) + u"tail",                // the start replaced by a shorter one
      inMiddle,                                     // repeated units on both sides of the change
      inMiddle.substr(0, 1500) + inMiddle.substr(1501),
      u"",                                          // nothing at all
      u"abc",
      u"abcabc",                                    // the common start and end overlap
      u"abc",
  };
  EditHistory history;
  history.Reset(State(states[0]));
  for (size_t i = 1; i < states.size(); ++i) ASSERT_TRUE(history.Record(State(states[i])));
  for (size_t i = states.size() - 1; i-- > 0;) {
    ASSERT_NE(history.Undo(), nullptr);
    EXPECT_EQ(history.Current().text, states[i]) << "undo to state " << i;
  }
  for (size_t i = 1; i < states.size(); ++i) {
    ASSERT_NE(history.Redo(), nullptr);
    EXPECT_EQ(history.Current().text, states[i]) << "redo to state " << i;
  }
}

// The settings go with their state through both stacks.
TEST(EditHistory, SettingsFollowTheirState) {
  EditHistory history;
  EditState first = State(WString(500, u'a'));
  first.settings.SetSetting(SettingKey::AppTitle, u"First");
  history.Reset(first);
  EditState second = State(WString(500, u'a') + u"b");
  second.settings.SetSetting(SettingKey::AppTitle, u"Second");
  history.Record(second);
  EXPECT_EQ(history.Undo()->settings.GetSetting(SettingKey::AppTitle), u"First");
  EXPECT_EQ(history.Redo()->settings.GetSetting(SettingKey::AppTitle), u"Second");
}

// A small edit of a large text holds the difference only: a limit that
// would keep one whole text keeps every one of many small edits.
TEST(EditHistory, ASmallEditOfALargeTextIsChargedItsDifference) {
  const WString large(100000, u'x');
  EditHistory history(large.size() * sizeof(char16_t), 1000);
  history.Reset(State(large));
  WString text = large;
  for (int i = 0; i < 500; ++i) {
    text[static_cast<size_t>(i) * 100] = u'y';
    ASSERT_TRUE(history.Record(State(text)));
  }
  EXPECT_EQ(history.UndoDepth(), 500u);
  while (history.Undo()) {
  }
  EXPECT_EQ(history.Current().text, large);
}

// The room handed out for the next text does not change what is recorded.
TEST(EditHistory, TheRoomForTheNextTextHoldsNothingOfTheHistory) {
  EditHistory history;
  history.Reset(State(WString(1000, u'a')));
  for (char16_t c : {u'b', u'c', u'c'}) {
    WString room = history.TakeRoom();
    room.assign(1000, u'a');
    room[500] = c;
    history.Record(State(room));
  }
  EXPECT_EQ(history.UndoDepth(), 2u);
  EXPECT_EQ(history.Undo()->text[500], u'b');
  EXPECT_EQ(history.Undo()->text, WString(1000, u'a'));
}

}  // namespace
}  // namespace tidewell
