// The automatic comparison of two versions of a product of 50,000 files each
// (100 folders of 500 files; half of the files newer in the latest version),
// as a ratio against the floor of the same work: a plain walk of the latest
// version that stats every file and its counterpart in the old one.
#include <benchmark/benchmark.h>

#include "support/RatioReporter.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "files/DirectoryComparison.h"
#include "files/FileTree.h"
#include "platform/Prompt.h"
#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace fs = std::filesystem;
using namespace tidewell;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 500;

fs::path g_root;

fs::path Root() {
  if (g_root.empty()) {
    g_root = fs::temp_directory_path() / ("tidewell-compare-bench-" + std::to_string(::getpid()));
    fs::create_directories(g_root);
  }
  return g_root;
}

struct Versions {
  fs::path oldRoot;
  fs::path newRoot;
  size_t newer = 0;
};

const Versions& Product() {
  static Versions versions;
  if (!versions.oldRoot.empty()) return versions;
  versions.oldRoot = Root() / "old";
  versions.newRoot = Root() / "new";
  const auto then = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (int d = 0; d < kFolders; ++d) {
    const std::string folder = "module" + std::to_string(d);
    fs::create_directories(versions.oldRoot / folder);
    fs::create_directories(versions.newRoot / folder);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      const std::string name = folder + "/file" + std::to_string(f) + ".dat";
      std::ofstream(versions.oldRoot / name) << 'o';
      std::ofstream(versions.newRoot / name) << 'n';
      fs::last_write_time(versions.oldRoot / name, then);
      const bool newer = f % 2 == 0;
      fs::last_write_time(versions.newRoot / name, newer ? then + std::chrono::hours(1) : then);
      versions.newer += newer ? 1 : 0;
    }
  }
  return versions;
}

// Goes on at every long-operation question, as a user watching it would.
class KeepGoing final : public Prompt {
 public:
  void ShowMessage(const WString&, const WString&, MessageIcon) override {}
  Answer Ask(const WString&, const WString&, Buttons, MessageIcon) override { return Answer::Yes; }
  void ShowBalloon(const FieldId&, const WString&, const WString&, MessageIcon) override {}
  void SetStatusText(const WString&) override {}
  void SetBusy(bool) override {}
};

void BM_StatBothSidesWalk(benchmark::State& state) {
  const Versions& versions = Product();
  for (auto _ : state) {
    size_t newer = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(versions.newRoot)) {
      if (!entry.is_regular_file()) continue;
      struct stat latest {};
      struct stat old {};
      const fs::path counterpart = versions.oldRoot / entry.path().lexically_relative(versions.newRoot);
      if (::stat(entry.path().c_str(), &latest) != 0) continue;
      if (::stat(counterpart.c_str(), &old) != 0 || latest.st_mtim.tv_sec > old.st_mtim.tv_sec) ++newer;
    }
    if (newer != versions.newer) state.SkipWithError("the walk miscounted");
  }
}
BENCHMARK(BM_StatBothSidesWalk)->Unit(benchmark::kMillisecond);

void BM_CompareDirectories(benchmark::State& state) {
  const Versions& versions = Product();
  const WString oldRoot = text::FromPath(versions.oldRoot);
  const WString newRoot = text::FromPath(versions.newRoot);
  KeepGoing prompt;
  for (auto _ : state) {
    ProjectSettings settings;
    settings.SetSetting(SettingKey::UpdateFilesDir, newRoot);
    FileTree tree;
    tree.SetContext(&settings, nullptr);
    ComparisonReport report;
    if (!CompareDirectories(settings, tree, oldRoot, newRoot, 0, prompt, &report) ||
        report.filesAdded != versions.newer)
      state.SkipWithError("the comparison failed");
  }
}
BENCHMARK(BM_CompareDirectories)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios\n");
  reporter.PrintRatio("compare 2 x 50,000 files / walk that stats both sides", "BM_CompareDirectories",
                      "BM_StatBothSidesWalk", 2.0);
  std::error_code ec;
  fs::remove_all(Root(), ec);
  benchmark::Shutdown();
  return 0;
}
