#include "stub/WineRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern char** environ;

namespace tidewell::testing {

namespace {

namespace fs = std::filesystem;

bool OnPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string_view rest = path;
  while (true) {
    const size_t colon = rest.find(':');
    const fs::path dir = std::string(rest.substr(0, colon));
    if (!dir.empty() && access((dir / program).c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

// The test's environment without a display and with wine's settings.
std::vector<std::string> WineEnvironment(const fs::path& prefix) {
  static constexpr std::string_view kDropped[] = {"DISPLAY=", "WAYLAND_DISPLAY=", "WINEPREFIX=", "WINEDEBUG=",
                                                  "WINEDLLOVERRIDES="};
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry = *e;
    bool keep = true;
    for (const auto dropped : kDropped) keep = keep && !entry.starts_with(dropped);
    if (keep) env.emplace_back(entry);
  }
  env.push_back("WINEPREFIX=" + prefix.string());
  env.push_back("WINEDEBUG=-all");
  // No Mono or Gecko installer dialogs while the prefix is created.
  env.push_back("WINEDLLOVERRIDES=mscoree,mshtml=");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Starts `argv` with its output in files; answers the exit status, -1 when it
// could not be started.
int Spawn(std::vector<std::string> argv, std::vector<std::string> env, const fs::path& workingDirectory,
          const fs::path& out, const fs::path& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
  std::vector<char*> args = Pointers(argv);
  std::vector<char*> vars = Pointers(env);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), vars.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

bool WineRunner::Available() { return OnPath("wine") && OnPath("timeout"); }

WineRunner::WineRunner() : prefix_(dir_.Path() / "prefix") {}

WineRunner::~WineRunner() {
  if (runs_ == 0) return;
  Spawn({"timeout", "60", "wineserver", "-k"}, WineEnvironment(prefix_), {}, dir_ / "wineserver.out",
        dir_ / "wineserver.err");
}

WineRun WineRunner::Run(const fs::path& program, const std::vector<std::string>& arguments,
                        const fs::path& workingDirectory, int timeoutSeconds) {
  ++runs_;
  const fs::path out = dir_ / ("run" + std::to_string(runs_) + ".out");
  const fs::path err = dir_ / ("run" + std::to_string(runs_) + ".err");
  std::vector<std::string> argv = {"timeout", "--kill-after=10", std::to_string(timeoutSeconds), "wine",
                                   program.string()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const int status = Spawn(argv, WineEnvironment(prefix_), workingDirectory, out, err);
  WineRun run;
  run.started = status >= 0;
  run.exitStatus = status;
  run.timedOut = status == 124 || status == 128 + 9;  // timeout's own answers
  run.out = ReadBytes(out);
  run.err = ReadBytes(err);
  return run;
}

}  // namespace tidewell::testing
