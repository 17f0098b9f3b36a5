// How the client reads its command line, and the %Platform% description.

#include <gtest/gtest.h>

#include "ClientCommandLine.h"
#include "WindowsVersionName.h"

namespace tidewatch {
namespace {

TEST(ParseClientCommandLine, FindsTheActionAndTheFileName) {
  struct Case {
    std::u16string line;
    ClientAction action;
    std::u16string argument;
  };
  using A = ClientAction;
  const Case cases[] = {
      // As the tool starts the preview: the name unquoted after testMode.
      {u"\"C:\\Program Files\\My App\\Tidewatcher.exe\" testMode UpdateConfig.xml", A::TestMode, u"UpdateConfig.xml"},
      {u"Tidewatcher.exe testMode My Update.xml", A::TestMode, u"My Update.xml"},
      {u"Tidewatcher.exe testMode \"My Update.xml\"", A::TestMode, u"My Update.xml"},
      {u"Tidewatcher.exe\ttestMode\t  a.xml \t", A::TestMode, u"a.xml"},
      {u"Tidewatcher.exe TESTMODE a.xml", A::TestMode, u"a.xml"},
      {u"Tidewatcher.exe testMode", A::TestMode, u""},
      {u"Tidewatcher.exe testMode \"\"", A::TestMode, u""},
      {u"Tidewatcher.exe --dump", A::Dump, u""},
      {u"Tidewatcher.exe --dump extra words", A::Dump, u""},
      {u"Tidewatcher.exe --DUMP", A::ShowStatus, u""},
      {u"Tidewatcher.exe --dump-welcome My Update.xml", A::DumpWelcome, u"My Update.xml"},
      {u"Tidewatcher.exe", A::ShowStatus, u""},
      {u"Tidewatcher.exe CheckNow", A::ShowStatus, u""},
      {u"Tidewatcher.exe testModeX a.xml", A::ShowStatus, u""},
      {u"\"C:\\dir with blanks\\testMode.exe\"", A::ShowStatus, u""},
      {u"\"unterminated testMode a.xml", A::ShowStatus, u""},
      {u"", A::ShowStatus, u""},
  };
  for (const auto& c : cases) {
    const ClientCommand command = ParseClientCommandLine(c.line);
    EXPECT_EQ(command.action, c.action) << std::string(c.line.begin(), c.line.end());
    EXPECT_EQ(command.argument, c.argument) << std::string(c.line.begin(), c.line.end());
  }
}

TEST(DescribeWindowsVersion, NamesTheSystemAndItsNumbers) {
  const std::pair<WindowsVersion, std::u16string> cases[] = {
      {{10, 0, 22631, false}, u"Windows 11 (10.0.22631)"},
      {{10, 0, 19045, false}, u"Windows 10 (10.0.19045)"},
      {{10, 0, 20348, true}, u"Windows Server 2022 (10.0.20348)"},
      {{10, 0, 14393, true}, u"Windows Server 2016 (10.0.14393)"},
      {{6, 1, 7601, false}, u"Windows 7 (6.1.7601)"},
      {{6, 3, 9600, true}, u"Windows Server 2012 R2 (6.3.9600)"},
      {{5, 1, 2600, false}, u"Windows XP (5.1.2600)"},
      {{11, 2, 1, false}, u"Windows NT (11.2.1)"},
  };
  for (const auto& [version, text] : cases) EXPECT_EQ(DescribeWindowsVersion(version), text);
}

}  // namespace
}  // namespace tidewatch
