// Publishing a release of 1,000 files of 200 MB in all to a folder, against
// the floor of a plain recursive copy that flushes every file; and a second
// publish of the same release, against hashing the release once.
#include <benchmark/benchmark.h>

#include "support/RatioReporter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "build/ServerFileSignature.h"
#include "publish/FolderTarget.h"
#include "publish/LocalRelease.h"
#include "publish/Publisher.h"
#include "signing/SigningKey.h"
#include "text/Text.h"

namespace fs = std::filesystem;
using namespace tidewell;

namespace {

constexpr int kFiles = 1000;
constexpr std::size_t kFileSize = 200 * 1000;  // 200 MB in all

fs::path g_root;

fs::path Root() {
  if (g_root.empty()) {
    g_root = fs::temp_directory_path() / ("tidewell-publish-bench-" + std::to_string(::getpid()));
    fs::create_directories(g_root);
  }
  return g_root;
}

fs::path Stage() { return Root() / "stage"; }
fs::path ServerFile() { return Root() / "project" / "Update.xml"; }

// The release: files in 20 folders, the server file offering them, and its
// signature file made as a build makes it.
void MakeRelease() {
  static bool made = false;
  if (made) return;
  made = true;
  std::mt19937 random(7);
  std::string content(kFileSize, '\0');
  std::string list;
  for (int i = 0; i < kFiles; ++i) {
    for (char& c : content) c = static_cast<char>(random());
    const std::string folder = "module" + std::to_string(i % 20);
    const std::string name = "file" + std::to_string(i) + ".dat";
    fs::create_directories(Stage() / folder);
    std::ofstream(Stage() / folder / name, std::ios::binary) << content;
    list += "<File Name=\"" + name + "\" Src=\"\\" + folder + "\\\"/>";
  }
  fs::create_directories(ServerFile().parent_path());
  std::ofstream(ServerFile(), std::ios::binary) << "<Tidemark><FileList>" + list + "</FileList></Tidemark>";
  SigningKey key{*signing::GenerateKeyPair(), {}};
  std::string error;
  if (!WriteServerFileSignature(ServerFile(), text::FromPath(Stage()), key,
                                {"Harbour Soft", "Logbook"}, error))
    std::fprintf(stderr, "%s\n", error.c_str());
}

void CopyFlushed(const fs::path& from, const fs::path& to) {
  std::vector<char> block(1 << 20);
  const int in = ::open(from.c_str(), O_RDONLY);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  for (ssize_t got; (got = ::read(in, block.data(), block.size())) > 0;)
    if (::write(out, block.data(), static_cast<std::size_t>(got)) != got) break;
  ::fsync(out);
  ::close(out);
  ::close(in);
}

bool PublishOnce(const fs::path& target) {
  publish::LocalRelease release;
  std::string error;
  if (!publish::ReadLocalRelease(ServerFile(), text::FromPath(Stage()), release, error)) return false;
  publish::FolderTarget folder(target);
  publish::PublishReport report;
  return publish::Publish(release, {&folder, "Update.xml", &folder, "files"}, false, {}, report, error);
}

void BM_RecursiveCopyWithFlush(benchmark::State& state) {
  MakeRelease();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(Root() / "copy");
    state.ResumeTiming();
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Stage())) {
      const fs::path to = Root() / "copy" / entry.path().lexically_relative(Stage());
      if (entry.is_directory()) fs::create_directories(to);
      else CopyFlushed(entry.path(), to);
    }
  }
}
BENCHMARK(BM_RecursiveCopyWithFlush)->Unit(benchmark::kMillisecond);

void BM_FirstPublishToFolder(benchmark::State& state) {
  MakeRelease();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(Root() / "www");
    state.ResumeTiming();
    if (!PublishOnce(Root() / "www")) state.SkipWithError("the publish failed");
  }
}
BENCHMARK(BM_FirstPublishToFolder)->Unit(benchmark::kMillisecond);

void BM_HashReleaseOnce(benchmark::State& state) {
  MakeRelease();
  for (auto _ : state) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Stage())) {
      if (!entry.is_regular_file()) continue;
      signing::FileDigest digest;
      std::string error;
      DigestOfFile(entry.path(), digest, error);
      benchmark::DoNotOptimize(digest);
    }
  }
}
BENCHMARK(BM_HashReleaseOnce)->Unit(benchmark::kMillisecond);

void BM_SecondPublishToFolder(benchmark::State& state) {
  MakeRelease();
  if (!fs::exists(Root() / "again" / "Update.xml")) PublishOnce(Root() / "again");
  for (auto _ : state)
    if (!PublishOnce(Root() / "again")) state.SkipWithError("the publish failed");
}
BENCHMARK(BM_SecondPublishToFolder)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios\n");
  reporter.PrintRatio("publish 1,000 files, 200 MB, to a folder / copy with flush",
                      "BM_FirstPublishToFolder", "BM_RecursiveCopyWithFlush", 1.3);
  reporter.PrintRatio("second publish of the same release / hashing it once",
                      "BM_SecondPublishToFolder", "BM_HashReleaseOnce", 1.5);
  std::error_code ec;
  fs::remove_all(Root(), ec);
  benchmark::Shutdown();
  return 0;
}
