// Writing a 58-byte string table (type 6, id 1, language 0x0C09) into a
// 100 MB executable whose overlay is nearly all of it, against copying the
// same file with std::filesystem::copy_file (the floor), and against the npm
// package resedit doing the same edit (when bench/pe/install-resedit has put
// it into the build folder). Prints each figure as a ratio to the copy.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "build/ClientBuilder.h"
#include "content/VariableList.h"
#include "pe/ResourceUpdate.h"
#include "platform/Prompt.h"
#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kFileSize = 100ull << 20;

fs::path BenchFolder() {
  static const fs::path folder = [] {
    fs::path p =
        fs::temp_directory_path() / ("tidewell-pe-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

fs::path SourceExecutable() {
  if (const char* given = std::getenv("TIDEWELL_PE_BENCH_EXE")) return given;
#ifdef TIDEWELL_PE_BENCH_EXE
  if (fs::exists(TIDEWELL_PE_BENCH_EXE)) return TIDEWELL_PE_BENCH_EXE;
#endif
  return "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe";
}

// The executable followed by incompressible bytes up to 100 MB.
const fs::path& BigFile() {
  static const fs::path file = [] {
    const fs::path path = BenchFolder() / "Big.exe";
    fs::copy_file(SourceExecutable(), path);
    const uint64_t start = fs::file_size(path);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    std::mt19937_64 random(7);
    std::string block(1 << 20, '\0');
    for (uint64_t written = start; written < kFileSize; written += block.size()) {
      for (size_t i = 0; i + 8 <= block.size(); i += 8) {
        const uint64_t v = random();
        std::memcpy(block.data() + i, &v, 8);
      }
      out.write(block.data(), static_cast<std::streamsize>(
                                  std::min<uint64_t>(block.size(), kFileSize - written)));
    }
    return path;
  }();
  return file;
}

std::string StringTable() {
  // Strings 7 "False", 8 "1 0", 9 "False", the others empty: 58 bytes.
  std::u16string strings[16];
  strings[7] = u"False";
  strings[8] = u"1 0";
  strings[9] = u"False";
  std::string bytes;
  for (const auto& s : strings) {
    bytes.push_back(static_cast<char>(s.size()));
    bytes.push_back(0);
    for (char16_t c : s) {
      bytes.push_back(static_cast<char>(c));
      bytes.push_back(static_cast<char>(c >> 8));
    }
  }
  return bytes;
}

void CopyFile(benchmark::State& state) {
  const fs::path target = BenchFolder() / "Copy.exe";
  for (auto _ : state) fs::copy_file(BigFile(), target, fs::copy_options::overwrite_existing);
  fs::remove(target);
}

// The least any safe rewrite costs: copy to a temporary file beside the
// target, flush it to disk, rename it over the target.
void CopyFlushAndRename(const fs::path& source, const fs::path& target) {
  const fs::path temporary = target.string() + ".tmp";
  fs::copy_file(source, temporary, fs::copy_options::overwrite_existing);
  const int fd = ::open(temporary.c_str(), O_WRONLY);
  ::fsync(fd);
  ::close(fd);
  fs::rename(temporary, target);
}

bool Edit(const fs::path& target, const std::string& table, std::string* error) {
  auto update = tidewell::pe::ResourceUpdate::Begin(target, error);
  return update && update->Update(6, 1, 0x0C09, table) && update->Commit(nullptr, error);
}

void EditStringTable(benchmark::State& state) {
  const fs::path target = BenchFolder() / "Edit.exe";
  fs::copy_file(BigFile(), target, fs::copy_options::overwrite_existing);
  const std::string table = StringTable();
  for (auto _ : state) {
    std::string error;
    if (!Edit(target, table, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  fs::remove(target);
}

// Copy, safe copy and edit taken in turns, so that a busy machine weighs on both alike;
// the printed edit ratio comes from here.
void EditThenCopyInTurns(benchmark::State& state) {
  const fs::path edited = BenchFolder() / "Turns.exe", copied = BenchFolder() / "TurnsCopy.exe",
                 replaced = BenchFolder() / "TurnsReplaced.exe";
  fs::copy_file(BigFile(), edited, fs::copy_options::overwrite_existing);
  const std::string table = StringTable();
  double copySeconds = 0, editSeconds = 0, replaceSeconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    fs::copy_file(BigFile(), copied, fs::copy_options::overwrite_existing);
    const auto t1 = std::chrono::steady_clock::now();
    std::string error;
    if (!Edit(edited, table, &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    const auto t2 = std::chrono::steady_clock::now();
    CopyFlushAndRename(BigFile(), replaced);
    const auto t3 = std::chrono::steady_clock::now();
    copySeconds += std::chrono::duration<double>(t1 - t0).count();
    editSeconds += std::chrono::duration<double>(t2 - t1).count();
    replaceSeconds += std::chrono::duration<double>(t3 - t2).count();
  }
  state.counters["copy_ms"] = copySeconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["edit_ms"] = editSeconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["replace_ms"] = replaceSeconds * 1e3 / static_cast<double>(state.iterations());
  state.counters["edit_to_copy"] = copySeconds > 0 ? editSeconds / copySeconds : 0;
  state.counters["edit_to_replace"] = replaceSeconds > 0 ? editSeconds / replaceSeconds : 0;
  fs::remove(edited);
  fs::remove(replaced);
  fs::remove(copied);
}

// A build of the client as the tool runs it (its settings and its update
// key), against the safe copy, in turns: rewriting an existing 100 MB client,
// and making it from a 100 MB stub. Both are one edit and one write; the
// former way (the settings, then the key, each a write of its own) is
// measured beside them.
void BuildClientInTurns(benchmark::State& state) {
  const fs::path tool = BenchFolder() / "tool", client = BenchFolder() / "Client.exe",
                 replaced = BenchFolder() / "BuildReplaced.exe";
  fs::create_directories(tool);
  fs::copy_file(BigFile(), tool / "Tidewatch.exe", fs::copy_options::overwrite_existing);
  tidewell::SilentPrompt prompt;
  tidewell::ClientBuilder builder(prompt, tidewell::text::FromPath(tool));
  tidewell::ProjectSettings settings;
  settings.SetSetting(tidewell::SettingKey::AppTitle, u"Logbook");
  const tidewell::VariableList variables;
  tidewell::signing::PublicKey key{};
  key.fill(7);
  const tidewell::WString clientPath = tidewell::text::FromPath(client);
  tidewell::ClientBuildResult result;
  double copySeconds = 0, rebuildSeconds = 0, freshSeconds = 0, twoWritesSeconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    CopyFlushAndRename(BigFile(), replaced);
    const auto t1 = std::chrono::steady_clock::now();
    const bool rebuilt = builder.BuildClient(clientPath, settings, variables, &key, {}, result);
    const auto t2 = std::chrono::steady_clock::now();
    const bool twoWrites = builder.WriteClientSettings(clientPath, settings, variables) &&
                           builder.WriteClientKey(clientPath, key);
    const auto t3 = std::chrono::steady_clock::now();
    fs::remove(client);
    const auto t4 = std::chrono::steady_clock::now();
    const bool fresh = builder.BuildClient(clientPath, settings, variables, &key, {}, result);
    const auto t5 = std::chrono::steady_clock::now();
    if (!rebuilt || !twoWrites || !fresh) {
      state.SkipWithError(("client build failed: " + result.reason).c_str());
      break;
    }
    copySeconds += std::chrono::duration<double>(t1 - t0).count();
    rebuildSeconds += std::chrono::duration<double>(t2 - t1).count();
    twoWritesSeconds += std::chrono::duration<double>(t3 - t2).count();
    freshSeconds += std::chrono::duration<double>(t5 - t4).count();
  }
  if (copySeconds > 0) {
    state.counters["build_to_replace"] = rebuildSeconds / copySeconds;
    state.counters["fresh_to_replace"] = freshSeconds / copySeconds;
    state.counters["two_writes_to_replace"] = twoWritesSeconds / copySeconds;
    state.counters["build_replace_ms"] =
        copySeconds * 1e3 / static_cast<double>(state.iterations());
  }
  fs::remove(client);
  fs::remove(replaced);
  fs::remove_all(tool);
}

std::string ReseditPrefix() {
  if (const char* given = std::getenv("TIDEWELL_RESEDIT_PREFIX")) return given;
  return TIDEWELL_RESEDIT_PREFIX;
}

void ReseditStringTable(benchmark::State& state) {
  if (!fs::exists(fs::path(ReseditPrefix()) / "node_modules" / "resedit")) {
    state.SkipWithError("resedit not installed: run bench/pe/install-resedit <build>/node");
    return;
  }
  const fs::path target = BenchFolder() / "Resedit.exe";
  const std::string command = "node '" + std::string(TIDEWELL_RESEDIT_SCRIPT) + "' '" +
                              ReseditPrefix() + "' '" + BigFile().string() + "' '" +
                              target.string() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("resedit failed");
      break;
    }
  }
  fs::remove(target);
}

BENCHMARK(CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(EditStringTable)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(EditThenCopyInTurns)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(6.0);
BENCHMARK(BuildClientInTurns)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(6.0);
BENCHMARK(ReseditStringTable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Keeps each benchmark's mean time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Plain text: the ratios printed after the table must not follow a colour code.
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (!run.error_occurred && run.iterations > 0)
        seconds[run.benchmark_name()] =
            run.real_accumulated_time / static_cast<double>(run.iterations);
    for (const Run& run : runs)
      for (const auto& [name, counter] : run.counters) counters[name] = counter.value;
  }
  std::map<std::string, double> seconds;
  std::map<std::string, double> counters;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto time = [&](const std::string& prefix) -> double {
    for (const auto& [name, seconds] : reporter.seconds)
      if (name.rfind(prefix, 0) == 0) return seconds;
    return 0;
  };
  const double copy = time("CopyFile"), edit = time("EditStringTable"),
               resedit = time("ReseditStringTable");
  auto& counters = reporter.counters;
  if (counters.count("edit_to_copy")) {
    std::printf(
        "pe edit / copy ratio: %.2f (edit %.1f ms, copy %.1f ms, taken in turns; "
        "target at most 1.3)\n",
        counters["edit_to_copy"], counters["edit_ms"], counters["copy_ms"]);
    std::printf("pe edit / (copy + flush + rename) ratio: %.2f (that safe copy %.1f ms)\n",
                counters["edit_to_replace"], counters["replace_ms"]);
    if (counters["copy_ms"] > 0)
      std::printf(
          "(copy + flush + rename) / copy ratio: %.2f (a floor, no target: the least a rewrite "
          "in one step that survives a crash costs)\n",
          counters["replace_ms"] / counters["copy_ms"]);
  } else if (copy > 0 && edit > 0) {
    std::printf("pe edit / copy ratio: %.2f (edit %.1f ms, copy %.1f ms; target at most 1.3)\n",
                edit / copy, edit * 1e3, copy * 1e3);
  }
  if (counters.count("build_to_replace")) {
    std::printf(
        "client build / (copy + flush + rename) ratio: %.2f (settings and key, one write; "
        "target at most 1.3; that safe copy %.1f ms)\n",
        counters["build_to_replace"], counters["build_replace_ms"]);
    std::printf("first client build from the stub / (copy + flush + rename) ratio: %.2f\n",
                counters["fresh_to_replace"]);
    std::printf("settings then key, two writes / (copy + flush + rename) ratio: %.2f (the former "
                "way, for comparison)\n",
                counters["two_writes_to_replace"]);
  }
  if (copy > 0 && resedit > 0)
    std::printf("resedit / copy ratio: %.2f (resedit %.1f ms, copy %.1f ms)\n", resedit / copy,
                resedit * 1e3, copy * 1e3);
  std::error_code ec;
  fs::remove_all(BenchFolder(), ec);
  benchmark::Shutdown();
  return 0;
}
