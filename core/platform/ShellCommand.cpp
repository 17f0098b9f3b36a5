#include "platform/ShellCommand.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>

#include "text/Text.h"
#else
#include <sys/wait.h>
#endif

namespace tidewell {

#ifdef _WIN32

ShellResult RunShellCommand(const std::string& command) {
  ShellResult result;
  // One pipe takes both stdout and stderr, so their lines stay in order.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  // /s: cmd takes everything between the first and the last quote as the
  // command, quotes inside it included.
  std::wstring line = L"cmd.exe /d /s /c \"" + text::ToPath(text::FromUtf8(command)).wstring() + L"\"";
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return result;
  }
  result.started = true;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) result.output.append(buffer, n);
  CloseHandle(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

std::string QuoteForShell(const std::filesystem::path& path) {
  // Windows file names hold no double quote.
  return "\"" + text::ToUtf8(text::FromPath(path)) + "\"";
}

#else

namespace {

std::string ReadAll(FILE* pipe) {
  std::string output;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  return output;
}

}  // namespace

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
