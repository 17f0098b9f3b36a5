#include "WindowsSystem.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "Text.h"
#include "WideText.h"

namespace tidewatch {

namespace {

std::u16string KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::u16string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) folder = FromWide(path);
  CoTaskMemFree(path);
  return folder;
}

std::u16string ModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  while (buffer.size() <= 32768) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return FromWide(std::wstring(buffer.data(), n));
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

}  // namespace

bool WindowsShell::Start(const std::u16string& file, const std::u16string& directory, unsigned waitMs,
                         engine::Failure& failure) {
  const std::wstring wideFile = ToWide(file), wideDirectory = ToWide(directory);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = wideFile.c_str();
  info.lpDirectory = wideDirectory.empty() ? nullptr : wideDirectory.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) {
    failure = {"the shell could not start it", GetLastError()};
    return false;
  }
  if (info.hProcess) {
    if (waitMs > 0) WaitForSingleObject(info.hProcess, waitMs);
    CloseHandle(info.hProcess);
  }
  return true;
}

void WindowsClock::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

std::uint64_t WindowsClock::Milliseconds() { return GetTickCount64(); }

engine::Places ClientOwnPlaces() {
  engine::Places places;
  places.clientPath = ModulePath();
  places.applicationDir = engine::ParentPath(places.clientPath);
  return places;
}

engine::Places ClientPlaces() {
  engine::Places places = ClientOwnPlaces();
  places.programFilesDir = KnownFolder(FOLDERID_ProgramFiles);
  wchar_t buffer[MAX_PATH + 1];
  UINT n = GetSystemDirectoryW(buffer, MAX_PATH + 1);
  if (n > 0 && n <= MAX_PATH) places.systemDir = FromWide(std::wstring(buffer, n));
  n = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (n > 0 && n <= MAX_PATH) places.winDir = FromWide(std::wstring(buffer, n));
  return places;
}

std::u16string LocalAppDataFolder() { return KnownFolder(FOLDERID_LocalAppData); }

}  // namespace tidewatch
