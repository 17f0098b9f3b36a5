#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/FileStatus.h"
#include "files/ZipArchive.h"
#include "text/WString.h"

namespace tidewell {

// A copy of an archive's central directory, read once, so that measuring
// many entries of one archive does not walk the archive again for each one.
class ZipDirectory {
 public:
  // The directory of the archive at `path`, whose look-up gave `status`.
  // Kept for the few archives used last and read again as soon as the
  // archive's size, last-write time or identity differ. Empty when the
  // archive cannot be opened. Records after a damaged one are not part of
  // the copy, exactly as a walk of the archive never reaches them.
  static std::shared_ptr<const ZipDirectory> Load(const WString& path, const FileStatus& status);

  // The entry ZipArchive::LocateFile would make current, or nullptr.
  const ZipEntry* Find(std::u16string_view name, bool searchAll) const;
  size_t Size() const { return records_.size(); }

 private:
  struct Record {
    std::string storedName;
    ZipEntry entry;
  };
  static std::shared_ptr<const ZipDirectory> Read(const WString& path);

  std::vector<Record> records_;
  // The first record of each name key, so a look-up does not walk the copy.
  std::unordered_map<std::string, size_t> byStoredName_;
  std::unordered_map<WString, size_t> byConvertedName_;
};

}  // namespace tidewell
