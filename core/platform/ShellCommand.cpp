#include "platform/ShellCommand.h"

#include <cstdio>

#ifdef _WIN32
#include "text/Text.h"
#else
#include <sys/wait.h>
#endif

namespace tidewell {

namespace {

std::string ReadAll(FILE* pipe) {
  std::string output;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  return output;
}

}  // namespace

#ifdef _WIN32

ShellResult RunShellCommand(const std::string& command) {
  ShellResult result;
  // cmd /c drops the first and the last quote of a line with more than two,
  // which leaves the command and the redirection of its errors.
  const std::wstring line =
      L"\"" + text::ToPath(text::FromUtf8(command)).wstring() + L" 2>&1\"";
  std::fflush(nullptr);
  FILE* pipe = ::_wpopen(line.c_str(), L"rb");
  if (!pipe) return result;
  result.started = true;
  result.output = ReadAll(pipe);
  result.exitCode = ::_pclose(pipe);
  return result;
}

std::string QuoteForShell(const std::filesystem::path& path) {
  // Windows file names hold no double quote.
  return "\"" + text::ToUtf8(text::FromPath(path)) + "\"";
}

#else

ShellResult RunShellCommand(const std::string& command) {
  ShellResult result;
  // A group, so that a command of several parts has all its errors
  // collected; the line break ends a trailing comment of the command.
  const std::string line = "{ " + command + "\n} 2>&1";
  std::fflush(nullptr);
  FILE* pipe = ::popen(line.c_str(), "r");
  if (!pipe) return result;
  result.output = ReadAll(pipe);
  const int status = ::pclose(pipe);
  if (status == -1) return result;
  result.started = true;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

std::string QuoteForShell(const std::filesystem::path& path) {
  std::string quoted = "'";
  for (const char c : path.string()) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

#endif

}  // namespace tidewell
