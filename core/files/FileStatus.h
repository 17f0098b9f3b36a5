#pragma once

#include <cstdint>
#include <optional>

#include "files/FileTime.h"
#include "text/WString.h"

// Hosts whose stat() gives the times to the nanosecond under their POSIX
// names (st_mtim, st_ctim): one call tells everything. Elsewhere the status
// comes through std::filesystem.
#if defined(__unix__)
#define TIDEWELL_POSIX_FILE_STATUS 1
#else
#define TIDEWELL_POSIX_FILE_STATUS 0
#endif

namespace tidewell {

// What one look-up of a regular file on disk tells: its size, its last-write
// time and what identifies this version of the file.
struct FileStatus {
  uint64_t size = 0;
  // UTC; empty when the file system reports a time before 1601.
  std::optional<FileTime> lastWrite;
  // Device, file number and status-change time where the platform has them
  // (zero elsewhere): with size and last-write time they tell a rewritten
  // file from the one seen before.
  uint64_t device = 0;
  uint64_t fileNumber = 0;
  int64_t changeSeconds = 0;
  int64_t changeNanoseconds = 0;

  bool SameVersionAs(const FileStatus& other) const {
    return size == other.size && lastWrite == other.lastWrite && device == other.device &&
           fileNumber == other.fileNumber && changeSeconds == other.changeSeconds &&
           changeNanoseconds == other.changeNanoseconds;
  }
};

// One look-up of the host path, following symbolic links. nullopt when
// nothing is there or it is not a regular file (a folder, a device, a pipe).
// No wildcard is interpreted.
std::optional<FileStatus> ReadFileStatus(const WString& path);

#if TIDEWELL_POSIX_FILE_STATUS
// The same for a file already opened, without looking its path up again.
std::optional<FileStatus> ReadOpenFileStatus(int descriptor);
#endif

}  // namespace tidewell
