#include "files/FileStatus.h"

#include <system_error>

#include "text/Text.h"

#if TIDEWELL_POSIX_FILE_STATUS
#include <sys/stat.h>
#elif defined(_WIN32)
#include <windows.h>

#include "platform/WindowsPath.h"
#endif

namespace tidewell {

#if TIDEWELL_POSIX_FILE_STATUS
namespace {

std::optional<FileStatus> StatusOf(const struct stat& st) {
  if (!S_ISREG(st.st_mode)) return std::nullopt;
  const auto& modified = st.st_mtim;
  const auto& changed = st.st_ctim;
  FileStatus status;
  status.size = static_cast<uint64_t>(st.st_size);
  status.lastWrite =
      FileTimeFromUnix(static_cast<int64_t>(modified.tv_sec), static_cast<uint32_t>(modified.tv_nsec));
  status.device = static_cast<uint64_t>(st.st_dev);
  status.fileNumber = static_cast<uint64_t>(st.st_ino);
  status.changeSeconds = static_cast<int64_t>(changed.tv_sec);
  status.changeNanoseconds = static_cast<int64_t>(changed.tv_nsec);
  return status;
}

}  // namespace

std::optional<FileStatus> ReadOpenFileStatus(int descriptor) {
  struct stat st {};
  if (::fstat(descriptor, &st) != 0) return std::nullopt;
  return StatusOf(st);
}
#endif

std::optional<FileStatus> ReadFileStatus(const WString& path) {
  if (path.empty()) return std::nullopt;
#if TIDEWELL_POSIX_FILE_STATUS
  // One stat call gives everything; std::filesystem would take one per field
  // (and building a path object splits it into components first).
  // The native form is built in a buffer kept per thread: measuring a large
  // tree states thousands of files.
  thread_local std::string native;
  text::AssignToUtf8(native, path);
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0) return std::nullopt;
  return StatusOf(st);
#else
#ifdef _WIN32
  // The file system's own 100-ns write time and 64-bit size, as a directory
  // listing shows them (the C library's stat keeps whole seconds only).
  // Symbolic links and other reparse points are followed below instead.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const std::wstring wide = ExtendedLengthPath(text::ToPath(path).wstring());
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return std::nullopt;
    FileStatus status;
    status.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const FileTime written = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime;
    if (written <= kMaxFileTime) status.lastWrite = written;
    return status;
  }
#endif
  const std::filesystem::path native = text::ToPath(path);
  std::error_code ec;
  const std::filesystem::directory_entry entry(native, ec);
  if (ec || !entry.is_regular_file(ec) || ec) return std::nullopt;
  FileStatus status;
  status.size = entry.file_size(ec);
  if (ec) return std::nullopt;
  const auto written = entry.last_write_time(ec);
  if (ec) return std::nullopt;
  status.lastWrite = FileTimeFromFilesystem(written);
  return status;
#endif
}

}  // namespace tidewell
