#include <gtest/gtest.h>

#include <fstream>

#include "publish/LoopbackServers.h"
#include "publish/Publisher.h"
#include "publish/ReleaseFixture.h"
#include "publish/TargetOptions.h"
#include "support/EnvironmentScope.h"
#include "support/TempDir.h"

namespace tidewell::publish {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

const std::map<std::string, std::string> kRelease = {
    {"App.exe", std::string(70000, 'a')}, {"bin/Lib.dll", "lib"}, {"Read me.txt", "hello"}};

// The lines of a log that mention one of `words`, in order, each cut to the
// part from the word on.
std::vector<std::string> Mentions(const fs::path& log, const std::vector<std::string>& words) {
  std::ifstream in(log);
  std::vector<std::string> found;
  for (std::string line; std::getline(in, line);)
    for (const std::string& word : words)
      if (const std::size_t at = line.find(word); at != std::string::npos) found.push_back(line.substr(at));
  return found;
}

struct RemoteTest : ::testing::Test {
  void SetUp() override {
    std::string output;
    ASSERT_TRUE(fixture.Build(kRelease, output)) << output;
  }
  bool PublishTo(PublishTarget& target) {
    error.clear();
    const LocalRelease release = fixture.Read();
    return Publish(release, {&target, "Update.xml", &target, "files"}, false, {}, report, error);
  }
  void ExpectWholeRelease(PublishTarget& target) {
    for (const auto& [path, content] : kRelease) {
      std::optional<std::string> bytes;
      ASSERT_TRUE(target.Fetch("files/" + path, bytes, error)) << error;
      EXPECT_EQ(bytes, content) << path;
    }
    std::optional<std::string> server;
    ASSERT_TRUE(target.Fetch("Update.xml", server, error)) << error;
    EXPECT_EQ(server, ReadBytes(fixture.ServerFile()));
  }
  // A first publish sends all, a second nothing.
  void PublishTwice(PublishTarget& target) {
    ASSERT_TRUE(PublishTo(target)) << error;
    EXPECT_EQ(report.sent.size(), 5u);
    ExpectWholeRelease(target);
    ASSERT_TRUE(PublishTo(target)) << error;
    EXPECT_EQ(report.sent, std::vector<std::string>{});
    EXPECT_EQ(report.unchanged, 3u);
  }

