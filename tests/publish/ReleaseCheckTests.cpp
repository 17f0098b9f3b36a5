#include <gtest/gtest.h>

#include <functional>

#include "cli/CliRunner.h"
#include "publish/LoopbackServers.h"
#include "publish/ReleaseFixture.h"
#include "support/TempDir.h"

namespace tidewell::publish {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RunCli;
using testing::WriteBytes;

const std::map<std::string, std::string> kRelease = {
    {"App.exe", std::string(70000, 'a')}, {"bin/Lib.dll", "lib"}, {"Read me.txt", "hello"}};

// A release published by the command-line tool into the folder a web
// server serves, and checked over http as a client fetches it.
struct ReleaseCheckTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(server.Ok()) << ReadBytes(dir / "error.log");
    std::string output;
    ASSERT_TRUE(fixture.Build(kRelease, output, server.Url() + "/up/Update.xml",
                              server.Url() + "/up/files/"))
        << output;
  }
  testing::CliResult Publish(std::vector<std::string> more = {}) {
    std::vector<std::string> arguments = {"publish", fixture.Project().string(), "--to", Up().string()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return RunCli(arguments);
  }
  // Publishes the release afresh, damages it, and checks it.
  testing::CliResult PublishDamageAndCheck(const std::function<void()>& damage) {
    fs::remove_all(Up());
    const testing::CliResult published = Publish({"--no-verify"});
    EXPECT_EQ(published.exitCode, 0) << published.err;
    damage();
    return RunCli({"verify-release", fixture.Project().string()});
  }
  fs::path Up() const { return dir / "www" / "up"; }
  std::string FileUrl(const std::string& path) const { return server.Url() + "/up/files/" + path; }

  testing::TempDir dir;
  testing::WebServer server{dir / "www", dir.Path()};
  testing::ReleaseFixture fixture{dir / "work"};
};

TEST_F(ReleaseCheckTest, PublishEndsWithTheCheckOfAWholeRelease) {
  const testing::CliResult first = Publish();
  ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
  EXPECT_EQ(first.out,
            "Sent 5 file(s), " + std::to_string(70000 + 3 + 5 + fs::file_size(fixture.ServerFile()) +
                                                fs::file_size(fixture.ServerFile().string() + ".sig")) +
                " bytes; 0 update file(s) were on the target already.\n"
                "  sent files/App.exe\n  sent files/Read me.txt\n  sent files/bin/Lib.dll\n"
                "  sent Update.xml.sig\n  sent Update.xml\n"
                "The published release is whole: 3 file(s) checked as a client fetches them.\n");
  const testing::CliResult check = RunCli({"verify-release", fixture.Project().string()});
  EXPECT_EQ(check.exitCode, 0) << check.err;
  EXPECT_EQ(check.out, "The published release is whole: 3 file(s) checked as a client fetches them.\n");
}

TEST_F(ReleaseCheckTest, OnATerminalTheProgressIsOneLineRewrittenInPlace) {
  // script(1) gives the command a terminal and copies what it shows.
  const fs::path shown = dir / "terminal.txt";
  const std::string command = std::string(TIDEWELL_BIN_DIR) + "/tidewell-cli publish '" +
                              fixture.Project().string() + "' --to '" + Up().string() + "'";
  ASSERT_TRUE(testing::RunCommand("script -qec \"" + command + "\" '" + shown.string() + "' >/dev/null"));
  const std::string text = ReadBytes(shown);
  EXPECT_NE(text.find("\rSending  [########################] "), std::string::npos) << text;
  EXPECT_NE(text.find("\rChecking [########################] "), std::string::npos) << text;
  EXPECT_NE(text.find("The published release is whole: 3 file(s)"), std::string::npos) << text;
}

TEST_F(ReleaseCheckTest, DamagedReleaseIsNamedFileByFileWithItsAddress) {
  struct Case {
    const char* name;
    std::function<void()> damage;
    std::string expected;  // the check's output
  };
  const std::string sig = server.Url() + "/up/Update.xml.sig";
  const std::string xml = server.Url() + "/up/Update.xml";
  const Case cases[] = {
      {"a file missing", [&] { fs::remove(Up() / "files" / "bin" / "Lib.dll"); },
       FileUrl("bin/Lib.dll") + ": missing (404)\n"},
      {"a file cut short", [&] { WriteBytes(Up() / "files" / "App.exe", std::string(1000, 'a')); },
       FileUrl("App.exe") + ": other size: 1000 bytes, signed 70000\n"},
      {"a file too long", [&] { WriteBytes(Up() / "files" / "bin" / "Lib.dll", "lib and more"); },
       FileUrl("bin/Lib.dll") + ": other size: more than the signed 3 bytes\n"},
      {"other content", [&] { WriteBytes(Up() / "files" / "Read me.txt", "HELLO"); },
       FileUrl("Read%20me.txt") + ": other content: its SHA-256 is not the signed one\n"},
      {"an error page", [&] { WriteBytes(Up() / "files" / "App.exe", "<!DOCTYPE html><p>Not found</p>"); },
       FileUrl("App.exe") + ": an HTML page instead of the file\n"},
      {"no signature file", [&] { fs::remove(Up() / "Update.xml.sig"); }, sig + ": missing (404)\n"},
      {"the server file changed", [&] { WriteBytes(Up() / "Update.xml", ReadBytes(Up() / "Update.xml") + " "); },
       xml + ": refused by its signature: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const testing::CliResult check = PublishDamageAndCheck(c.damage);
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out.substr(0, c.expected.size()), c.expected) << check.out;
    EXPECT_EQ(check.err, "the published release is not whole: clients would fail to update\n");
  }
}

