#include "build/HostProcessStarter.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "text/Text.h"

#ifdef _WIN32
#include <vector>

#include <windows.h>
#include <shellapi.h>

#include "platform/WindowsCommandLine.h"
#else
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tidewell {

namespace fs = std::filesystem;

#ifdef _WIN32

bool HostProcessStarter::Start(const ProcessRequest& request) {
  const std::wstring file = text::ToPath(request.program).wstring();
  std::vector<std::wstring> arguments;
  for (const WString& argument : request.arguments) arguments.push_back(text::ToPath(argument).wstring());
  const std::wstring parameters = JoinWindowsArguments(arguments);
  const std::wstring directory = text::ToPath(request.workingDirectory).wstring();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = SW_SHOW;
  if (!ShellExecuteExW(&info)) return false;
  if (info.hProcess) CloseHandle(info.hProcess);
  return true;
}

std::optional<WString> HostProcessStarter::FindProgram(std::u16string_view name) const {
  const std::wstring wide = text::ToPath(name).wstring();
  // The answer may be longer than MAX_PATH: SearchPathW then asks for more room.
  std::vector<wchar_t> found(MAX_PATH + 1);
  while (true) {
    const DWORD n = SearchPathW(nullptr, wide.c_str(), L".exe", static_cast<DWORD>(found.size()),
                                found.data(), nullptr);
    if (n == 0) return std::nullopt;
    if (n < found.size()) return text::FromPath(fs::path(std::wstring(found.data(), n)));
    found.resize(n + 1);
  }
}

#else

namespace {

bool IsExecutableFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

// The program as it will be executed: a path when the name holds a
// separator, otherwise the first executable of that name on PATH.
std::optional<std::string> ResolveProgram(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos) {
    // Absolute, since the program may start in another folder.
    std::error_code ec;
    const fs::path absolute = fs::absolute(name, ec);
    if (ec || !IsExecutableFile(absolute)) return std::nullopt;
    return absolute.string();
  }
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const fs::path candidate = fs::path(folder) / name;
    if (IsExecutableFile(candidate)) return candidate.string();
    start = end + 1;
  }
  return std::nullopt;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool HostProcessStarter::Start(const ProcessRequest& request) {
  const auto program = ResolveProgram(text::ToUtf8(request.program));
  if (!program) return false;
  std::vector<std::string> arguments{*program};
  for (const WString& argument : request.arguments) arguments.push_back(text::ToUtf8(argument));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const std::string directory = text::ToUtf8(request.workingDirectory);

  // The grandchild runs the program, so the tool never has to collect it;
  // it reports a failed exec through a pipe that a successful exec closes.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
    int error = 0;
    if (!directory.empty() && ::chdir(directory.c_str()) != 0) {
      error = errno;
    } else {
      ::execv(argv[0], argv.data());
      error = errno;
    }
    WriteAll(report[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got = 0;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  const bool forked = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return forked && got == 0;
}

std::optional<WString> HostProcessStarter::FindProgram(std::u16string_view name) const {
  const auto found = ResolveProgram(text::ToUtf8(name));
  if (!found) return std::nullopt;
  return text::FromUtf8(*found);
}

#endif

}  // namespace tidewell
