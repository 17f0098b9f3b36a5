#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzTarget.h"

namespace tidewell::fuzz {
namespace {

namespace fs = std::filesystem;

struct Finding : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void ThrowFinding(const std::string& what) { throw Finding(what); }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Runs the target on each file; answers the findings, one line per input.
std::string Replay(const FuzzTarget& target, const std::vector<fs::path>& files) {
  SetFindingHandler(ThrowFinding);
  std::string findings;
  for (const fs::path& file : files) {
    try {
      target.run(ReadFile(file));
    } catch (const Finding& finding) {
      findings += file.filename().string() + ": " + finding.what() + "\n";
    }
  }
  return findings;
}

std::vector<std::string> TargetNames() {
  std::vector<std::string> names;
  for (const FuzzTarget& target : AllTargets()) names.emplace_back(target.name);
  return names;
}

class FuzzReplay : public ::testing::TestWithParam<std::string> {
 protected:
  const FuzzTarget& Target() const { return *FindTarget(GetParam()); }
};

TEST_P(FuzzReplay, SeedsPassEveryCheck) {
  const std::vector<fs::path> seeds = FilesIn(fs::path(TIDEWELL_FUZZ_SEED_DIR) / GetParam());
  ASSERT_FALSE(seeds.empty()) << "no seeds for " << GetParam();
  EXPECT_EQ(Replay(Target(), seeds), "");
}

TEST_P(FuzzReplay, InputsThatOnceFoundFaultsPass) {
  const fs::path folder = fs::path(TIDEWELL_SOURCE_DIR) / "fuzz" / "regressions" / GetParam();
  EXPECT_EQ(Replay(Target(), FilesIn(folder)), "");
}

INSTANTIATE_TEST_SUITE_P(EveryTarget, FuzzReplay, ::testing::ValuesIn(TargetNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// A broken property reaches the handler, so a replay can fail at all.
TEST(FuzzReplay, ReportsABrokenProperty) {
  SetFindingHandler(ThrowFinding);
  EXPECT_THROW(Expect(false, "broken"), Finding);
  EXPECT_NO_THROW(Expect(true, "holds"));
}

// Every kept regression folder names a target, so none is silently skipped.
TEST(FuzzReplay, EveryRegressionFolderNamesATarget) {
  const fs::path root = fs::path(TIDEWELL_SOURCE_DIR) / "fuzz" / "regressions";
  if (!fs::is_directory(root)) return;
  for (const fs::directory_entry& entry : fs::directory_iterator(root)) {
    if (entry.is_directory()) {
      EXPECT_NE(FindTarget(entry.path().filename().string()), nullptr) << entry.path();
    }
  }
}

}  // namespace
}  // namespace tidewell::fuzz
