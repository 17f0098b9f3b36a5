// The --dump and --dump-welcome reports, whole and byte for byte.

#include <gtest/gtest.h>

#include "DumpReport.h"

namespace tidewatch {
namespace {

std::string U16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }

std::string InfoHeader(int32_t width, int32_t height, uint16_t bits) {
  return U32(40) + U32(static_cast<uint32_t>(width)) + U32(static_cast<uint32_t>(height)) + U16(1) + U16(bits) +
         std::string(24, '\0');
}

TEST(QuoteForReport, EscapesWhatWouldBreakTheLine) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u"\"\""},
      {u"plain text", u"\"plain text\""},
      {u"a\r\nb", u"\"a\\r\\nb\""},
      {u"tab\there", u"\"tab\\there\""},
      {u"say \"hi\"", u"\"say \\\"hi\\\"\""},
      {u"C:\\dir\\", u"\"C:\\\\dir\\\\\""},
      {u"\x01\x1F\x7F", u"\"\\x01\\x1F\\x7F\""},
      {u"caf\xE9 \xD83D\xDE00", u"\"caf\xE9 \xD83D\xDE00\""},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(QuoteForReport(text), quoted);
}

TEST(FormatResourceReport, SaysMissingForEveryAbsentResource) {
  std::u16string expected;
  const char16_t* numbers[] = {u"0", u"1", u"2",  u"3",  u"4",  u"5",  u"6",  u"7",
                               u"8", u"9", u"10", u"11", u"12", u"13", u"14", u"15"};
  for (const char16_t* n : numbers) expected += u"string " + std::u16string(n) + u": missing\n";
  expected += u"bitmap 205: missing\nbitmap 208: missing\nicon 1: missing\nicon 2: missing\n";
  EXPECT_EQ(FormatResourceReport({}), expected);
}

TEST(FormatResourceReport, DescribesEachResource) {
  std::string strings = U16(0) + U16(3) + U16('a') + U16('\r') + U16('\n');
  for (int i = 2; i < 16; ++i) strings += U16(0);
  const std::string top = InfoHeader(500, 60, 24) + std::string(90000, '\0');
  const std::string mainCut = InfoHeader(164, 314, 24) + std::string(1000, '\0');
  const std::string large = U32(40) + U32(32) + U32(64) + U16(1) + U16(32) + std::string(24, '\0') +
                            std::string(32 * 32 * 4 + 4 * 32, '\0');
  const std::string garbage = "garbage";

  ClientResourceBytes resources;
  resources.stringBlock = ByteReader(strings);
  resources.topPicture = ByteReader(top);
  resources.mainPicture = ByteReader(mainCut);
  resources.largeIcon = ByteReader(large);
  resources.smallIcon = ByteReader(garbage);
  const std::u16string report = FormatResourceReport(resources);

  const std::u16string tail =
      u"string 15: \"\"\n"
      u"bitmap 205: 500 x 60, 90040 bytes\n"
      u"bitmap 208: 164 x 314, 1040 bytes, not drawable\n"
      u"icon 1: 32 x 32, 4264 bytes\n"
      u"icon 2: not an icon image, 7 bytes\n";
  EXPECT_TRUE(report.starts_with(u"string 0: \"\"\nstring 1: \"a\\r\\n\"\nstring 2: \"\"\n"));
  ASSERT_GE(report.size(), tail.size());
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
}

TEST(FormatResourceReport, EmptyResourcesAreNotReadable) {
  const std::string nothing;
  ClientResourceBytes resources;
  resources.stringBlock = ByteReader(nothing);
  resources.topPicture = ByteReader(nothing);
  resources.largeIcon = ByteReader(nothing);
  const std::u16string report = FormatResourceReport(resources);
  EXPECT_NE(report.find(u"string 0: missing\n"), std::u16string::npos);
  EXPECT_NE(report.find(u"bitmap 205: not a bitmap, 0 bytes\n"), std::u16string::npos);
  EXPECT_NE(report.find(u"bitmap 208: missing\n"), std::u16string::npos);
  EXPECT_NE(report.find(u"icon 1: not an icon image, 0 bytes\n"), std::u16string::npos);
}

TEST(FormatWelcomeReport, NamesTheValuesAndTheText) {
  EXPECT_EQ(FormatWelcomeReport(u"bob", u"Windows 10 (10.0.19045)", {true, u"Hi bob,\r\n\r\nNew!"}),
            u"login: \"bob\"\nplatform: \"Windows 10 (10.0.19045)\"\nwelcome: \"Hi bob,\\r\\n\\r\\nNew!\"\n");
  EXPECT_EQ(FormatWelcomeReport(u"", u"Windows", {false, u"The update file could not be read:\r\nx.xml"}),
            u"login: \"\"\nplatform: \"Windows\"\nmessage: \"The update file could not be read:\\r\\nx.xml\"\n");
}

}  // namespace
}  // namespace tidewatch
