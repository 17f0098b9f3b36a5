#include "files/ZipDirectory.h"

#include <mutex>

#include "text/Text.h"

namespace tidewell {

namespace {

// Entries of one archive are measured one after the other; a few slots are
// enough for a tree that interleaves some archives.
constexpr size_t kKeptArchives = 8;

struct Slot {
  WString path;
  FileStatus status;
  std::shared_ptr<const ZipDirectory> directory;
  uint64_t lastUse = 0;
};

struct Cache {
  std::mutex mutex;
  std::vector<Slot> slots;
  uint64_t clock = 0;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

}  // namespace

std::shared_ptr<const ZipDirectory> ZipDirectory::Read(const WString& path) {
  ZipArchive archive;
  if (!archive.Open(path)) return nullptr;
  auto directory = std::make_shared<ZipDirectory>();
  if (archive.GoToFirstFile()) {
    do {
      Record record;
      if (!archive.GetCurrentFileInfo(record.entry, record.storedName)) break;
      directory->records_.push_back(std::move(record));
    } while (archive.GoToNextFile());
  }
  for (size_t i = 0; i < directory->records_.size(); ++i) {
    const Record& record = directory->records_[i];
    directory->byStoredName_.emplace(StoredNameKey(record.storedName), i);
    directory->byConvertedName_.emplace(ConvertedNameKey(record.entry.name), i);
  }
  return directory;
}

std::shared_ptr<const ZipDirectory> ZipDirectory::Load(const WString& path,
                                                       const FileStatus& status) {
  Cache& cache = TheCache();
  {
    std::lock_guard lock(cache.mutex);
    for (auto& slot : cache.slots) {
      if (slot.path == path && slot.status.SameVersionAs(status)) {
        slot.lastUse = ++cache.clock;
        return slot.directory;
      }
    }
  }
  auto directory = Read(path);
  if (!directory) return nullptr;

  std::lock_guard lock(cache.mutex);
  Slot* target = nullptr;
  for (auto& slot : cache.slots)
    if (slot.path == path) target = &slot;
  if (!target && cache.slots.size() < kKeptArchives) target = &cache.slots.emplace_back();
  if (!target) {
    target = &cache.slots.front();
    for (auto& slot : cache.slots)
      if (slot.lastUse < target->lastUse) target = &slot;
  }
  *target = Slot{path, status, directory, ++cache.clock};
  return directory;
}

const ZipEntry* ZipDirectory::Find(std::u16string_view name, bool searchAll) const {
  name = ZipLookupName(name);
  if (const auto hit = byStoredName_.find(StoredNameKey(text::ToUtf8(name)));
      hit != byStoredName_.end()) {
    return &records_[hit->second].entry;
  }
  if (searchAll) {
    if (const auto hit = byConvertedName_.find(ConvertedNameKey(name));
        hit != byConvertedName_.end()) {
      return &records_[hit->second].entry;
    }
  }
  return nullptr;
}

}  // namespace tidewell
