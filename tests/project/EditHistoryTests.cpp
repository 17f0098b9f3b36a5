#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tidewell
