#pragma once

#include <cstdint>
#include <optional>

#include "files/FileRecord.h"
#include "files/FileTime.h"
#include "text/WString.h"

namespace tidewell {

// What one measurement of a file or zip entry yields: `value` is the version
// or time-stamp text (empty for the unconditional case), `size` the full
// byte count (a zip entry's uncompressed size).
struct FileMeasurement {
  WString value;
  uint64_t size = 0;
};

// Measures the file at a host path, or a zip entry when the path ends in ">":
// the archive's path comes before the first "<", the entry's name between it
// and the final ">" (a client-form name; backslashes and slashes both find
// entries in sub-folders). The archive may lie in any folder.
// - time-stamp based: the last-write time (UTC) formatted by FormatFileTime;
//   for an entry, its DOS time stamp taken as local time and turned into UTC.
// - version based: "%d.%d" of the major and minor file version of the
//   version resource; zip entries have none and fail.
// - unconditional: the file or entry exists and is readable.
// nullopt when the file, archive, entry or version resource cannot be read,
// or the time stamp has no form of the kind asked for.
std::optional<FileMeasurement> MeasureFile(const WString& path, UpdateCondition condition,
                                           bool display);

// MeasureFile in the form the tree writer uses. `value` is written only on
// success and only for the time-stamp and version conditions; `size` is the
// low 32 bits of the byte count, written on every success.
bool ReadFileInfo(const WString& path, WString& value, int32_t& size, UpdateCondition condition,
                  bool display);

// While one lives on a thread, the archive whose entries that thread measures
// is stated once for a run of its entries rather than once per entry: one
// write of the server file measures every entry against the same archive.
class ArchiveStatusScope {
 public:
  ArchiveStatusScope();
  ~ArchiveStatusScope();
  ArchiveStatusScope(const ArchiveStatusScope&) = delete;
  ArchiveStatusScope& operator=(const ArchiveStatusScope&) = delete;

 private:
  bool outer_;
};

// The four texts of the file information panel for a disk path (empty path:
// four empty texts).
// The panel's labels, each followed by its text.
inline const WString kFileNameLabel = u"FileName:";
inline const WString kVersionLabel = u"Version:";
inline const WString kModifiedDateLabel = u"Modified Date:";
inline const WString kFileSizeLabel = u"File Size:";

struct FileInfoPanel {
  WString fileName;
  WString version;
  WString modifiedDate;
  WString fileSize;
};
FileInfoPanel DescribeFile(const WString& diskPath);

// A byte count as the panel shows it: up to 1000 in bytes ("1000 Bytes"),
// above in whole kilobytes of 1024 bytes ("2 KB").
WString FormatFileSize(uint64_t size);

}  // namespace tidewell
