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
