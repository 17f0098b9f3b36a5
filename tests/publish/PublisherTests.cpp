#include <gtest/gtest.h>

#include "delta/Noise.h"
#include "publish/FolderTarget.h"
#include "publish/Publisher.h"
#include "publish/ReleaseFixture.h"
#include "signing/Hex.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell::publish {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;

// Passes every operation to a target, writes down the ones that change it,
// and fails the one numbered `failAt` (1 for the first), as a connection
// cut or a process killed at that point would.
class RecordingTarget final : public PublishTarget {
 public:
  explicit RecordingTarget(PublishTarget& inner) : inner_(inner) {}
  std::string Describe() const override { return inner_.Describe(); }
  bool Stat(const std::string& path, std::optional<std::uint64_t>& size, std::string& error) override {
    return inner_.Stat(path, size, error);
  }
  bool Fetch(const std::string& path, std::optional<std::string>& bytes, std::string& error) override {
    return inner_.Fetch(path, bytes, error);
  }
  bool Upload(const fs::path& local, const std::string& path, const TransferProgress& progress,
              std::string& error) override {
    return Step("upload " + path, error) && inner_.Upload(local, path, progress, error);
  }
  bool Rename(const std::string& from, const std::string& to, std::string& error) override {
    return Step("rename " + from + " " + to, error) && inner_.Rename(from, to, error);
  }
  bool Remove(const std::string& path, std::string& error) override {
    return Step("remove " + path, error) && inner_.Remove(path, error);
  }

  std::vector<std::string> steps;
  int failAt = 0;

 private:
  bool Step(const std::string& what, std::string& error) {
    steps.push_back(what);
    if (static_cast<int>(steps.size()) != failAt) return true;
    error = "cut off at: " + what;
    return false;
  }
  PublishTarget& inner_;
};

struct PublisherTest : ::testing::Test {
  void BuildRelease(const std::map<std::string, std::string>& files) {
    std::string output;
    ASSERT_TRUE(fixture.Build(files, output)) << output;
  }
  bool Run(RecordingTarget& target, bool prune = false) {
    error.clear();
    const LocalRelease release = fixture.Read();
    return Publish(release, {&target, "Update.xml", &target, "files"}, prune, {}, report, error);
  }
  std::string Served(const std::string& path) const { return ReadBytes(web / path); }

  testing::TempDir dir;
  testing::ReleaseFixture fixture{dir / "work"};
  fs::path web = dir / "www";
  FolderTarget folder{web};
  PublishReport report;
  std::string error;
};

const std::map<std::string, std::string> kFirst = {
    {"App.exe", std::string(3000, 'a')}, {"bin/Lib.dll", "lib one"}, {"Read me.txt", "hello"}};
const std::map<std::string, std::string> kSecond = {
    {"App.exe", std::string(3001, 'b')}, {"bin/Lib.dll", "lib one"}, {"New.dat", "new"}};

TEST_F(PublisherTest, FirstPublishUploadsUnderTemporaryNamesThenRenamesTheServerFileLast) {
  BuildRelease(kFirst);
  RecordingTarget target(folder);
  ASSERT_TRUE(Run(target)) << error;
  const std::vector<std::string> expected = {
      "upload files/.App.exe.tidewell-part",
      "upload files/.Read me.txt.tidewell-part",
      "upload files/bin/.Lib.dll.tidewell-part",
      "upload .Update.xml.sig.tidewell-part",
      "upload .Update.xml.tidewell-part",
      "rename files/.App.exe.tidewell-part files/App.exe",
      "rename files/.Read me.txt.tidewell-part files/Read me.txt",
      "rename files/bin/.Lib.dll.tidewell-part files/bin/Lib.dll",
      "upload files/..tidewell-published.tidewell-part",
      "rename files/..tidewell-published.tidewell-part files/.tidewell-published",
      "rename .Update.xml.sig.tidewell-part Update.xml.sig",
      "rename .Update.xml.tidewell-part Update.xml",
  };
  EXPECT_EQ(target.steps, expected);
  for (const auto& [path, content] : kFirst) EXPECT_EQ(Served("files/" + path), content) << path;
  EXPECT_EQ(Served("Update.xml"), ReadBytes(fixture.ServerFile()));
  EXPECT_EQ(Served("Update.xml.sig"), ReadBytes(fixture.ServerFile().string() + ".sig"));
  EXPECT_EQ(report.sent.size(), 5u);
}

