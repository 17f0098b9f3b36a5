#include "WindowsFiles.h"

#include <windows.h>

#include <vector>

#include "Text.h"
#include "WideText.h"

namespace tidewatch {

namespace {

using engine::Failure;

Failure SystemFailure(const char* what, const std::u16string& path, DWORD code = GetLastError()) {
  return {std::string(what) + " " + engine::ToUtf8(path), code};
}

WIN32_FILE_ATTRIBUTE_DATA* Attributes(const std::u16string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data) ? &data : nullptr;
}

class Writer : public engine::FileWriter {
 public:
  Writer(HANDLE file, std::u16string path, WindowsFiles& owner) : file_(file), path_(std::move(path)), owner_(owner) {}
  ~Writer() override { CloseHandle(file_); }

  bool Write(const std::uint8_t* data, std::size_t size, Failure& failure) override {
    while (size > 0) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
      if (!owner_.Allow(chunk)) {
        failure = SystemFailure("could not write", path_, ERROR_DISK_FULL);
        return false;
      }
      DWORD done = 0;
      if (!WriteFile(file_, data, chunk, &done, nullptr)) {
        failure = SystemFailure("could not write", path_);
        return false;
      }
      // A full disk first shows as a short write that reports success.
      if (done == 0) {
        failure = SystemFailure("could not write", path_, ERROR_DISK_FULL);
        return false;
      }
      data += done;
      size -= done;
    }
    return true;
  }

  bool Flush(Failure& failure) override {
    if (FlushFileBuffers(file_)) return true;
    failure = SystemFailure("could not flush", path_);
    return false;
  }

 private:
  HANDLE file_;
  std::u16string path_;
  WindowsFiles& owner_;
};

class Reader : public engine::FileReader {
 public:
  Reader(HANDLE file, std::u16string path) : file_(file), path_(std::move(path)) {}
  ~Reader() override { CloseHandle(file_); }

  bool Read(std::uint8_t* data, std::size_t size, std::size_t& got, Failure& failure) override {
    DWORD done = 0;
    if (!ReadFile(file_, data, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &done, nullptr)) {
      failure = SystemFailure("could not read", path_);
      return false;
    }
    got = done;
    return true;
  }

  bool Seek(std::uint64_t offset, Failure& failure) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return true;
    failure = SystemFailure("could not read", path_);
    return false;
  }

  std::uint64_t Size() override {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file_, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
  }

 private:
  HANDLE file_;
  std::u16string path_;
};

}  // namespace

bool WindowsFiles::Allow(std::uint64_t bytes) {
  if (diskFullAfter_ == 0) return true;
  std::uint64_t before = written_.load();
  do {
    if (before + bytes > diskFullAfter_) return false;
  } while (!written_.compare_exchange_weak(before, before + bytes));
  return true;
}

bool WindowsFiles::FileExists(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return Attributes(path, data) && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WindowsFiles::FolderExists(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return Attributes(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::uint64_t> WindowsFiles::FileSize(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Attributes(path, data)) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::uint64_t> WindowsFiles::LastWriteTime(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Attributes(path, data)) return std::nullopt;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

std::optional<engine::FileVersion> WindowsFiles::Version(const std::u16string& path) {
  const std::wstring wide = ToWide(path);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<std::uint8_t> block(size);
  if (!GetFileVersionInfoW(wide.c_str(), 0, size, block.data())) return std::nullopt;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  return engine::FileVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS)};
}

bool WindowsFiles::MakeFolder(const std::u16string& path, Failure& failure) {
  if (CreateDirectoryW(ToWide(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
  failure = SystemFailure("could not make the folder", path);
  return false;
}

void WindowsFiles::Hide(const std::u16string& path) {
  const std::wstring wide = ToWide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(wide.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

bool WindowsFiles::RemoveEmptyFolder(const std::u16string& path) { return RemoveDirectoryW(ToWide(path).c_str()); }

std::unique_ptr<engine::FileWriter> WindowsFiles::OpenWrite(const std::u16string& path, bool append,
                                                            Failure& failure) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    failure = SystemFailure("could not create", path);
    return nullptr;
  }
  if (append) SetFilePointer(file, 0, nullptr, FILE_END);
  return std::make_unique<Writer>(file, path, *this);
}

std::unique_ptr<engine::FileReader> WindowsFiles::OpenRead(const std::u16string& path, Failure& failure) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    failure = SystemFailure("could not open", path);
    return nullptr;
  }
  return std::make_unique<Reader>(file, path);
}

namespace {

bool Rename(const std::u16string& from, const std::u16string& to, DWORD flags, Failure& failure) {
  if (MoveFileExW(ToWide(from).c_str(), ToWide(to).c_str(), flags | MOVEFILE_WRITE_THROUGH)) return true;
  const DWORD code = GetLastError();
  failure = {"could not move " + engine::ToUtf8(from) + " to " + engine::ToUtf8(to), code};
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) failure.what += ": the file is in use";
  return false;
}

}  // namespace

bool WindowsFiles::Move(const std::u16string& from, const std::u16string& to, Failure& failure) {
  // Another volume (<SystemDir> on another drive) is reached by a copy.
  return Rename(from, to, MOVEFILE_COPY_ALLOWED, failure);
}

bool WindowsFiles::MoveOver(const std::u16string& from, const std::u16string& to, Failure& failure) {
  return Rename(from, to, MOVEFILE_REPLACE_EXISTING, failure);
}

bool WindowsFiles::Link(const std::u16string& existing, const std::u16string& link, Failure& failure) {
  if (CreateHardLinkW(ToWide(link).c_str(), ToWide(existing).c_str(), nullptr)) return true;
  failure = SystemFailure("could not link", link);
  return false;
}

bool WindowsFiles::RemoveFile(const std::u16string& path, Failure& failure) {
  if (DeleteFileW(ToWide(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
  failure = SystemFailure("could not delete", path);
  return false;
}

void WindowsFiles::RemoveTree(const std::u16string& path) {
  // A junction or symbolic link is removed itself, never followed: the work
  // folder, or a folder in it, made a link to another place would otherwise
  // empty that place.
  const DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    if (!RemoveDirectoryW(ToWide(path).c_str())) DeleteFileW(ToWide(path).c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(ToWide(engine::JoinPath(path, u"*")).c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::u16string name = FromWide(found.cFileName);
      if (name == u"." || name == u"..") continue;
      const std::u16string child = engine::JoinPath(path, name);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveDirectoryW(ToWide(child).c_str());
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        // A read-only file refuses deletion until its attribute is cleared;
        // the others are deleted at once (each call costs a round trip under wine).
        const std::wstring wide = ToWide(child);
        if (!DeleteFileW(wide.c_str()) && GetLastError() == ERROR_ACCESS_DENIED) {
          SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(wide.c_str());
        }
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(ToWide(path).c_str());
}

bool WindowsFiles::InUse(const std::u16string& path) {
  HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(file);
  return false;
}

}  // namespace tidewatch
