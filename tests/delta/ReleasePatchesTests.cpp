#include <gtest/gtest.h>

#include <string>

#include "delta/Patch.h"
#include "delta/ReleasePatches.h"
#include "signing/PatchList.h"
#include "delta/Noise.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell::delta {
namespace {

namespace fs = std::filesystem;
using testing::Noise;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string Edited(std::string bytes, std::size_t at, unsigned seed) {
  return bytes.replace(at, 32, Noise(32, seed));
}

SigningKey TestKey() {
  signing::Seed seed{};
  seed.fill(5);
  return {signing::KeyPairFromSeed(seed), {}};
}

class ReleasePatchesTest : public ::testing::Test {
 protected:
  fs::path Stage() const { return dir_ / "stage"; }
  fs::path ServerFile() const { return dir_ / "Update.xml"; }

  void WriteRelease(const std::map<std::string, std::string>& files) {
    std::string list;
    for (const auto& [path, content] : files) {
      WriteBytes(Stage() / path, content);
      const std::size_t slash = path.rfind('/');
      std::string src = "\\";
      if (slash != std::string::npos) src += path.substr(0, slash) + "\\";
      list += "<File Name=\"" + path.substr(slash + 1) + "\" Src=\"" + src + "\"/>";
    }
    WriteBytes(ServerFile(), "<Tidemark><FileList><Directory Name=\"&lt;ApplicationDir&gt;\">" + list +
                                 "</Directory></FileList></Tidemark>");
  }
  bool Write(const std::vector<fs::path>& earlier, ReleasePatchesReport& report, std::string& error) {
    return WriteReleasePatches(ServerFile(), text::FromPath(Stage()), TestKey(), earlier, report, error);
  }

  TempDir dir_;
};

TEST_F(ReleasePatchesTest, PatchesEveryChangedFileFromEachEarlierReleaseAndListsThem) {
  const std::string app1 = Noise(1 << 20, 1), app2 = Edited(app1, 1000, 2), app3 = Edited(app2, 9000, 3);
  const std::string lib = Noise(200'000, 4);
  // Release 1 and 2 behind, release 3 being built. "Same.dll" did not
  // change; "Data.bin" changed completely; "New.txt" is new.
  WriteBytes(dir_ / "r1/bin/App.exe", app1);
  WriteBytes(dir_ / "r1/Same.dll", lib);
  WriteBytes(dir_ / "r1/Data.bin", Noise(100'000, 5));
  WriteBytes(dir_ / "r2/bin/App.exe", app2);
  WriteBytes(dir_ / "r2/Same.dll", lib);
  // The same old file in a third folder gives no second patch.
  WriteBytes(dir_ / "r2copy/bin/App.exe", app2);
  WriteRelease({{"bin/App.exe", app3}, {"Same.dll", lib}, {"Data.bin", Noise(100'000, 6)},
                {"New.txt", "new"}});

  ReleasePatchesReport report;
  std::string error;
  ASSERT_TRUE(Write({dir_ / "r1", dir_ / "r2", dir_ / "r2copy"}, report, error)) << error;
  EXPECT_EQ(report.made, 2u);
  EXPECT_EQ(report.notSmaller, 1u);
  EXPECT_EQ(report.tooLarge, 0u);

  const std::string listText = ReadBytes(dir_ / "Update.xml.patches");
  const auto list = signing::ReadPatchList(listText, error);
  ASSERT_TRUE(list) << error;
  EXPECT_EQ(list->content.key, TestKey().pair.publicKey);
  const std::string server = ReadBytes(ServerFile());
  EXPECT_EQ(list->content.serverFile, (signing::FileDigest{server.size(), signing::Sha256::Of(server)}));
  ASSERT_EQ(list->content.patches.size(), 2u);
  std::uint64_t bytes = 0;
  for (const signing::ListedPatch& patch : list->content.patches) {
    EXPECT_EQ(patch.path, "bin/App.exe");
    const std::string& old = patch.oldSha256 == signing::Sha256::Of(app1) ? app1 : app2;
    ASSERT_EQ(patch.oldSha256, signing::Sha256::Of(old));
    const fs::path place = Stage() / signing::PatchServerPath(patch.path, patch.oldSha256);
    const std::string bytesOnDisk = ReadBytes(place);
    EXPECT_EQ(patch.patch, (signing::FileDigest{bytesOnDisk.size(), signing::Sha256::Of(bytesOnDisk)}));
    bytes += bytesOnDisk.size();
    WriteBytes(dir_ / "old", old);
    ASSERT_EQ(ApplyPatch(dir_ / "old", place, dir_ / "made", error), ApplyOutcome::Applied) << error;
    EXPECT_TRUE(ReadBytes(dir_ / "made") == app3);
  }
  EXPECT_EQ(report.patchBytes, bytes);
  EXPECT_FALSE(fs::exists(Stage() / "Data.bin.zpatch"));
}

TEST_F(ReleasePatchesTest, AMissingEarlierReleaseIsRefusedAndTheListKept) {
  WriteRelease({{"App.exe", "v2"}});
  WriteBytes(dir_ / "Update.xml.patches", "the previous list");
  ReleasePatchesReport report;
  std::string error;
  EXPECT_FALSE(Write({dir_ / "absent"}, report, error));
  EXPECT_NE(error.find("is not a folder"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(dir_ / "Update.xml.patches"), "the previous list");
}

}  // namespace
}  // namespace tidewell::delta
