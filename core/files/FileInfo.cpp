#include "files/FileInfo.h"

#include "files/FileStatus.h"
#include "files/ZipDirectory.h"
#include "pe/PeVersion.h"
#include "text/Text.h"

#if TIDEWELL_POSIX_FILE_STATUS
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tidewell {

namespace {

bool NamesZipEntry(const WString& path) { return !path.empty() && path.back() == u'>'; }

// The archive last stated on this thread inside an ArchiveStatusScope.
struct StatedArchive {
  bool active = false;
  bool filled = false;
  WString path;
  std::optional<FileStatus> status;
};
thread_local StatedArchive t_statedArchive;

std::optional<FileStatus> ArchiveStatus(const WString& path) {
  StatedArchive& stated = t_statedArchive;
  if (!stated.active) return ReadFileStatus(path);
  if (!stated.filled || stated.path != path) {
    stated.status = ReadFileStatus(path);
    stated.path = path;
    stated.filled = true;
  }
  return stated.status;
}

std::optional<FileMeasurement> MeasureZipEntry(const WString& path, UpdateCondition condition,
                                               bool display) {
  const size_t open = path.find(u'<');
  if (open == WString::npos) return std::nullopt;
  const WString archivePath = path.substr(0, open);
  const std::u16string_view entryName =
      std::u16string_view(path).substr(open + 1, path.size() - open - 2);
  // Entries carry no version information.
  if (condition == UpdateCondition::VersionBased) return std::nullopt;

  const auto status = ArchiveStatus(archivePath);
  const auto directory = status ? ZipDirectory::Load(archivePath, *status) : nullptr;
  const ZipEntry* entry = directory ? directory->Find(entryName, true) : nullptr;
  if (!entry) return std::nullopt;
  FileMeasurement measured;
  measured.size = entry->uncompressedSize;
  if (condition == UpdateCondition::Unconditional) return measured;
  // Zip time stamps are the wall-clock time of the machine that made the archive.
  const auto dos = DosDateTime::FromPacked(entry->dosDateTime);
  const auto local = DosDateTimeToFileTime(dos.date, dos.time);
  const auto utc = local ? LocalFileTimeToFileTime(*local) : std::nullopt;
  if (!utc) return std::nullopt;
  measured.value = FormatFileTime(*utc, display);
  if (measured.value.empty()) return std::nullopt;
  return measured;
}

// The version as the server file states it: major and minor of the file version.
WString MajorDotMinor(const pe::FixedFileInfo& version) {
  return text::FormatDecimal(version.fileVersionMS >> 16) + u"." +
         text::FormatDecimal(version.fileVersionMS & 0xFFFF);
}

#if TIDEWELL_POSIX_FILE_STATUS
// An executable measured by version: opened once, then stated and read
// through the descriptor, so its path is looked up only once. Opened without
// blocking, so a pipe standing where the file should be does not hang the
// measurement; it is refused as not a regular file.
std::optional<FileMeasurement> MeasureVersionOfPlainFile(const WString& path) {
  const std::string native = text::ToUtf8(path);
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<FileMeasurement> measured;
  if (const auto status = ReadOpenFileStatus(fd)) {
    if (const auto version = pe::ReadFixedFileInfo(fd, status->size, native))
      measured = FileMeasurement{MajorDotMinor(*version), status->size};
  }
  ::close(fd);
  return measured;
}
#endif

std::optional<FileMeasurement> MeasurePlainFile(const WString& path, UpdateCondition condition,
                                                bool display) {
#if TIDEWELL_POSIX_FILE_STATUS
  if (condition == UpdateCondition::VersionBased) return MeasureVersionOfPlainFile(path);
#endif
  const auto status = ReadFileStatus(path);
  if (!status) return std::nullopt;
  FileMeasurement measured;
  measured.size = status->size;
  switch (condition) {
    case UpdateCondition::TimeStampBased:
      if (!status->lastWrite) return std::nullopt;
      measured.value = FormatFileTime(*status->lastWrite, display);
      if (measured.value.empty()) return std::nullopt;
      return measured;
    case UpdateCondition::VersionBased: {
      const auto version = pe::ReadFixedFileInfo(text::ToPath(path));
      if (!version) return std::nullopt;
      measured.value = MajorDotMinor(*version);
      return measured;
    }
    case UpdateCondition::Unconditional:
      return measured;
  }
  return std::nullopt;
}

}  // namespace

std::optional<FileMeasurement> MeasureFile(const WString& path, UpdateCondition condition,
                                           bool display) {
  return NamesZipEntry(path) ? MeasureZipEntry(path, condition, display)
                             : MeasurePlainFile(path, condition, display);
}

ArchiveStatusScope::ArchiveStatusScope() : outer_(!t_statedArchive.active) {
  t_statedArchive.active = true;
}

ArchiveStatusScope::~ArchiveStatusScope() {
  if (outer_) t_statedArchive = StatedArchive();
}

bool ReadFileInfo(const WString& path, WString& value, int32_t& size, UpdateCondition condition,
                  bool display) {
  auto measured = MeasureFile(path, condition, display);
  if (!measured) return false;
  // Only the low 32 bits of the size are kept, as the server file stores them.
  size = static_cast<int32_t>(static_cast<uint32_t>(measured->size & 0xFFFF'FFFFu));
  if (condition != UpdateCondition::Unconditional) value = std::move(measured->value);
  return true;
}

FileInfoPanel DescribeFile(const WString& diskPath) {
  FileInfoPanel panel;
  if (diskPath.empty()) return panel;

  if (NamesZipEntry(diskPath) && diskPath.find(u'<') != WString::npos) {
    panel.fileName = diskPath.substr(diskPath.find(u'<'));
  } else {
    const size_t separator = diskPath.rfind(text::kHostSeparator);
    panel.fileName = separator == WString::npos ? diskPath : diskPath.substr(separator + 1);
  }

  const auto dated = MeasureFile(diskPath, UpdateCondition::TimeStampBased, true);
  const auto versioned = MeasureFile(diskPath, UpdateCondition::VersionBased, false);
  panel.version = versioned ? versioned->value : WString(u"Not Available");

  // The panel shows the whole size, also of files of 4 GiB and more.
  const uint64_t size = dated ? dated->size : 0;
  if (size == 0) {
    panel.modifiedDate = u"Error reading";
    panel.fileSize = u"Error reading";
  } else {
    panel.modifiedDate = dated->value;
    panel.fileSize = FormatFileSize(size);
  }
  return panel;
}

WString FormatFileSize(uint64_t size) {
  return size <= 1000 ? text::FormatDecimal(static_cast<int64_t>(size)) + u" Bytes"
                      : text::FormatDecimal(static_cast<int64_t>(size / 1024)) + u" KB";
}

}  // namespace tidewell
