#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/WString.h"

namespace tidewell {

// One entry of a zip archive's central directory.
struct ZipEntry {
  // The stored name with every "/" turned into a backslash, read as UTF-8,
  // or as ISO 8859-1 when the bytes are not valid UTF-8. Names are taken
  // whole, whatever their length; a name holding a zero byte ends there.
  WString name;
  // The fields of the central directory record, in their stored order.
  uint32_t versionMadeBy = 0;
  uint32_t versionNeeded = 0;
  uint32_t flag = 0;
  uint32_t compressionMethod = 0;
  uint32_t dosDateTime = 0;  // DOS date in the high 16 bits, DOS time in the low 16
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint32_t nameLength = 0;  // as stored, in bytes
  uint32_t extraLength = 0;
  uint32_t commentLength = 0;
  uint32_t diskNumberStart = 0;
  uint32_t internalAttributes = 0;
  uint32_t externalAttributes = 0;
  // The converted name ends with a backslash.
  bool isDirectory = false;
};

// A reader of a zip archive's central directory over minizip. Holds at most
// one open archive; every operation answers false, never throws, on a
// missing, damaged or hostile archive.
// How LocateFile compares names, for whoever searches a copy of the
// directory: the name loses one leading backslash; then the stored bytes are
// compared with the name's UTF-8 bytes, and the converted names with the
// name, both without regard to case (letters A to Z only). Two names match
// when their keys are equal.
std::u16string_view ZipLookupName(std::u16string_view name);
std::string StoredNameKey(std::string_view storedOrUtf8);
WString ConvertedNameKey(std::u16string_view name);

class ZipArchive {
 public:
  ZipArchive() = default;
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Closes any archive already open, then opens the regular file at the host
  // path. The current entry is the first one.
  bool Open(const WString& path);
  // True when an archive was open and closed cleanly.
  bool Close();
  bool IsOpen() const { return handle_ != nullptr; }

  bool GoToFirstFile();
  // False after the last entry, and when the next record cannot be read.
  bool GoToNextFile();
  bool GetCurrentFileInfo(ZipEntry& entry);
  // The same, also giving the name exactly as stored (up to a zero byte).
  bool GetCurrentFileInfo(ZipEntry& entry, std::string& storedName);
  // Makes the entry called `name` the current one. A leading backslash is
  // dropped; then the stored names are compared with `name` without regard
  // to case (letters A to Z only); with `searchAll`, when none matches, the
  // converted names (slashes turned into backslashes) are compared the same
  // way. The first match wins. After a failure the current entry is
  // unspecified.
  bool LocateFile(std::u16string_view name, bool searchAll);

 private:
  template <typename Match>
  bool FindFromFirst(Match matches);

  void* handle_ = nullptr;  // minizip's unzFile
  std::string nameBuffer_;
};

}  // namespace tidewell