TEST_F(ReleaseCheckTest, PatchesAreCheckedLikeFiles) {
  WriteBytes(dir / "earlier" / "App.exe", std::string(69000, 'a') + std::string(1000, 'b'));
  std::string output;
  ASSERT_TRUE(fixture.Build(kRelease, output, server.Url() + "/up/Update.xml", server.Url() + "/up/files/",
                            {"--previous", (dir / "earlier").string()}))
      << output;
  const std::string list = server.Url() + "/up/Update.xml.patches";
  std::string patch;
  for (const auto& entry : fs::directory_iterator(fixture.Stage()))
    if (entry.path().extension() == ".zpatch") patch = entry.path().filename().string();
  ASSERT_FALSE(patch.empty());
  struct Case {
    const char* name;
    std::function<void()> damage;
    int exitCode;
    std::string expected;
  } cases[] = {
      {"whole", [] {}, 0, "The published release is whole: 4 file(s) checked as a client fetches them.\n"},
      {"a patch missing", [&] { fs::remove(Up() / "files" / patch); }, 1, FileUrl(patch) + ": missing (404)\n"},
      {"a patch changed", [&] { WriteBytes(Up() / "files" / patch, "x"); }, 1,
       FileUrl(patch) + ": other size: 1 bytes, signed "},
      {"the patch list damaged", [&] { WriteBytes(Up() / "Update.xml.patches", "Tidewell update patches 1\n"); },
       1, list + ": damaged: "},
      {"the patch list of another build", [&] {
         fs::copy_file(dir / "other.patches", Up() / "Update.xml.patches", fs::copy_options::overwrite_existing);
       }, 1, list + ": not for this update XML file: clients ignore its patches\n"},
      {"no patch list", [&] { fs::remove(Up() / "Update.xml.patches"); }, 0,
       "The published release is whole: 3 file(s) checked as a client fetches them.\n"},
  };
  // A list signed by the same key for another server file.
  {
    testing::TempDir other;
    testing::ReleaseFixture second{other.Path()};
    std::map<std::string, std::string> changed = kRelease;
    changed["Read me.txt"] = "changed";
    ASSERT_TRUE(second.Build(changed, output, server.Url() + "/up/Update.xml", server.Url() + "/up/files/",
                             {"--previous", (dir / "earlier").string()}))
        << output;
    fs::copy_file(second.ServerFile().string() + ".patches", dir / "other.patches");
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const testing::CliResult check = PublishDamageAndCheck(c.damage);
    EXPECT_EQ(check.exitCode, c.exitCode);
    EXPECT_EQ(check.out.substr(0, c.expected.size()), c.expected) << check.out;
  }
}

TEST(ReleaseCheck, AnOldCopyFromACacheIsSaidToBeOne) {
  testing::TempDir dir;
  testing::WebServer cache(dir / "www", dir.Path(), "setenv.add-response-header = (\"Age\" => \"120\")\n");
  ASSERT_TRUE(cache.Ok()) << ReadBytes(dir / "error.log");
  testing::ReleaseFixture fixture(dir / "work");
  std::string output;
  ASSERT_TRUE(fixture.Build(kRelease, output, cache.Url() + "/Update.xml", cache.Url() + "/files")) << output;
  const testing::CliResult published =
      RunCli({"publish", fixture.Project().string(), "--to", (dir / "www").string()});
  ASSERT_EQ(published.exitCode, 0) << published.out << published.err;
  WriteBytes(dir / "www" / "files" / "App.exe", std::string(70000, 'o'));
  const testing::CliResult check = RunCli({"verify-release", fixture.Project().string()});
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_EQ(check.out, cache.Url() + "/files/App.exe: other content: its SHA-256 is not the signed "
                                     "one (a cache answered: Age 120 s)\n");
}

TEST_F(ReleaseCheckTest, AddressesAPublishCannotPlaceAreRefusedWithTheReason) {
  struct Case {
    std::string serverUrl, filesUrl, reason;
  };
  const std::string base = server.Url();
  const Case cases[] = {
      {base + "/up/Update.xml", "http://127.0.0.2:8080/files",
       "the update files are at http://127.0.0.2:8080, another server than the update XML file's "
       "http://127.0.0.1:" + std::to_string(server.process.Port()) +
           ", so they cannot go below the target: name a second target for the update files "
           "(--files-to)\n"},
      {base + "/up/Update.xml", base + "/elsewhere/files",
       "the update files' folder /elsewhere/files is not below the update XML file's folder /up, so "
       "they cannot go below the target: name a second target for the update files (--files-to)\n"},
      {base + "/up/check.php?ed=1", base + "/up/files",
       "the update XML file's address " + base + "/up/check.php?ed=1 asks a program on the server "
       "(it has parameters): publish can only place a file the server serves as it is\n"},
      {base + "/%Edition%/Update.xml", base + "/files",
       "the address of the update XML file " + base + "/%Edition%/Update.xml holds a variable "
       "reference, which only a client fills in\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.serverUrl);
    std::string output;
    ASSERT_TRUE(fixture.Build(kRelease, output, c.serverUrl, c.filesUrl)) << output;
    const testing::CliResult result = Publish();
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, c.reason);
    EXPECT_FALSE(fs::exists(Up()));
  }
}

TEST_F(ReleaseCheckTest, FilesElsewhereGoToTheirOwnTarget) {
  std::string output;
  ASSERT_TRUE(fixture.Build(kRelease, output, server.Url() + "/up/Update.xml",
                            server.Url() + "/downloads/v2"))
      << output;
  const testing::CliResult result =
      Publish({"--files-to", (dir / "www" / "downloads" / "v2").string()});
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_EQ(ReadBytes(dir / "www" / "downloads" / "v2" / "bin" / "Lib.dll"), "lib");
}

}  // namespace
}  // namespace tidewell::publish
