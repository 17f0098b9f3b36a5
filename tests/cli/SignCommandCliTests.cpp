#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliRunner.h"
#include "support/EnvironmentScope.h"
#include "support/TempDir.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RunCli;
using testing::WriteBytes;

// build --client with a sign command, given on the command line or by the
// pipeline's environment. (Signing that succeeds is shown with osslsigncode
// by the build tests and, under wine, by the client's end-to-end test.)
struct SignCommandCli : ::testing::Test {
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the commands here are written for sh";
#endif
    WriteBytes(Project(),
               "<Tidemark><ProjName>Logbook</ProjName><CompanyName>Harbour Soft</CompanyName>"
               "<AppTitle>Logbook</AppTitle><AppVersion>2.0</AppVersion>"
               "<HTTPLocationFiles>http://h.example/files</HTTPLocationFiles>"
               "<HTTPLocationXML>http://h.example/Update.xml</HTTPLocationXML></Tidemark>");
  }
  std::string Project() const { return (dir / "project" / "Settings.xml").string(); }
  fs::path Client() const { return dir / "project" / "Tidewatcher.exe"; }

  testing::TempDir dir;
  testing::EnvironmentScope environment{{"XDG_CONFIG_HOME", (dir / "config").string()},
                                        {"TIDEWELL_SIGN_COMMAND", std::nullopt}};
};

TEST_F(SignCommandCli, AFailingCommandFailsTheBuildWithItsOutputAndKeepsThePreviousClient) {
  ASSERT_EQ(RunCli({"build", Project(), "--client"}).exitCode, 0);
  const std::string previous = ReadBytes(Client());

  const auto result = RunCli({"build", Project(), "--client", "--sign-command",
                              "echo 'the token is locked' >&2; exit 4 # {file}"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("The client could not be signed, so the previous client was kept."),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("the sign command failed (exit code 4):\nthe token is locked"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(ReadBytes(Client()), previous);
}

TEST_F(SignCommandCli, ThePipelinesCommandIsUsedWithoutTheOption) {
  const fs::path ran = dir / "ran";
  testing::EnvironmentScope pipeline{
      {"TIDEWELL_SIGN_COMMAND", "echo \"$0\" > '" + ran.string() + "'; exit 1 # {file}"}};
  const auto result = RunCli({"build", Project(), "--client"});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_TRUE(fs::exists(ran));
  // Nothing was there before, and nothing unsigned is left.
  EXPECT_FALSE(fs::exists(Client()));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "project"), fs::directory_iterator()), 1);

  // A command that names no client is refused before anything is built.
  const auto refused = RunCli({"build", Project(), "--client", "--sign-command", "sign-it"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("the sign command names no {file}"), std::string::npos)
      << refused.err;
}

}  // namespace
}  // namespace tidewell
