#include <gtest/gtest.h>

#include <string>

#include <zstd.h>

#include "delta/Patch.h"
#include "delta/Noise.h"
#include "support/TempDir.h"

namespace tidewell::delta {
namespace {

namespace fs = std::filesystem;
using testing::Noise;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Made {
  fs::path oldFile, patchFile, outFile;
  std::string patch;
};

Made WritePatch(const TempDir& dir, const std::string& before, const std::string& after) {
  Made made{dir / "old", dir / "patch", dir / "out", {}};
  std::string error;
  const auto patch = MakePatch(before, after, error);
  EXPECT_TRUE(patch) << error;
  made.patch = patch.value_or("");
  WriteBytes(made.oldFile, before);
  WriteBytes(made.patchFile, made.patch);
  return made;
}

TEST(Patch, AppliedItGivesTheNewFileByteForByte) {
  const std::string base = Noise(3 << 20, 1);
  std::string edited = base;
  edited.replace(1'000'000, 100, Noise(100, 2));
  std::string moved = base.substr(2 << 20) + base.substr(0, 2 << 20);
  const struct {
    const char* name;
    std::string before, after;
    bool small;  // worth keeping
  } cases[] = {
      {"a few bytes changed", base, edited, true},
      {"bytes inserted", base, base.substr(0, 5000) + "inserted" + base.substr(5000), true},
      {"tail cut off", base, base.substr(0, base.size() - 12345), true},
      {"parts moved far apart", base, moved, true},
      {"nothing in common", base, Noise(1 << 20, 3), false},
      {"from an empty file", "", "now there is text", false},
      {"to an empty file", base, "", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const Made made = WritePatch(dir, c.before, c.after);
    EXPECT_EQ(WorthKeeping(made.patch.size(), c.after.size()), c.small)
        << c.name << ": " << made.patch.size() << " bytes";
    std::string error;
    ASSERT_EQ(ApplyPatch(made.oldFile, made.patchFile, made.outFile, error), ApplyOutcome::Applied)
        << c.name << ": " << error;
    EXPECT_TRUE(ReadBytes(made.outFile) == c.after) << c.name;
  }
}

TEST(Patch, RefusedForAnythingButItsOwnOldFileAndWholePatch) {
  const std::string base = Noise(1 << 20, 4);
  std::string after = base;
  after.replace(500'000, 64, Noise(64, 5));
  TempDir dir;
  const Made made = WritePatch(dir, base, after);
  std::string otherOld = base;
  otherOld[700'000] ^= 0x40;
  std::string flipped = made.patch;
  flipped[flipped.size() / 2] ^= 0x01;
  const struct {
    const char* name;
    std::string old, patch;
  } cases[] = {
      {"another old file", otherOld, made.patch},
      {"an unrelated old file", Noise(1 << 20, 6), made.patch},
      {"a damaged patch", base, flipped},
      {"a truncated patch", base, made.patch.substr(0, made.patch.size() / 2)},
      {"a patch without its last byte", base, made.patch.substr(0, made.patch.size() - 1)},
      {"bytes after the patch", base, made.patch + "x"},
      {"a second frame after the patch", base, made.patch + made.patch},
      {"an empty patch", base, ""},
      {"not a patch", base, "hello, this is not zstd"},
  };
  for (const auto& c : cases) {
    WriteBytes(made.oldFile, c.old);
    WriteBytes(made.patchFile, c.patch);
    WriteBytes(made.outFile, "left from before");
    std::string error;
    EXPECT_EQ(ApplyPatch(made.oldFile, made.patchFile, made.outFile, error), ApplyOutcome::Damaged)
        << c.name;
    EXPECT_NE(error.find("damaged"), std::string::npos) << c.name << ": " << error;
    EXPECT_FALSE(fs::exists(made.outFile)) << c.name << ": a partial result is left";
  }
}

TEST(Patch, TheMemoryBoundHoldsOnBothSides) {
  const struct {
    std::uint64_t oldSize, newSize;
    bool fits;
  } cases[] = {
      {kPatchMemoryBound, 0, true},
      {0, kPatchMemoryBound, true},
      {kPatchMemoryBound / 2, kPatchMemoryBound / 2, true},
      {kPatchMemoryBound / 2, kPatchMemoryBound / 2 + 1, false},
      {kPatchMemoryBound + 1, 0, false},
      {~0ull, 2, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PatchFits(c.oldSize, c.newSize), c.fits) << c.oldSize << " + " << c.newSize;

  // A patch whose frame makes a file just over the bound is refused before
  // the old file is read.
  TempDir dir;
  const std::string oldFile(4096, 'o');
  const std::string zeros(kPatchMemoryBound - oldFile.size() + 1, '\0');
  std::string frame(ZSTD_compressBound(zeros.size()), '\0');
  frame.resize(ZSTD_compress(frame.data(), frame.size(), zeros.data(), zeros.size(), 1));
  WriteBytes(dir / "old", oldFile);
  WriteBytes(dir / "patch", frame);
  std::string error;
  EXPECT_EQ(ApplyPatch(dir / "old", dir / "patch", dir / "out", error), ApplyOutcome::TooLarge);
  EXPECT_FALSE(fs::exists(dir / "out"));
  EXPECT_FALSE(MakePatch(oldFile, zeros, error));
}

TEST(Patch, AMissingFileIsAFailureNotDamage) {
  TempDir dir;
  const Made made = WritePatch(dir, "old text", "new text");
  std::string error;
  EXPECT_EQ(ApplyPatch(dir / "absent", made.patchFile, made.outFile, error), ApplyOutcome::Failed);
  EXPECT_EQ(ApplyPatch(made.oldFile, dir / "absent", made.outFile, error), ApplyOutcome::Failed);
}

}  // namespace
}  // namespace tidewell::delta
