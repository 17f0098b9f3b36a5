#include <gtest/gtest.h>

#include "platform/AtomicFile.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(Text, ReductionsScanFromTheLeftWithoutOverlap) {
  EXPECT_EQ(text::ReduceDoubleBackslashes(u"a\\\\b"), u"a\\b");
  EXPECT_EQ(text::ReduceDoubleBackslashes(u"a\\\\\\b"), u"a\\\\b");
  EXPECT_EQ(text::ReduceDoubleBackslashes(u"\\\\\\\\"), u"\\\\");
  EXPECT_EQ(text::ReduceDoubleSpaces(u"a   b"), u"a  b");
  EXPECT_EQ(text::ReduceDoubleSpaces(u"  "), u" ");
  EXPECT_EQ(text::ReduceDoubleSpaces(u"a b "), u"a b ");
  WString partly = u"  x  ";
  text::ReducePairsInPlace(partly, u' ', 1);
  EXPECT_EQ(partly, u"  x ");
  EXPECT_EQ(text::ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
}

TEST(Text, ParseDecimalFollowsTheCLibraryRule) {
  struct Case {
    std::u16string text;
    int32_t value;
  };
  const Case cases[] = {
      {u"289", 289},      {u"  42x", 42},       {u"-7", -7},          {u"+5", 5},
      {u"x1", 0},         {u"", 0},             {u"\t\n 9", 9},       {u"- 3", 0},
      {u"99999999999", INT32_MAX}, {u"-99999999999", INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(text::ParseDecimal(c.text), c.value) << text::ToUtf8(c.text);
}

TEST(Text, CaseFoldingTouchesOnlyAsciiLetters) {
  EXPECT_EQ(text::CompareNoCase(u"Readme.TXT", u"README.txt"), 0);
  EXPECT_LT(text::CompareNoCase(u"a", u"B"), 0);
  // Letters fold before comparing: "Z" sorts as "z" (0x7A), after "_" (0x5F).
  EXPECT_GT(text::CompareNoCase(u"Z", u"_"), 0);
  EXPECT_FALSE(text::EqualsNoCase(u"\u00C4", u"\u00E4"));
  EXPECT_LT(text::CompareNoCase(u"ab", u"abc"), 0);
  // Past an equal start, the first difference is still folded first.
  EXPECT_EQ(text::CompareNoCase(u"file12A.dat", u"file12a.DAT"), 0);
  EXPECT_GT(text::CompareNoCase(u"file12D", u"file12c"), 0);
  EXPECT_GT(text::CompareNoCase(u"file12Z", u"file12_"), 0);
}

TEST(Text, Utf8RoundTripsEveryCodeUnitSequence) {
  const std::u16string samples[] = {u"plain", u"caf\u00E9 \u20AC", u"\U0001F600 emoji", u""};
  for (const auto& s : samples) EXPECT_EQ(text::FromUtf8(text::ToUtf8(s)), s);
  EXPECT_TRUE(text::IsValidUtf8("caf\xC3\xA9"));
  EXPECT_FALSE(text::IsValidUtf8("caf\xE9"));
  EXPECT_FALSE(text::IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(text::IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_EQ(text::DecodeFileText("caf\xE9"), u"caf\u00E9");
}

// Conversions work in blocks of 8 and 16 units: a character outside US-ASCII
// at each place of a block, and texts on both sides of SmallText's inline room.
TEST(Text, ConversionsKeepEveryCharacterAtEveryPlaceOfABlock) {
  for (size_t length : {SmallText::kInline - 1, SmallText::kInline, SmallText::kInline + 1, size_t{40}}) {
    for (size_t at = 0; at < length; ++at) {
      for (const char16_t* odd : {u"\u00E9", u"\u20AC", u"\U0001F600"}) {
        WString wide(length, u'a');
        wide.replace(at, 1, odd);
        const std::string narrow = text::ToUtf8(wide);
        SmallText small;
        text::AssignUtf8(small, narrow);
        EXPECT_EQ(small, wide) << length << " " << at;
        EXPECT_EQ(text::FromUtf8(narrow), wide) << length << " " << at;
      }
    }
  }
  // Long texts are narrowed in pieces of 4,096 units: a character outside
  // US-ASCII, a surrogate pair and a lone surrogate across the seam.
  for (size_t at : {size_t{4094}, size_t{4095}, size_t{4096}, size_t{8191}}) {
    for (const char16_t* odd : {u"\u00E9", u"\U0001F600", u"\xD800"}) {
      WString wide(at, u'a');
      wide += odd;
      wide += u"tail";
      const std::string expected = std::string(at, 'a') +
          (odd[0] == 0xD800 ? "\xEF\xBF\xBD" : odd[0] == 0xE9 ? "\xC3\xA9" : "\xF0\x9F\x98\x80") + "tail";
      EXPECT_EQ(text::ToUtf8(wide), expected) << at;
    }
  }
  SmallText small(u"longer than any inline room of a small text, on the heap");
  text::AssignUtf8(small, "ab\xFF" "c\xE2\x82");
  EXPECT_EQ(small, u"ab\uFFFDc\uFFFD\uFFFD");
}

TEST(Text, SmallTextCopiesMovesAndAssignsAcrossItsInlineRoom) {
  const WString inlineText(SmallText::kInline, u'i');
  const WString heapText(SmallText::kInline + 1, u'h');
  for (const WString& first : {inlineText, heapText}) {
    for (const WString& second : {inlineText, heapText, WString()}) {
      SmallText a(first);
      SmallText b(a);
      EXPECT_EQ(b, first);
      b = second;
      EXPECT_EQ(b, second);
      EXPECT_EQ(a, first);
      SmallText c(std::move(a));
      EXPECT_EQ(c, first);
      EXPECT_TRUE(a.empty());
      a = std::move(b);
      EXPECT_EQ(a, second);
      const SmallText& same = c;
      c = same;
      EXPECT_EQ(c, first);
      c = std::u16string_view(c).substr(1);  // a part of itself
      EXPECT_EQ(c, first.substr(1));
    }
  }
  const SmallText name(u"Data.zip");
  EXPECT_EQ(name + u"<" + name + u">", u"Data.zip<Data.zip>");
}

TEST(Text, FormatsNumbers) {
  EXPECT_EQ(text::FormatDecimal(-2147483648LL), u"-2147483648");
  EXPECT_EQ(text::FormatHexUpper(0x30C5489FULL), u"30C5489F");
  EXPECT_EQ(text::FormatHexUpper(0), u"0");
}

TEST(AtomicFile, ReplacesTheTargetOrLeavesItIntact) {
  TempDir dir;
  const auto target = dir / "Settings.xml";
  WriteBytes(target, "old content");
  ASSERT_TRUE(WriteFileAtomically(target, "new content"));
  EXPECT_EQ(ReadBytes(target), "new content");

  // A writer that fails half-way: the previous file stays, no temporary is left.
  std::string error;
  const bool ok = ReplaceFileAtomically(
      target,
      [](const std::filesystem::path& temporary) {
        WriteBytes(temporary, "half");
        return false;
      },
      &error);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadBytes(target), "new content");
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);

  // A folder that does not exist: a clear failure, nothing created.
  EXPECT_FALSE(WriteFileAtomically(dir / "missing" / "x.xml", "x", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tidewell
