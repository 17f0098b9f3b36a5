#include "UpdateLogFile.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <vector>

#include "Text.h"
#include "WideText.h"
#include "WindowsSystem.h"

namespace tidewatch {

namespace {

constexpr LONGLONG kMaxLogSize = 1024 * 1024;

// A name as a folder name: characters Windows does not allow become '_'.
std::u16string FolderName(std::u16string name) {
  for (auto& c : name)
    if (c < 32 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) c = u'_';
  while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
  return name.empty() ? u"_" : name;
}

// Keeps the newer half of a log that grew too long, from a line start on.
void Shorten(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > kMaxLogSize) {
    std::vector<char> data(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &got, nullptr) && got == data.size()) {
      size_t from = data.size() / 2;
      while (from < data.size() && data[from - 1] != '\n') ++from;
      SetFilePointer(file, 0, nullptr, FILE_BEGIN);
      DWORD written = 0;
      WriteFile(file, data.data() + from, static_cast<DWORD>(data.size() - from), &written, nullptr);
      SetEndOfFile(file);
    }
  }
  CloseHandle(file);
}

}  // namespace

UpdateLogFile::UpdateLogFile(const std::u16string& company, const std::u16string& title) {
  std::u16string folder = LocalAppDataFolder();
  if (folder.empty()) return;
  for (const std::u16string& part : {std::u16string(u"Tidewell"), FolderName(company), FolderName(title)}) {
    folder = engine::JoinPath(folder, part);
    CreateDirectoryW(ToWide(folder).c_str(), nullptr);
  }
  path_ = engine::JoinPath(folder, u"update.log");
  Shorten(ToWide(path_));
}

void UpdateLogFile::Line(std::string_view text) {
  if (path_.empty()) return;
  std::lock_guard<WindowsLock> held(lock_);  // lines in the order of their times
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond, now.wMilliseconds);
  std::string line = stamp;
  line.append(text);
  line += "\r\n";
  if (!file_) {
    HANDLE file = CreateFileW(ToWide(path_).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    file_ = file;
  }
  DWORD written = 0;
  WriteFile(static_cast<HANDLE>(file_), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

UpdateLogFile::~UpdateLogFile() {
  if (file_) CloseHandle(static_cast<HANDLE>(file_));
}

}  // namespace tidewatch
