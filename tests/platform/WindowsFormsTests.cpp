// Text forms the Windows build hands to the system: command lines and
// extended-length paths. Plain text rules, checked on every host.
#include <gtest/gtest.h>

#include "platform/WindowsCommandLine.h"
#include "platform/WindowsPath.h"

namespace tidewell {
namespace {

TEST(WindowsCommandLine, QuotesOnlyWhatTheParserWouldSplitOrEat) {
  const struct {
    std::wstring argument;
    std::wstring quoted;
  } cases[] = {
      {L"plain", L"plain"},
      {L"", L"\"\""},
      {L"two words", L"\"two words\""},
      {L"tab\there", L"\"tab\there\""},
      {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
      {L"C:\\Program Files\\", L"\"C:\\Program Files\\\\\""},
      {L"C:\\no\\blanks\\", L"C:\\no\\blanks\\"},
      {L"a\\\\\"b", L"\"a\\\\\\\\\\\"b\""},
      {L"\\\\server\\share dir", L"\"\\\\server\\share dir\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteWindowsArgument(c.argument), c.quoted) << c.quoted.size();
}

TEST(WindowsCommandLine, JoinsQuotedArgumentsWithOneBlank) {
  EXPECT_EQ(JoinWindowsArguments({L"testMode", L"Update Config.xml", L""}),
            L"testMode \"Update Config.xml\" \"\"");
  EXPECT_EQ(JoinWindowsArguments({}), L"");
}

TEST(WindowsPath, LongPathsGetTheExtendedLengthForm) {
  const std::wstring part(100, L'x');
  const std::wstring tail = part + L"\\" + part + L"\\" + part;  // 302 characters
  const struct {
    std::wstring path;
    std::wstring extended;
  } cases[] = {
      {L"C:\\short\\file.txt", L"C:\\short\\file.txt"},
      {L"C:\\" + tail, L"\\\\?\\C:\\" + tail},
      {L"d:/" + part + L"/" + part + L"/" + part, L"\\\\?\\d:\\" + tail},
      {L"C:\\skip\\.\\" + tail + L"\\..\\" + part, L"\\\\?\\C:\\skip\\" + part + L"\\" + part + L"\\" + part},
      {L"C:\\..\\..\\" + tail, L"\\\\?\\C:\\" + tail},
      {L"C:\\" + tail + L"\\", L"\\\\?\\C:\\" + tail + L"\\"},
      {L"\\\\server\\share\\" + tail, L"\\\\?\\UNC\\server\\share\\" + tail},
      {L"\\\\?\\C:\\" + tail, L"\\\\?\\C:\\" + tail},
      {L"\\\\.\\pipe\\" + tail, L"\\\\.\\pipe\\" + tail},
      {L"relative\\" + tail, L"relative\\" + tail},
      {L"\\\\server\\" + tail, L"\\\\?\\UNC\\server\\" + part + L"\\" + part + L"\\" + part},
      {L"\\\\\\" + tail, L"\\\\\\" + tail},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtendedLengthPath(c.path), c.extended) << c.path.size();
}

}  // namespace
}  // namespace tidewell
