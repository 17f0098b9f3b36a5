#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace tidewell::testing {

// What a Windows program run under wine left behind.
struct WineRun {
  bool started = false;   // wine could be started at all
  bool timedOut = false;  // stopped at the time limit
  int exitStatus = -1;    // wine's exit status: not a verdict on the program
  std::string out;        // the program's standard output, as it wrote it
  std::string err;        // the program's and wine's standard error
};

// Runs Windows programs under wine for tests, the same way every time: no
// display (DISPLAY and WAYLAND_DISPLAY unset), WINEDEBUG=-all, a private
// temporary prefix (the first run creates it, about 8 seconds), inside
// `timeout`. Judge a run by its output, not by wine's exit status.
//
//   if (!WineRunner::Available()) GTEST_SKIP() << "wine is not installed";
//   WineRunner wine;
//   const WineRun run = wine.Run(exe, {"--dump"});
//   EXPECT_EQ(run.out, expected);
class WineRunner {
 public:
  // Whether `wine` and `timeout` are on PATH.
  static bool Available();

  WineRunner();
  // Stops the prefix's wineserver (wineserver -k) and removes the prefix.
  ~WineRunner();
  WineRunner(const WineRunner&) = delete;
  WineRunner& operator=(const WineRunner&) = delete;

  // Runs `program` (a host path) with `arguments`, which wine joins into the
  // Windows command line (quoting those with blanks), in `workingDirectory`
  // (the current one when empty), and waits at most `timeoutSeconds`.
  WineRun Run(const std::filesystem::path& program, const std::vector<std::string>& arguments = {},
              const std::filesystem::path& workingDirectory = {}, int timeoutSeconds = 120);

  const std::filesystem::path& Prefix() const { return prefix_; }

 private:
  TempDir dir_;
  std::filesystem::path prefix_;
  int runs_ = 0;
};

}  // namespace tidewell::testing
