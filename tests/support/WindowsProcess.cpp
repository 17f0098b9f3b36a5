#include "support/WindowsProcess.h"

#ifdef _WIN32

#include <windows.h>

#include "platform/WindowsCommandLine.h"
#include "text/Text.h"

namespace tidewell::testing {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE && h_ != nullptr) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

 private:
  HANDLE h_;
};

HANDLE Inheritable(const std::filesystem::path& file, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

int RunWindowsProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& workingDirectory, const std::filesystem::path& out,
                      const std::filesystem::path& err, int timeoutSeconds) {
  std::vector<std::wstring> words{program.wstring()};
  for (const std::string& argument : arguments) words.push_back(text::ToPath(text::FromUtf8(argument)).wstring());
  std::wstring commandLine = JoinWindowsArguments(words);

  Handle input(Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING));
  Handle output(Inheritable(out, GENERIC_WRITE, CREATE_ALWAYS));
  Handle error(Inheritable(err, GENERIC_WRITE, CREATE_ALWAYS));
  if (!input.valid() || !output.valid() || !error.valid()) return -1;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = error.get();
  PROCESS_INFORMATION process{};
  const std::wstring directory = workingDirectory.wstring();
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &process))
    return -1;
  Handle processHandle(process.hProcess);
  Handle threadHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutSeconds) * 1000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, kWindowsProcessTimedOut);
    WaitForSingleObject(process.hProcess, 10000);
    return kWindowsProcessTimedOut;
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(process.hProcess, &code)) return -1;
  return static_cast<int>(code);
}

}  // namespace tidewell::testing

#endif
