#pragma once

#include <filesystem>
#include <string>

namespace tidewell {

// How a command given to the system's shell ended.
struct ShellResult {
  bool started = false;  // false: the shell itself could not be run
  int exitCode = -1;     // the command's exit status; -1 when it was killed
  std::string output;    // what it wrote to stdout and stderr, interleaved
};

// Runs `command` through the system's shell (sh -c; cmd /c on Windows) and
// waits for it, with its output collected. Nothing of it is interpreted here.
ShellResult RunShellCommand(const std::string& command);

// `path` as one word of a command line for that shell: single quotes for
// sh (an inner quote written '\''), double quotes for cmd.
std::string QuoteForShell(const std::filesystem::path& path);

}  // namespace tidewell
