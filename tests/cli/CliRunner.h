#pragma once

#include <string>
#include <vector>

namespace tidewell::testing {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the built tidewell-cli with the given arguments and captures its output.
CliResult RunCli(const std::vector<std::string>& arguments);

}  // namespace tidewell::testing
