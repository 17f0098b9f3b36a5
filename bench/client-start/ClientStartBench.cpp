// A start of the update client that does not check (its schedule checks
// every 5th start, and the count is set back before each timed start) under
// wine, against the start of an empty Win32 program: an application that
// starts the client on every launch must not be slowed down by it.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/RatioReporter.h"

namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

struct Setup {
  fs::path root;
  fs::path client;
  std::string env;
  std::string error;

  Setup() {
    if (std::system("command -v wine >/dev/null 2>&1 && command -v timeout >/dev/null 2>&1") != 0) {
      error = "wine and timeout are needed";
      return;
    }
    root = fs::temp_directory_path() / ("tidewell-start-bench-" + std::to_string(getpid()));
    fs::create_directories(root);
    env = "env -u DISPLAY WINEPREFIX=" + Quoted((root / "wine").string()) +
          " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ";
    const std::string cli = Quoted(std::string(TIDEWELL_BIN_DIR) + "/tidewell-cli");
    const std::string settings = Quoted((root / "project" / "Settings.xml").string());
    const std::string quiet = " >/dev/null 2>&1";
    if (std::system((cli + " new " + Quoted((root / "project").string()) + " --name Start" + quiet).c_str()) != 0 ||
        std::system((cli + " set " + settings +
                     " AppTitle=Start CompanyName=Bench ClientExe=StartClient Frequency=4 AppVersion=1.0"
                     " HTTPLocationXML=http://127.0.0.1:9/UpdateConfig.xml" + quiet).c_str()) != 0 ||
        std::system((cli + " build " + settings + " --client" + quiet).c_str()) != 0) {
      error = "the client could not be built with tidewell-cli";
      return;
    }
    client = root / "project" / "StartClient.exe";
    // One wine server for the whole run (wineboot leaves it running; -p keeps
    // it), started before the first timed start.
    if (std::system((env + "timeout 300 wine wineboot -i" + quiet).c_str()) != 0)
      error = "the wine prefix could not be made";
    std::system((env + "wineserver -p" + quiet).c_str());
  }

  ~Setup() {
    if (!root.empty()) {
      std::system((env + "timeout 60 wineserver -k >/dev/null 2>&1").c_str());
      std::error_code ec;
      fs::remove_all(root, ec);
    }
  }

  // The start count of the client's schedule back to 0.
  void ResetStarts() const {
    std::system((env + "timeout 60 wine reg add 'HKCU\\Software\\Tidewell\\Clients\\Bench\\Start' /v Starts"
                       " /t REG_DWORD /d 0 /f >/dev/null 2>&1").c_str());
  }

  int Start(const fs::path& program) const {
    return std::system((env + "timeout 60 wine " + Quoted(program.string()) + " >/dev/null 2>&1").c_str());
  }
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

void Measure(benchmark::State& state, const fs::path& program) {
  Setup& setup = TheSetup();
  if (!setup.error.empty()) {
    state.SkipWithError(setup.error.c_str());
    return;
  }
  setup.ResetStarts();
  if (setup.Start(program) != 0) {  // a warm cache for both sides
    state.SkipWithError("the program did not exit with 0");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    setup.ResetStarts();
    state.ResumeTiming();
    if (setup.Start(program) != 0) {
      state.SkipWithError("the program did not exit with 0");
      return;
    }
  }
}

void BM_EmptyProgramStart(benchmark::State& state) { Measure(state, TIDEWELL_EMPTY_PROGRAM); }
void BM_ClientStartWithoutCheck(benchmark::State& state) { Measure(state, TheSetup().client); }

BENCHMARK(BM_EmptyProgramStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_ClientStartWithoutCheck)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("client start without a check: empty Win32 program ratio:",
                      "BM_ClientStartWithoutCheck/iterations:10/real_time",
                      "BM_EmptyProgramStart/iterations:10/real_time", 2.0);
  benchmark::Shutdown();
  return 0;
}
