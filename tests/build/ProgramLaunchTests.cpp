#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "build/BuildTestSupport.h"
#include "build/HostProcessStarter.h"
#include "build/ProgramLaunch.h"
#include "text/Text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

TEST(SplitCommandLine, FollowsTheWindowsRules) {
  struct Case {
    std::u16string_view line;
    std::vector<WString> arguments;
  };
  const Case cases[] = {
      {u"testMode UpdateConfig.xml", {u"testMode", u"UpdateConfig.xml"}},
      {u"testMode Update Config.xml", {u"testMode", u"Update", u"Config.xml"}},
      {u"  CheckNow\t", {u"CheckNow"}},
      {u"", {}},
      {u"\"C:\\My Project\"", {u"C:\\My Project"}},
      {u"a\\\\b \\\"q\\\" \"x\"\"y\"", {u"a\\\\b", u"\"q\"", u"x\"y"}},
      {u"end\\\\\" two\"", {u"end\\ two"}},
      {u"\"\"", {u""}},
      {u"unclosed \"quote here", {u"unclosed", u"quote here"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SplitCommandLine(c.line), c.arguments) << text::ToUtf8(c.line);
}

#ifndef _WIN32

TEST(WindowsProgramRequest, GoesThroughWineWhenItIsThere) {
  testing::RecordingStarter starter;
  const std::vector<WString> arguments = SplitCommandLine(u"testMode U.xml");
  EXPECT_FALSE(WindowsProgramRequest(starter, u"/p/Client.exe", arguments, u"/p"));
  EXPECT_EQ(StartWindowsProgram(starter, u"/p/Client.exe", arguments),
            LaunchResult::NoWine);
  starter.programs = {{u"wine", u"/opt/wine/bin/wine"}};
  const ProcessRequest expected{u"/opt/wine/bin/wine", {u"/p/Client.exe", u"testMode", u"U.xml"},
                                u"/p"};
  EXPECT_EQ(WindowsProgramRequest(starter, u"/p/Client.exe", arguments, u"/p"), expected);
  EXPECT_EQ(StartWindowsProgram(starter, u"/p/Client.exe", arguments, u"/p"),
            LaunchResult::Started);
  EXPECT_EQ(starter.started, std::vector<ProcessRequest>{expected});
  starter.startSucceeds = false;
  EXPECT_EQ(StartWindowsProgram(starter, u"/p/Client.exe", {}), LaunchResult::Failed);
}

TEST(OpenFolderInBrowser, UsesXdgOpen) {
  testing::RecordingStarter starter;
  EXPECT_EQ(OpenFolderInBrowser(starter, u"/p/My Project"), LaunchResult::NoFileBrowser);
  starter.programs = {{u"xdg-open", u"/usr/bin/xdg-open"}};
  EXPECT_EQ(OpenFolderInBrowser(starter, u"/p/My Project"), LaunchResult::Started);
  EXPECT_EQ(starter.started,
            std::vector<ProcessRequest>({{u"/usr/bin/xdg-open", {u"/p/My Project"}, u""}}));
}

// Waits for a file the started program writes; the program runs on its own.
std::string WaitForFile(const fs::path& file) {
  for (int i = 0; i < 200 && !fs::exists(file); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return fs::exists(file) ? testing::ReadBytes(file) : std::string("<never written>");
}

TEST(HostProcessStarter, StartsAProgramInItsFolderWithItsArguments) {
  testing::TempDir dir;
  fs::create_directories(dir / "work folder");
  HostProcessStarter starter;
  const auto shell = starter.FindProgram(u"sh");
  ASSERT_TRUE(shell);
  EXPECT_EQ((*shell)[0], u'/');
  ASSERT_TRUE(starter.Start({*shell,
                             {u"-c", u"printf '%s|%s|' \"$PWD\" \"$1\" > out.txt", u"sh",
                               u"two words \"quoted\""},
                             text::FromPath(dir / "work folder")}));
  EXPECT_EQ(WaitForFile(dir / "work folder" / "out.txt"),
            (dir / "work folder").string() + "|two words \"quoted\"|");
}

TEST(HostProcessStarter, AProgramThatCannotStartAnswersFalse) {
  testing::TempDir dir;
  HostProcessStarter starter;
  testing::WriteBytes(dir / "plain.txt", "not executable");
  EXPECT_FALSE(starter.Start({text::FromPath(dir / "missing"), {}, {}}));
  EXPECT_FALSE(starter.Start({text::FromPath(dir / "plain.txt"), {}, {}}));
  EXPECT_FALSE(starter.Start({u"no-such-program-anywhere-here", {}, {}}));
  EXPECT_FALSE(starter.FindProgram(u"no-such-program-anywhere-here"));
  // A working folder that does not exist stops the start.
  const auto shell = starter.FindProgram(u"sh");
  ASSERT_TRUE(shell);
  EXPECT_FALSE(starter.Start({*shell, {u"-c", u"true"}, text::FromPath(dir / "nowhere")}));
}

#endif

}  // namespace
}  // namespace tidewell
