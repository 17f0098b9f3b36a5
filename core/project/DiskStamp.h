#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/WString.h"

namespace tidewell {

// What a project file held when it was loaded or last saved: its size, its
// modification time and a hash of its bytes. Another program's change shows
// as a difference; a file merely touched (same bytes) does not.
struct DiskStamp {
  uint64_t size = 0;
  int64_t modified = 0;  // the file system's time, in its own ticks
  uint64_t hash = 0;

  bool operator==(const DiskStamp&) const = default;
};

// 64-bit FNV-1a of `bytes`.
uint64_t HashBytes(std::string_view bytes);

// The stamp of the file at `path` as it is now; nothing when it cannot be read.
std::optional<DiskStamp> TakeDiskStamp(const WString& path);

// Whether the file at `path` still holds what `known` describes. A size or a
// time that differs is confirmed by the hash, so a file rewritten with the
// same bytes counts as unchanged. A file that no longer exists, or is no
// regular file, counts as unchanged too: writing it loses nothing.
bool SameOnDisk(const WString& path, const DiskStamp& known);

}  // namespace tidewell
