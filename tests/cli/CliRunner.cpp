#include "cli/CliRunner.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "support/TempDir.h"

namespace tidewell::testing {

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

}  // namespace tidewell::testing
