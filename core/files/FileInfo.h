#pragma once

#include <cstdint>
#include <optional>

#include "files/FileRecord.h"
#include "text/WString.h"

namespace tidewell {

// What one measurement of a file or zip entry yields. `value` is set only on
// success and only for the time-stamp and version conditions.
struct FileMeasurement {
  WString value;
  int32_t size = 0;
};

// Measures a plain file, or a zip entry when the path ends in ">"
// (archive<entry>). Time-stamp based: the last-write time formatted by
// FormatFileTime; version based: "%d.%d" from the version resource.
// False when the file, entry or version resource cannot be read.
bool ReadFileInfo(const WString& path, WString& value, int32_t& size, UpdateCondition condition,
                  bool display);

// 100-ns units since 1601-01-01 (UTC unless stated otherwise).
using FileTime = uint64_t;

// Display form "5 June 2004, 09:07"; server form: 120 s earlier, as a DOS
// date and time, date * 65536 + time in upper-case hex.
WString FormatFileTime(FileTime time, bool display);

// The four texts of the file information panel for a disk path (empty path:
// four empty texts).
struct FileInfoPanel {
  WString fileName;
  WString version;
  WString modifiedDate;
  WString fileSize;
};
FileInfoPanel DescribeFile(const WString& diskPath);

}  // namespace tidewell
