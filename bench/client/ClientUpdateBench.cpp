// The update client, as the tool builds it, updating 1,000 files totalling
// 200 MB from a loopback server under wine, against the floor that does the
// same work the same way under the same wine: a small WinHTTP program
// fetching the files on as many connections as the client keeps, writing
// each beside its target, flushing it and renaming it in (WinHttpFloor.cpp).
// For information also against native curl (one process, one connection)
// followed by a copy beside each target and a rename over it, with and
// without a flush of each copy. Also the client's peak working set (the
// high-water mark of its process's resident memory).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/RatioReporter.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const char* const kClient = "BenchUpdate.exe";
double g_peakMB = -1;  // the client's peak working set over the run

bool OnPath(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Starts argv with the environment plus `extra`; stdout into `out` when given.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& extra,
            const fs::path& out = "/dev/null", int* stdinPipe = nullptr) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (!entry.starts_with("DISPLAY=") && !entry.starts_with("WAYLAND_DISPLAY=")) env.push_back(entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  std::vector<char*> args, vars;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  for (const auto& v : env) vars.push_back(const_cast<char*>(v.c_str()));
  args.push_back(nullptr);
  vars.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int fds[2] = {-1, -1};
  if (stdinPipe != nullptr && pipe(fds) == 0) {
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    *stdinPipe = fds[1];
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), vars.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (fds[0] >= 0) close(fds[0]);
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int Run(const std::vector<std::string>& argv, const std::vector<std::string>& extra = {}) {
  return Wait(Start(argv, extra));
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string WindowsPath(const fs::path& path) {
  std::string text = "Z:" + fs::absolute(path).string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// The served product, the installed version 1, a wine prefix and the
// loopback server, made once for the whole run.
struct Setup {
  fs::path root;
  fs::path prefix;
  std::vector<std::pair<std::string, std::string>> files;  // server path, installed path
  std::string url;
  std::string port;
  pid_t server = -1;
  int serverInput = -1;
  std::string error;

  std::vector<std::string> WineEnv() const {
    return {"WINEPREFIX=" + prefix.string(), "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};
  }

  Setup() {
    if (!OnPath("wine") || !OnPath("curl") || !OnPath("timeout")) {
      error = "wine, curl and timeout are needed";
      return;
    }
    root = fs::temp_directory_path() / ("tidewell-client-bench-" + std::to_string(getpid()));
    prefix = root / "wine";
    fs::create_directories(root / "server");
    server = Start({TIDEWELL_PYTHON3, TIDEWELL_LOOPBACK_SERVER, (root / "server").string()}, {},
                   root / "port.txt", &serverInput);
    for (int i = 0; i < 100 && ReadText(root / "port.txt").find('\n') == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string port = ReadText(root / "port.txt");
    if (port.empty()) {
      error = "the loopback server did not start";
      return;
    }
    this->port = port.substr(0, port.find('\n'));
    url = "http://127.0.0.1:" + this->port + "/";
    if (Run({TIDEWELL_PYTHON3, TIDEWELL_PREPARE_UPDATE, root.string(), url,
             std::string(TIDEWELL_BIN_DIR) + "/tidewell-cli"}) != 0) {
      error = "the product could not be prepared";
      return;
    }
    std::istringstream list(ReadText(root / "files.txt"));
    for (std::string line; std::getline(list, line);)
      files.emplace_back(line.substr(0, line.find('\t')), line.substr(line.find('\t') + 1));
    // The floor's one curl for all files, as one client keeps one connection.
    {
      std::ofstream config(CurlConfig());
      for (const auto& [served, installed] : files)
        config << "url = \"" << url << served << "\"\noutput = \""
               << (FloorDownloads() / installed).string() << "\"\n";
    }
    // Windows is up on a user's machine before an update starts: the
    // emulator's server is started once here and kept, so that no timed run
    // pays for booting it (it stops 3 s after its last process otherwise).
    Run({"timeout", "60", "wineserver", "-p"}, WineEnv());
    if (Run({"timeout", "300", "wine", "wineboot", "-i"}, WineEnv()) != 0) error = "wineboot failed";
  }

  fs::path CurlConfig() const { return root / "curl.cfg"; }
  fs::path FloorDownloads() const { return root / "floor-downloads"; }

  ~Setup() {
    if (serverInput >= 0) close(serverInput);  // the server stops when its input closes
    Wait(server);
    if (!prefix.empty()) Run({"timeout", "60", "wineserver", "-k"}, WineEnv());
    std::error_code ec;
    if (!root.empty()) fs::remove_all(root, ec);
  }

  // Version 1 installed afresh in `target`, its files' times kept (older
  // than the served ones, so the client takes every file), with the client
  // that checks signatures. A client without a key is not measured: it
  // accepts only https://, which the loopback server does not speak.
  void Install(const fs::path& target) const {
    fs::remove_all(target);
    Run({"cp", "-a", (root / "installed-v1").string(), target.string()});
  }
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

// The highest resident-memory mark of the wine process running the client,
// read from /proc while it runs (wine shows the Windows path in its command line).
class PeakMemory {
 public:
  void Start() {
    running_ = true;
    peakKiB_ = 0;
    thread_ = std::thread([this] { Watch(); });
  }
  long StopKiB() {
    running_ = false;
    thread_.join();
    return peakKiB_;
  }

 private:
  static bool IsClient(const fs::path& proc) {
    const std::string comm = ReadText(proc / "comm");
    if (comm.starts_with("timeout")) return false;
    return ReadText(proc / "cmdline").find(kClient) != std::string::npos;
  }
  static long HighWaterKiB(const fs::path& proc) {
    std::istringstream status(ReadText(proc / "status"));
    for (std::string line; std::getline(status, line);)
      if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
    return 0;
  }
  void Watch() {
    std::vector<fs::path> clients;
    while (running_) {
      if (clients.empty()) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator("/proc", ec))
          if (std::isdigit(static_cast<unsigned char>(entry.path().filename().string()[0])) &&
              IsClient(entry.path()))
            clients.push_back(entry.path());
      }
      for (const auto& proc : clients) peakKiB_ = std::max(peakKiB_.load(), HighWaterKiB(proc));
      std::this_thread::sleep_for(std::chrono::milliseconds(clients.empty() ? 5 : 20));
    }
  }
  std::atomic<bool> running_{false};
  std::atomic<long> peakKiB_{0};
  std::thread thread_;
};

// Puts a copy's bytes on the disk before it is renamed over its target, as the
// client must for each file it installs; false when the copy cannot be opened or flushed.
bool FlushToDisk(const fs::path& path) {
  const int fd = open(path.c_str(), O_WRONLY);
  if (fd < 0) return false;
  const bool flushed = fsync(fd) == 0;
  close(fd);
  return flushed;
}

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One run of the floor: curl fetches every file over one connection, then
// each is copied beside its target and renamed over it. `flushed`: each copy
// is flushed before its rename, the durability the client's transaction gives
// and the plain floor does not. Seconds, or a negative value with `error` set.
double FloorSeconds(const Setup& setup, bool flushed, std::string& error) {
  const fs::path target = setup.root / "floor-installed";
  const fs::path downloads = setup.FloorDownloads();
  setup.Install(target);
  fs::remove_all(downloads);
  sync();  // what the last run left unwritten is not this run's work
  const Clock::time_point start = Clock::now();
  if (Run({"curl", "--silent", "--fail", "--create-dirs", "--config", setup.CurlConfig().string()}) != 0) {
    error = "curl failed";
    return -1;
  }
  for (const auto& [served, installed] : setup.files) {
    const fs::path beside = target / (installed + ".new");
    fs::copy_file(downloads / installed, beside, fs::copy_options::overwrite_existing);
    if (flushed && !FlushToDisk(beside)) {
      error = "could not flush " + beside.string();
      return -1;
    }
    fs::rename(beside, target / installed);
  }
  return SecondsSince(start);
}

// Every file of the list has the size it has on the server.
bool AllArrived(const Setup& setup, const fs::path& target, std::string& error) {
  for (const auto& [served, installed] : setup.files) {
    if (fs::file_size(target / installed) != fs::file_size(setup.root / "server" / served)) {
      error = installed + " was left unchanged in " + target.string();
      return false;
    }
  }
  return true;
}

// One run of the WinHTTP floor under the same wine as the client. Seconds,
// or a negative value with `error` set.
double WinHttpFloorSeconds(const Setup& setup, std::string& error) {
  const fs::path target = setup.root / "winhttp-installed";
  setup.Install(target);
  sync();
  const Clock::time_point start = Clock::now();
  const int status = Run({"timeout", "600", "wine", TIDEWELL_WINHTTP_FLOOR, "127.0.0.1", setup.port,
                          WindowsPath(setup.root / "files.txt"), WindowsPath(target)},
                         setup.WineEnv());
  const double seconds = SecondsSince(start);
  if (status != 0) {
    error = "the WinHTTP floor failed with exit status " + std::to_string(status);
    return -1;
  }
  return AllArrived(setup, target, error) ? seconds : -1;
}

// One update by the client from version 1 to the served version 2, with its
// peak working set raised into `peakKiB`. Seconds, or a negative value with
// `error` set when the client failed or left a file unchanged.
double ClientSeconds(const Setup& setup, long& peakKiB, std::string& error) {
  const fs::path target = setup.root / "client-installed";
  setup.Install(target);
  Run({"timeout", "60", "wine", "reg", "delete", "HKCU\\Software\\Tidewell", "/f"}, setup.WineEnv());
  PeakMemory memory;
  sync();
  const Clock::time_point start = Clock::now();
  memory.Start();
  const int status = Run({"timeout", "600", "wine", WindowsPath(target / kClient), "UpdateNow"},
                         setup.WineEnv());
  const double seconds = SecondsSince(start);
  peakKiB = std::max(peakKiB, memory.StopKiB());
  if (status != 0) {
    error = "the client failed with exit status " + std::to_string(status);
    return -1;
  }
  // Every file must have arrived whole, else the time means nothing.
  return AllArrived(setup, target, error) ? seconds : -1;
}

// One round's times, in seconds.
struct Round {
  double floor, flushedFloor, winHttp, withKey;
  double SignedToFloor() const { return withKey / winHttp; }
};

std::vector<Round> g_rounds;  // every round of the run, printed at the end

// The median over the rounds of what `of` takes from each.
template <typename Of>
double Median(const std::vector<Round>& rounds, Of of) {
  std::vector<double> values;
  for (const Round& round : rounds) values.push_back(of(round));
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The floors and the client taken in turns, round after round, so that a
// change in the machine's load or its disk's pace falls on all of them alike;
// each ratio is taken within its round and the median over the rounds kept.
void BM_UpdatesInTurns(benchmark::State& state) {
  const Setup& setup = TheSetup();
  if (!setup.error.empty()) {
    state.SkipWithError(setup.error.c_str());
    return;
  }
  // Five rounds: on a machine whose disk pace changes from minute to minute,
  // three let one slow round decide the median too often.
  constexpr int kRounds = 5;
  std::vector<Round> rounds;
  long peakKiB = 0;
  std::string error;
  for (auto _ : state) {
    for (int n = 0; n < kRounds && error.empty(); ++n) {
      Round round{};
      round.floor = FloorSeconds(setup, false, error);
      if (error.empty()) round.flushedFloor = FloorSeconds(setup, true, error);
      if (error.empty()) round.winHttp = WinHttpFloorSeconds(setup, error);
      if (error.empty()) round.withKey = ClientSeconds(setup, peakKiB, error);
      if (error.empty()) rounds.push_back(round);
    }
  }
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  state.counters["floor_ms"] = Median(rounds, [](const Round& r) { return r.floor * 1000; });
  state.counters["floor_flushed_ms"] = Median(rounds, [](const Round& r) { return r.flushedFloor * 1000; });
  state.counters["winhttp_floor_ms"] = Median(rounds, [](const Round& r) { return r.winHttp * 1000; });
  state.counters["signed_ms"] = Median(rounds, [](const Round& r) { return r.withKey * 1000; });
  state.counters["signed_to_floor"] = Median(rounds, [](const Round& r) { return r.SignedToFloor(); });
  state.counters["signed_to_curl"] = Median(rounds, [](const Round& r) { return r.withKey / r.floor; });
  state.counters["signed_to_flushed_floor"] =
      Median(rounds, [](const Round& r) { return r.withKey / r.flushedFloor; });
  const auto [lowest, highest] = std::minmax_element(
      rounds.begin(), rounds.end(), [](const Round& a, const Round& b) { return a.SignedToFloor() < b.SignedToFloor(); });
  state.counters["signed_to_floor_lowest"] = lowest->SignedToFloor();
  state.counters["signed_to_floor_highest"] = highest->SignedToFloor();
  state.counters["peak_MB"] = static_cast<double>(peakKiB) / 1024.0;
  g_peakMB = static_cast<double>(peakKiB) / 1024.0;
  g_rounds = rounds;
}

BENCHMARK(BM_UpdatesInTurns)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  tidewell::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintCounter("client update, 1,000 files, signed / WinHTTP floor: ratio:",
                        "signed_to_floor", 1.3);
  const auto lowest = reporter.Counter("signed_to_floor_lowest");
  const auto highest = reporter.Counter("signed_to_floor_highest");
  if (lowest && highest)
    std::printf("%-62s %5.2f to %.2f  (how far the rounds spread)\n", "  the lowest and the highest round's ratio:", *lowest,
                *highest);
  reporter.PrintCounter("  the same against native curl, a copy and a rename per file:", "signed_to_curl", 0);
  reporter.PrintCounter("  the same against native curl, the copies flushed:", "signed_to_flushed_floor", 0);
  for (size_t n = 0; n < g_rounds.size(); ++n) {
    const Round& r = g_rounds[n];
    std::printf("  round %zu ratio: %.2f  (client %.1f s, WinHTTP floor %.1f s, curl %.1f s, curl flushed %.1f s)\n",
                n + 1, r.SignedToFloor(), r.withKey, r.winHttp, r.floor, r.flushedFloor);
  }
  if (g_peakMB >= 0)
    std::printf("%-62s %5.1f  (target at most 64)\n", "client peak working set, MB (not a ratio):", g_peakMB);
  benchmark::Shutdown();
  return 0;
}
