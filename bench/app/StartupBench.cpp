// Start of the desktop tool to its idle main window with the example project
// open, against a bare Qt program showing one empty main window, both started
// as processes, offscreen, in turns.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/RatioReporter.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

fs::path BinFolder() { return fs::canonical("/proc/self/exe").parent_path(); }

const fs::path& Scratch() {
  static const fs::path scratch = [] {
    fs::path folder = fs::temp_directory_path() / ("tidewell-startup-bench-" +
                                                   std::to_string(::getpid()));
    fs::create_directories(folder / "config");
    fs::create_directories(folder / "runtime");
    fs::permissions(folder / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    return folder;
  }();
  return scratch;
}

// The example project of ./run, made once in the scratch folder.
const fs::path& ExampleProject() {
  static const fs::path project = [] {
    const fs::path build = BinFolder().parent_path();
    const std::string command = "'" TIDEWELL_SOURCE_DIR "/example/run-example' '" +
                                build.string() + "' '" + (Scratch() / "example").string() +
                                "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return fs::path();
    return Scratch() / "example" / "Logbook" / "Settings.xml";
  }();
  return project;
}

// Runs a program to its end, adding the processor time it took (its threads
// together) to `cpuSeconds`; false when it could not start or failed.
bool RunProcess(const std::vector<std::string>& arguments, double* cpuSeconds = nullptr) {
  std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen",
                                       "XDG_CONFIG_HOME=" + (Scratch() / "config").string(),
                                       "XDG_RUNTIME_DIR=" + (Scratch() / "runtime").string(),
                                       "HOME=" + Scratch().string()};
  for (char** variable = environ; *variable; ++variable) {
    const std::string text = *variable;
    if (text.rfind("PATH=", 0) == 0 || text.rfind("LANG=", 0) == 0) environment.push_back(text);
  }
  std::vector<char*> argv, envp;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  if (cpuSeconds) {
    for (const timeval& time : {usage.ru_utime, usage.ru_stime})
      *cpuSeconds += double(time.tv_sec) + double(time.tv_usec) / 1e6;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_StartupAndFloorInTurns(benchmark::State& state) {
  const fs::path& project = ExampleProject();
  if (project.empty() || !fs::exists(project)) {
    state.SkipWithError("the example project could not be made");
    return;
  }
  const std::vector<std::string> tool{(BinFolder() / "tidewell-startup-probe").string(),
                                      project.string()};
  const std::vector<std::string> floor{(BinFolder() / "bare-qt-window-probe").string()};
  // Once each before timing: the first start fills the caches of the system.
  if (!RunProcess(tool) || !RunProcess(floor)) {
    state.SkipWithError("a probe failed");
    return;
  }
  double toolSeconds = 0;
  double floorSeconds = 0;
  double toolCpu = 0;
  double floorCpu = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    const bool toolRan = RunProcess(tool, &toolCpu);
    auto middle = std::chrono::steady_clock::now();
    const bool floorRan = RunProcess(floor, &floorCpu);
    auto end = std::chrono::steady_clock::now();
    if (!toolRan || !floorRan) {
      state.SkipWithError("a probe failed");
      return;
    }
    toolSeconds += std::chrono::duration<double>(middle - start).count();
    floorSeconds += std::chrono::duration<double>(end - middle).count();
  }
  if (floorSeconds > 0) {
    state.counters["startup_to_floor"] = toolSeconds / floorSeconds;
    if (floorCpu > 0) state.counters["startup_to_floor_cpu"] = toolCpu / floorCpu;
    state.counters["tool_ms"] = 1000 * toolSeconds / double(state.iterations());
    state.counters["floor_ms"] = 1000 * floorSeconds / double(state.iterations());
  }
}
BENCHMARK(BM_StartupAndFloorInTurns)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios\n");
  reporter.PrintCounter("desktop tool start, example project open / bare Qt window",
                        "startup_to_floor", 2.0);
  reporter.PrintCounter("  the same in processor time (on a busy machine)", "startup_to_floor_cpu", 0);
  std::error_code error;
  fs::remove_all(Scratch(), error);
  benchmark::Shutdown();
  return 0;
}
