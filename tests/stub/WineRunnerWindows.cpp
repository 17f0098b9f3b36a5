// The Windows build's runner: the tests already run on Windows (or inside
// wine), so a Windows program is started directly through CreateProcessW.
#include "stub/WineRunner.h"

#include "support/WindowsProcess.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

bool WineRunner::Available() { return true; }

WineRunner::WineRunner() : prefix_(dir_.Path()) {}

WineRunner::~WineRunner() = default;

WineRun WineRunner::Run(const fs::path& program, const std::vector<std::string>& arguments,
                        const fs::path& workingDirectory, int timeoutSeconds) {
  ++runs_;
  const fs::path out = dir_ / ("run" + std::to_string(runs_) + ".out");
  const fs::path err = dir_ / ("run" + std::to_string(runs_) + ".err");
  const int status = RunWindowsProcess(program, arguments, workingDirectory, out, err, timeoutSeconds);
  WineRun run;
  run.started = status >= 0 || status == kWindowsProcessTimedOut;
  run.exitStatus = status;
  run.timedOut = status == kWindowsProcessTimedOut;
  run.out = ReadBytes(out);
  run.err = ReadBytes(err);
  return run;
}

}  // namespace tidewell::testing
