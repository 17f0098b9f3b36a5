#include "cli/CliRunner.h"

#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include "support/WindowsProcess.h"
#else
#include <sys/wait.h>
#endif

#include "support/TempDir.h"

namespace tidewell::testing {

#ifndef _WIN32

namespace {

std::string Quote(const std::string& argument) {
  std::string quoted = "'";
  for (const char c : argument) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

}  // namespace

#endif

#ifdef _WIN32

CliResult RunCli(const std::vector<std::string>& arguments) {
  TempDir scratch;
  CliResult result;
  result.exitCode = RunWindowsProcess(std::filesystem::path(TIDEWELL_BIN_DIR) / "tidewell-cli.exe", arguments,
                                      {}, scratch / "out", scratch / "err", 300);
  result.out = ReadBytes(scratch / "out");
  result.err = ReadBytes(scratch / "err");
  return result;
}

#else

CliResult RunCli(const std::vector<std::string>& arguments) {
  TempDir scratch;
  std::string command = Quote(std::string(TIDEWELL_BIN_DIR) + "/tidewell-cli");
  for (const auto& a : arguments) command += " " + Quote(a);
  const auto out = scratch / "out";
  const auto err = scratch / "err";
  command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
  CliResult result;
  const int status = std::system(command.c_str());
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadBytes(out);
  result.err = ReadBytes(err);
  return result;
}

#endif

}  // namespace tidewell::testing