TEST_F(PublisherTest, PatchesGoWithTheFilesAndThePatchListBeforeTheSignatureFile) {
  const std::string before = testing::Noise(200'000, 1);
  std::string after = before;
  after.replace(50'000, 16, "a changed string");
  testing::WriteBytes(dir / "earlier" / "App.exe", before);
  testing::WriteBytes(dir / "earlier" / "bin" / "Lib.dll", "lib zero");
  std::string output;
  ASSERT_TRUE(fixture.Build({{"App.exe", after}, {"bin/Lib.dll", "lib one"}}, output,
                            "http://127.0.0.1:9/up/Update.xml", "http://127.0.0.1:9/up/files",
                            {"--previous", (dir / "earlier").string()}))
      << output;
  // The library is too small for a patch worth having.
  EXPECT_NE(output.find("Patches: 1 made"), std::string::npos) << output;
  EXPECT_NE(output.find("1 not worth it"), std::string::npos) << output;
  const std::string patch = "App.exe." + signing::ToHex(signing::Sha256::Of(before)).substr(0, 16) + ".zpatch";

  RecordingTarget target(folder);
  ASSERT_TRUE(Run(target)) << error;
  const std::vector<std::string> expected = {
      "upload files/.App.exe.tidewell-part",
      "upload files/bin/.Lib.dll.tidewell-part",
      "upload files/." + patch + ".tidewell-part",
      "upload .Update.xml.patches.tidewell-part",
      "upload .Update.xml.sig.tidewell-part",
      "upload .Update.xml.tidewell-part",
      "rename files/.App.exe.tidewell-part files/App.exe",
      "rename files/bin/.Lib.dll.tidewell-part files/bin/Lib.dll",
      "rename files/." + patch + ".tidewell-part files/" + patch,
      "upload files/..tidewell-published.tidewell-part",
      "rename files/..tidewell-published.tidewell-part files/.tidewell-published",
      "rename .Update.xml.patches.tidewell-part Update.xml.patches",
      "rename .Update.xml.sig.tidewell-part Update.xml.sig",
      "rename .Update.xml.tidewell-part Update.xml",
  };
  EXPECT_EQ(target.steps, expected);
  EXPECT_EQ(Served("files/" + patch), ReadBytes(fixture.Stage() / patch));
  EXPECT_EQ(Served("Update.xml.patches"), ReadBytes(fixture.ServerFile().string() + ".patches"));

  // The next release without patches takes the list away.
  BuildRelease({{"App.exe", after + "more"}, {"bin/Lib.dll", "lib one"}});
  RecordingTarget next(folder);
  ASSERT_TRUE(Run(next)) << error;
  EXPECT_EQ(next.steps.back(), "remove Update.xml.patches");
  EXPECT_FALSE(fs::exists(web / "Update.xml.patches"));

  // A patch changed after the build stops the publish before it starts.
  ASSERT_TRUE(fixture.Build({{"App.exe", after}, {"bin/Lib.dll", "lib one"}}, output,
                            "http://127.0.0.1:9/up/Update.xml", "http://127.0.0.1:9/up/files",
                            {"--previous", (dir / "earlier").string()}))
      << output;
  testing::WriteBytes(fixture.Stage() / patch, "tampered");
  LocalRelease release;
  EXPECT_FALSE(ReadLocalRelease(fixture.ServerFile(), text::FromPath(fixture.Stage()), release, error));
  EXPECT_NE(error.find("changed since the update XML file was built"), std::string::npos) << error;
}

TEST_F(PublisherTest, SecondPublishOfTheSameReleaseSendsNothing) {
  BuildRelease(kFirst);
  RecordingTarget first(folder), second(folder);
  ASSERT_TRUE(Run(first)) << error;
  ASSERT_TRUE(Run(second)) << error;
  EXPECT_EQ(second.steps, std::vector<std::string>{});
  EXPECT_EQ(report.unchanged, 3u);
  EXPECT_EQ(report.bytesSent, 0u);
}

TEST_F(PublisherTest, NextReleaseSendsOnlyWhatChangedAndListsWhatItNoLongerHas) {
  BuildRelease(kFirst);
  RecordingTarget first(folder), second(folder);
  ASSERT_TRUE(Run(first)) << error;
  BuildRelease(kSecond);
  ASSERT_TRUE(Run(second)) << error;
  EXPECT_EQ(report.sent, (std::vector<std::string>{"files/App.exe", "files/New.dat",
                                                   "Update.xml.sig", "Update.xml"}));
  EXPECT_EQ(report.unchanged, 1u);
  EXPECT_EQ(report.leftInPlace, std::vector<std::string>{"files/Read me.txt"});
  EXPECT_EQ(Served("files/Read me.txt"), "hello");
}

TEST_F(PublisherTest, PruneRemovesOnlyPlacedFilesThatNeitherReleaseLists) {
  BuildRelease(kFirst);
  RecordingTarget target(folder);
  testing::WriteBytes(web / "files" / "index.html", "the publisher's own page");
  ASSERT_TRUE(Run(target)) << error;
  BuildRelease(kSecond);
  ASSERT_TRUE(Run(target, true)) << error;
  EXPECT_EQ(report.pruned, std::vector<std::string>{});  // "Read me.txt" is the previous release's
  BuildRelease({{"New.dat", "new"}});
  ASSERT_TRUE(Run(target, true)) << error;
  EXPECT_EQ(report.pruned, std::vector<std::string>{"files/Read me.txt"});
  EXPECT_FALSE(fs::exists(web / "files" / "Read me.txt"));
  EXPECT_TRUE(fs::exists(web / "files" / "App.exe"));  // the previous release still lists it
  EXPECT_TRUE(fs::exists(web / "files" / "index.html"));
}

TEST_F(PublisherTest, PublishCutOffAtEveryStepKeepsThePreviousServerFileAndCanBeRunAgain) {
  BuildRelease(kFirst);
  RecordingTarget setup(folder);
  ASSERT_TRUE(Run(setup)) << error;
  const std::string previousServer = Served("Update.xml");
  const std::string previousSignature = Served("Update.xml.sig");
  BuildRelease(kSecond);
  // The previous release as published, and the steps of a whole publish over it.
  testing::TempDir scratch;
  const fs::path pristine = scratch / "previous", dryRun = scratch / "dry";
  fs::copy(web, pristine, fs::copy_options::recursive);
  fs::copy(web, dryRun, fs::copy_options::recursive);
  FolderTarget copy(dryRun);
  RecordingTarget dry(copy);
  ASSERT_TRUE(Run(dry)) << error;
  const int steps = static_cast<int>(dry.steps.size());
  ASSERT_EQ(steps, 10);

  for (int cut = 1; cut <= steps; ++cut) {
    SCOPED_TRACE("cut at step " + std::to_string(cut) + ": " + dry.steps[cut - 1]);
    fs::remove_all(web);
    fs::copy(pristine, web, fs::copy_options::recursive);
    RecordingTarget target(folder);
    target.failAt = cut;
    EXPECT_FALSE(Run(target));
    // Until its own rename, the last step, clients find the previous server
    // file; until the one before, its signature file too.
    EXPECT_EQ(Served("Update.xml"), previousServer);
    if (cut < steps) {
      EXPECT_EQ(Served("Update.xml.sig"), previousSignature);
    }
    RecordingTarget again(folder);
    ASSERT_TRUE(Run(again)) << error;
    EXPECT_EQ(Served("Update.xml"), ReadBytes(fixture.ServerFile()));
    EXPECT_EQ(Served("Update.xml.sig"), ReadBytes(fixture.ServerFile().string() + ".sig"));
    EXPECT_EQ(Served("files/App.exe"), kSecond.at("App.exe"));
  }
}

TEST_F(PublisherTest, UpdateFilesMayNotTakeTheNamesThePublishWrites) {
  struct Case {
    std::string file, prefix, error;
  };
  const Case cases[] = {
      {"Update.xml", "", "the update file Update.xml would take the name of the update XML file or of its signature file; rename it"},
      {"Update.xml.sig", "", "the update file Update.xml.sig would take the name of the update XML file or of its signature file; rename it"},
      {".tidewell-published", "files", "the update file .tidewell-published would take a name the publish keeps for its own files; rename it"},
      {"bin/.a.tidewell-part", "files", "the update file bin/.a.tidewell-part would take a name the publish keeps for its own files; rename it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    BuildRelease({{c.file, "x"}, {"App.exe", "a"}});
    RecordingTarget target(folder);
    const LocalRelease release = fixture.Read();
    EXPECT_FALSE(Publish(release, {&target, "Update.xml", &target, c.prefix}, false, {}, report, error));
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(target.steps, std::vector<std::string>{});
  }
}

TEST_F(PublisherTest, FullTargetFailsWithTheReasonAndLeavesThePreviousReleaseWithoutLeftovers) {
  BuildRelease(kFirst);
  RecordingTarget target(folder);
  ASSERT_TRUE(Run(target)) << error;
  const std::string previous = Served("Update.xml");
  BuildRelease({{"App.exe", std::string(200000, 'c')}, {"bin/Lib.dll", "lib one"}});
  {
    testing::FileSizeLimit limit(100000);
    EXPECT_FALSE(Run(target));
  }
  EXPECT_NE(error.find("File too large"), std::string::npos) << error;
  EXPECT_EQ(Served("Update.xml"), previous);
  EXPECT_FALSE(fs::exists(web / "files" / ".App.exe.tidewell-part"));
  EXPECT_EQ(Served("files/App.exe"), kFirst.at("App.exe"));
}

TEST_F(PublisherTest, CancelDuringTheUploadsLeavesThePreviousRelease) {
  BuildRelease(kFirst);
  RecordingTarget target(folder);
  ASSERT_TRUE(Run(target)) << error;
  const std::string previous = Served("Update.xml");
  BuildRelease(kSecond);
  const LocalRelease release = fixture.Read();
  EXPECT_FALSE(Publish(release, {&target, "Update.xml", &target, "files"}, false,
                       [](const PublishProgress&) { return false; }, report, error));
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(error, "the publish was cancelled; the previous release is as it was");
  EXPECT_EQ(Served("Update.xml"), previous);
  EXPECT_FALSE(fs::exists(web / "files" / ".App.exe.tidewell-part"));
}

}  // namespace
}  // namespace tidewell::publish
