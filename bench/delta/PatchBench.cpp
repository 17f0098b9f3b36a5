// Making the patches of a 200 MB release (10 files of 20 MB, 1 % of each
// changed in 20 places) from the previous release, against the floor of
// compressing the new release with zstd at the level patches are made with.
// The bytes a client downloads are printed: the patches against whole files.
#include <benchmark/benchmark.h>

#include "support/RatioReporter.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <zstd.h>

#include "delta/Patch.h"

namespace {

constexpr int kFiles = 10;
constexpr std::size_t kFileSize = 20'000'000;

// Half text-like and compressible, half noise, as programs and data are.
std::string Content(unsigned seed) {
  std::mt19937 random(seed);
  static const char* const kWords[] = {"update ", "client ", "window ", "resource ", "string ",
                                       "version ", "file ",   "server ", "install ",  "folder "};
  std::string bytes;
  bytes.reserve(kFileSize);
  while (bytes.size() < kFileSize) {
    for (int i = 0; i < 64; ++i) bytes += kWords[random() % 10];
    for (int i = 0; i < 448; ++i) bytes += static_cast<char>(random());
  }
  bytes.resize(kFileSize);
  return bytes;
}

struct Release {
  std::vector<std::string> before, after;
};

const Release& TheRelease() {
  static const Release release = [] {
    Release made;
    std::mt19937 random(11);
    for (int i = 0; i < kFiles; ++i) {
      made.before.push_back(Content(static_cast<unsigned>(i)));
      std::string changed = made.before.back();
      // 1 % of the file, in 20 places.
      for (std::size_t place = 0; place < 20; ++place) {
        const std::size_t at = place * (kFileSize / 20) + random() % 100'000;
        for (std::size_t j = 0; j < kFileSize / 2000; ++j) changed[at + j] = static_cast<char>(random());
      }
      made.after.push_back(std::move(changed));
    }
    return made;
  }();
  return release;
}

void BM_CompressRelease(benchmark::State& state) {
  const Release& release = TheRelease();
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const std::string& file : release.after) {
      std::string out(ZSTD_compressBound(file.size()), '\0');
      bytes += ZSTD_compress(out.data(), out.size(), file.data(), file.size(), tidewell::delta::kPatchLevel);
    }
  }
  state.counters["compressed_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CompressRelease)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MakeReleasePatches(benchmark::State& state) {
  const Release& release = TheRelease();
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (int i = 0; i < kFiles; ++i) {
      std::string error;
      const auto patch = tidewell::delta::MakePatch(release.before[i], release.after[i], error);
      if (!patch) {
        state.SkipWithError(error.c_str());
        return;
      }
      bytes += patch->size();
    }
  }
  state.counters["patch_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MakeReleasePatches)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios\n");
  reporter.PrintRatio("patches of a 200 MB release / zstd compression of it", "BM_MakeReleasePatches/iterations:1",
                      "BM_CompressRelease/iterations:1", 5.0);
  const auto patchBytes = reporter.Counter("patch_bytes");
  const auto compressedBytes = reporter.Counter("compressed_bytes");
  if (patchBytes && compressedBytes)
    std::printf("bytes downloaded: patches %.0f, whole files %.0f (compressed %.0f); patches / whole %.4f\n",
                *patchBytes, double(kFiles) * kFileSize, *compressedBytes,
                *patchBytes / (double(kFiles) * kFileSize));
  benchmark::Shutdown();
  return 0;
}
