#include "ClientEnvironment.h"

#include <windows.h>

#include <vector>

#include "WideText.h"
#include "WindowsVersionName.h"
#include "text/Unicode.h"

namespace tidewatch {

namespace {

// A server update file lists files and registry operations; far below this.
constexpr LONGLONG kMaxUpdateFileSize = 256LL * 1024 * 1024;

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart <= kMaxUpdateFileSize) {
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    DWORD got = 0;
    while (done < data.size() &&
           ReadFile(file, data.data() + done, static_cast<DWORD>(data.size() - done), &got, nullptr) && got > 0)
      done += got;
    if (done == data.size()) bytes = std::move(data);
  }
  CloseHandle(file);
  return bytes;
}

std::wstring OwnFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  while (true) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const size_t cut = path.find_last_of(L"\\/");
      return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool IsAbsolute(std::wstring_view path) {
  if (!path.empty() && (path[0] == L'\\' || path[0] == L'/')) return true;
  return path.size() >= 2 && path[1] == L':';
}

}  // namespace

std::u16string LoginName() {
  wchar_t name[257] = {};
  DWORD size = 257;
  if (!GetUserNameW(name, &size)) return {};
  return FromWide(name);
}

std::u16string PlatformDescription() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  // RtlGetVersion reports the real version; GetVersionExW answers what the
  // program's manifest declares.
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const FARPROC proc = ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  if (proc == nullptr) return u"Windows";
  const auto getVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(proc));
  if (getVersion(&info) != 0) return u"Windows";
  return DescribeWindowsVersion(
      {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.wProductType != VER_NT_WORKSTATION});
}

std::optional<std::u16string> ReadUpdateFile(std::u16string_view name) {
  const std::wstring given = ToWide(name);
  if (given.empty()) return std::nullopt;
  std::optional<std::string> bytes;
  if (!IsAbsolute(given)) {
    const std::wstring folder = OwnFolder();
    if (!folder.empty()) bytes = ReadWholeFile(folder + L"\\" + given);
  }
  if (!bytes) bytes = ReadWholeFile(given);
  if (!bytes) return std::nullopt;
  return tidewell::text::DecodeFileText(*bytes);
}

}  // namespace tidewatch
