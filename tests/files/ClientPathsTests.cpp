#include <gtest/gtest.h>

#include "files/ClientPaths.h"

namespace tidewell {
namespace {

using F = ClientPathFault;

TEST(ClientPaths, RefusesEveryFormThatLeavesItsFolderOrNamesNoFile) {
  const struct {
    std::u16string_view path;
    ClientPathFault fault;
  } cases[] = {
      {u"", F::Empty},
      {u"a\\\\b", F::Empty},
      {u"a/", F::Empty},
      {u"..", F::DotPart},
      {u"..\\outside", F::DotPart},
      {u"a\\..\\..\\b", F::DotPart},
      {u"a/../b", F::DotPart},
      {u".", F::DotPart},
      {u"a\\.\\b", F::DotPart},
      {u"\\Windows\\x.dll", F::Rooted},
      {u"/etc/x", F::Rooted},
      {u"\\\\server\\share\\x", F::Rooted},
      {u"//server/share/x", F::Rooted},
      {u"\\\\?\\C:\\x", F::Rooted},
      {u"\\\\.\\PhysicalDrive0", F::Rooted},
      {u"C:\\Windows\\x.dll", F::Rooted},
      {u"c:x.dll", F::Rooted},
      {u"a\\C:\\x", F::Stream},
      {u"file.txt:hidden", F::Stream},
      {u"a\\b::$DATA", F::Stream},
      {u"CON", F::DeviceName},
      {u"con", F::DeviceName},
      {u"a\\Nul.txt", F::DeviceName},
      {u"aux.tar.gz", F::DeviceName},
      {u"PRN", F::DeviceName},
      {u"COM1", F::DeviceName},
      {u"com9.log", F::DeviceName},
      {u"COM0", F::DeviceName},
      {u"LPT1", F::DeviceName},
      {u"lpt5.x", F::DeviceName},
      {u"COM\u00B9", F::DeviceName},
      {u"CONIN$", F::DeviceName},
      {u"conout$.txt", F::DeviceName},
      {u"NUL .txt", F::DeviceName},
      {u"NUL\\x.txt", F::DeviceName},
      {u"x.txt.", F::TrailingDotOrBlank},
      {u"x.txt ", F::TrailingDotOrBlank},
      {u"dir.\\x", F::TrailingDotOrBlank},
      {u"dir \\x", F::TrailingDotOrBlank},
      {u"...", F::TrailingDotOrBlank},
      {u"CON.", F::TrailingDotOrBlank},
      {u"a*b", F::Character},
      {u"a?", F::Character},
      {u"a<b>", F::Character},
      {u"a|b", F::Character},
      {u"a\"b", F::Character},
      {u"a\tb", F::Character},
      {u"a\\b\x01", F::Character},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckClientPath(c.path), c.fault) << std::string(c.path.begin(), c.path.end());
    EXPECT_STRNE(ClientPathFaultText(c.fault), "");
  }
}

TEST(ClientPaths, AcceptsNearMisses) {
  for (const std::u16string_view path :
       {u"a..b", u"a\\..b\\c", u"..a", u".config\\x", u"con1.txt", u"CONSOLE.txt", u"COM10", u"LPT", u"NULL",
        u"auxiliary\\prn1", u"com1x.txt", u"My Tools\\new file.dll", u"a/b\\c", u"x.txt.bak", u" leading",
        u"\u00E9t\u00E9\\r\u00E9sum\u00E9.txt", u"Data\\Data.zip"}) {
    EXPECT_EQ(CheckClientPath(path), F::None) << std::string(path.begin(), path.end());
  }
}

TEST(ClientPaths, APathLiesInItsFolderOnlyThroughTheRule) {
  const struct {
    std::u16string_view folder, path;
    bool orItself, in;
  } cases[] = {
      {u"C:\\App", u"C:\\App\\x.dll", false, true},
      {u"C:\\App\\", u"c:\\app\\Data\\x.dll", false, true},
      {u"C:\\App", u"C:\\App", false, false},
      {u"C:\\App", u"C:\\App", true, true},
      {u"C:\\App", u"C:\\App\\", true, false},
      {u"C:\\App", u"C:\\Apple\\x.dll", false, false},
      {u"C:\\App", u"C:\\App\\..\\Windows\\x.dll", false, false},
      {u"C:\\App", u"C:\\App\\x.dll:stream", false, false},
      {u"C:\\App", u"D:\\App\\x.dll", false, false},
      {u"", u"\\x.dll", false, false},
      {u"", u"", true, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LiesInClientFolder(c.folder, c.path, c.orItself), c.in)
        << std::string(c.path.begin(), c.path.end()) << " in " << std::string(c.folder.begin(), c.folder.end());
}

}  // namespace
}  // namespace tidewell
