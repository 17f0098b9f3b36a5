#pragma once

#ifdef _WIN32

#include <filesystem>
#include <string>
#include <vector>

namespace tidewell::testing {

// Exit code answered when the program ran past its time limit and was ended.
constexpr int kWindowsProcessTimedOut = 124;

// Runs `program` with UTF-8 `arguments` through CreateProcessW, standard
// input empty and standard output and error in the given files, and waits at
// most `timeoutSeconds`. Answers the exit code, -1 when it could not start.
int RunWindowsProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& workingDirectory, const std::filesystem::path& out,
                      const std::filesystem::path& err, int timeoutSeconds);

}  // namespace tidewell::testing

#endif
