#include "build/ToolFolder.h"

#include <filesystem>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "text/Text.h"

namespace tidewell {

WString RunningToolFolder() {
#ifdef _WIN32
  std::vector<wchar_t> buffer(MAX_PATH);
  while (buffer.size() <= 32768) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      const std::filesystem::path exe(std::wstring(buffer.data(), n));
      return text::FromPath(exe.parent_path());
    }
    buffer.resize(buffer.size() * 2);
  }
  return {};
#else
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return text::FromPath(exe.parent_path());
#endif
}

WString StubPath(const WString& toolFolder) {
  return text::JoinHostPath(toolFolder, u"Tidewatch.exe");
}

WString ProductUpdaterPath(const WString& toolFolder) {
  return text::JoinHostPath(toolFolder, u"Tidewellpro.exe");
}

WString MainPictureFolder(const WString& toolFolder) {
  return text::JoinHostPath(text::JoinHostPath(toolFolder, u"Graphics"), u"Main Picture");
}

WString TopPictureFolder(const WString& toolFolder) {
  return text::JoinHostPath(text::JoinHostPath(toolFolder, u"Graphics"), u"Top Picture");
}

}  // namespace tidewell