  testing::TempDir dir;
  testing::ReleaseFixture fixture{dir / "work"};
  PublishReport report;
  std::string error;
};

struct SftpTest : RemoteTest {
  void SetUp() override {
    RemoteTest::SetUp();
    ASSERT_TRUE(server.Ok()) << ReadBytes(dir / "ssh" / "sshd.log");
    options.identity = server.clientKey;
    options.knownHosts = dir / "known_hosts";
    WriteBytes(options.knownHosts, server.KnownHostsLine() + "\n");
  }
  std::unique_ptr<PublishTarget> Open() {
    auto target = OpenTarget(Address(), options, error);
    EXPECT_TRUE(target) << error;
    return target;
  }
  std::string Address() const {
    return "sftp://127.0.0.1:" + std::to_string(server.process.Port()) + (dir / "remote").string();
  }
  testing::SshServer server{[this] {
    fs::create_directories(dir / "ssh");
    return dir / "ssh";
  }()};
  TargetOptions options;
  // No agent: only the keys the tests name.
  testing::EnvironmentScope environment{{"SSH_AUTH_SOCK", std::nullopt}};
};

TEST_F(SftpTest, PublishesTwiceAndTheServerSeesTheServerFileRenamedLast) {
  auto target = Open();
  ASSERT_TRUE(target);
  PublishTwice(*target);
  const std::string remote = (dir / "remote").string();
  // The puts in place; each moves the file it replaces aside first.
  std::vector<std::string> renames;
  for (std::string line : Mentions(server.sftpLog, {"rename old "})) {
    if (line.back() == '\r') line.pop_back();
    if (line.find("tidewell-part\" new") != std::string::npos) renames.push_back(line);
  }
  const std::vector<std::string> expected = {
      "rename old \"" + remote + "/files/.App.exe.tidewell-part\" new \"" + remote + "/files/App.exe\"",
      "rename old \"" + remote + "/files/.Read me.txt.tidewell-part\" new \"" + remote + "/files/Read me.txt\"",
      "rename old \"" + remote + "/files/bin/.Lib.dll.tidewell-part\" new \"" + remote + "/files/bin/Lib.dll\"",
      "rename old \"" + remote + "/files/..tidewell-published.tidewell-part\" new \"" + remote + "/files/.tidewell-published\"",
      "rename old \"" + remote + "/.Update.xml.sig.tidewell-part\" new \"" + remote + "/Update.xml.sig\"",
      "rename old \"" + remote + "/.Update.xml.tidewell-part\" new \"" + remote + "/Update.xml\"",
  };
  EXPECT_EQ(renames, expected);
}

TEST_F(SftpTest, ReplacesTheServerFileOfAnEarlierRelease) {
  auto target = Open();
  ASSERT_TRUE(target);
  ASSERT_TRUE(PublishTo(*target)) << error;
  std::string output;
  ASSERT_TRUE(fixture.Build({{"App.exe", "two"}}, output)) << output;
  ASSERT_TRUE(PublishTo(*target)) << error;
  EXPECT_EQ(ReadBytes(dir / "remote" / "Update.xml"), ReadBytes(fixture.ServerFile()));
  EXPECT_EQ(ReadBytes(dir / "remote" / "files" / "App.exe"), "two");
  EXPECT_FALSE(fs::exists(dir / "remote" / ".Update.xml.tidewell-part-old"));
}

TEST_F(SftpTest, AFailedPutInPlaceLeavesTheOldFileUnderItsName) {
  auto target = Open();
  ASSERT_TRUE(target);
  WriteBytes(dir / "local.txt", "old");
  ASSERT_TRUE(target->Upload(dir / "local.txt", "Update.xml", {}, error)) << error;
  EXPECT_FALSE(target->Rename("not-uploaded.xml", "Update.xml", error));
  EXPECT_NE(error.find("cannot put Update.xml in place"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(dir / "remote" / "Update.xml"), "old");
}

TEST_F(SftpTest, RefusesHostsWhoseKeyIsUnknownOrDifferentAndKeysTheServerRefuses) {
  struct Case {
    const char* name;
    std::string knownHosts;
    bool accept;
    fs::path identity;
    std::string reason;
  };
  const std::string other = ReadBytes(server.dir / "other_key.pub");
  const std::string wrongLine =
      "[127.0.0.1]:" + std::to_string(server.process.Port()) + " " + other.substr(0, other.rfind(' '));
  const Case cases[] = {
      {"unknown host", "", false, server.clientKey, "is not in " + options.knownHosts.string() + " and was not accepted"},
      {"other host key", wrongLine + "\n", true, server.clientKey, "differs from the one in"},
      {"key not authorised", server.KnownHostsLine() + "\n", false, server.otherKey, "the server refused the login"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(options.knownHosts, c.knownHosts);
    options.identity = c.identity;
    options.acceptHostKey = [&c](const std::string&) { return c.accept; };
    auto target = Open();
    ASSERT_TRUE(target);
    EXPECT_FALSE(PublishTo(*target));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir / "remote" / "Update.xml"));
  }
}

TEST_F(SftpTest, AcceptedHostIsAddedToTheKnownHosts) {
  WriteBytes(options.knownHosts, "");
  std::string asked;
  options.acceptHostKey = [&asked](const std::string& question) {
    asked = question;
    return true;
  };
  auto target = Open();
  ASSERT_TRUE(target);
  ASSERT_TRUE(PublishTo(*target)) << error;
  EXPECT_NE(asked.find("ED25519 key SHA256:"), std::string::npos) << asked;
  EXPECT_NE(ReadBytes(options.knownHosts).find("ssh-ed25519"), std::string::npos);
  options.acceptHostKey = nullptr;  // known now: no question
  auto again = Open();
  ASSERT_TRUE(again);
  EXPECT_TRUE(PublishTo(*again)) << error;
}

struct WebDavTest : RemoteTest {
  void SetUp() override {
    RemoteTest::SetUp();
    ASSERT_TRUE(server.Ok()) << ReadBytes(dir / "error.log");
  }
  testing::WebServer server{dir / "www", dir.Path()};
};

TEST_F(WebDavTest, PublishesTwiceAndMovesTheServerFileInLast) {
  auto target = OpenTarget(server.Url() + "/up", {}, error);
  ASSERT_TRUE(target) << error;
  PublishTwice(*target);
  server.process.Stop();  // writes out its log
  const std::vector<std::string> moves = Mentions(server.accessLog, {"MOVE "});
  const std::vector<std::string> expected = {
      "MOVE /up/files/.App.exe.tidewell-part HTTP/1.1 201",
      "MOVE /up/files/.Read%20me.txt.tidewell-part HTTP/1.1 201",
      "MOVE /up/files/bin/.Lib.dll.tidewell-part HTTP/1.1 201",
      "MOVE /up/files/..tidewell-published.tidewell-part HTTP/1.1 201",
      "MOVE /up/.Update.xml.sig.tidewell-part HTTP/1.1 201",
      "MOVE /up/.Update.xml.tidewell-part HTTP/1.1 201",
  };
  EXPECT_EQ(moves, expected) << ReadBytes(server.accessLog);
  EXPECT_EQ(ReadBytes(dir / "www" / "up" / "files" / "Read me.txt"), "hello");
}

struct S3Test : RemoteTest {
  void SetUp() override {
    RemoteTest::SetUp();
    ASSERT_TRUE(server.Ok()) << "s3rver did not start (scripts/install-deps installs it): "
                             << ReadBytes(dir / "s3rver.log");
  }
  testing::S3Server server{dir.Path()};
  testing::EnvironmentScope environment{{"AWS_ACCESS_KEY_ID", "S3RVER"},
                                        {"AWS_SECRET_ACCESS_KEY", "S3RVER"},
                                        {"AWS_SESSION_TOKEN", std::nullopt},
                                        {"AWS_REGION", "us-east-1"}};
};

TEST_F(S3Test, PublishesTwiceBelowAPrefix) {
  TargetOptions options;
  options.endpoint = server.Endpoint();
  auto target = OpenTarget("s3://releases/logbook", options, error);
  ASSERT_TRUE(target) << error;
  PublishTwice(*target);
  std::optional<std::uint64_t> size;
  ASSERT_TRUE(target->Stat("files/.App.exe.tidewell-part", size, error)) << error;
  EXPECT_EQ(size, std::nullopt);
}

TEST_F(S3Test, UnknownAccessKeyIsRefusedByTheServer) {
  testing::EnvironmentScope wrong{{"AWS_ACCESS_KEY_ID", "NOT-A-KEY"}};
  TargetOptions options;
  options.endpoint = server.Endpoint();
  auto target = OpenTarget("s3://releases/logbook", options, error);
  ASSERT_TRUE(target) << error;
  EXPECT_FALSE(PublishTo(*target));
  EXPECT_NE(error.find("access denied (403)"), std::string::npos) << error;
}

}  // namespace
}  // namespace tidewell::publish
