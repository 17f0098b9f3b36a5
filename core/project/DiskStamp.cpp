#include "project/DiskStamp.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "text/Text.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {

struct Metadata {
  uint64_t size = 0;
  int64_t modified = 0;
};

std::optional<Metadata> ReadMetadata(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  Metadata metadata;
  metadata.size = fs::file_size(file, ec);
  if (ec) return std::nullopt;
  metadata.modified = fs::last_write_time(file, ec).time_since_epoch().count();
  if (ec) return std::nullopt;
  return metadata;
}

std::optional<uint64_t> HashFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return HashBytes(bytes);
}

}  // namespace

uint64_t HashBytes(std::string_view bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

std::optional<DiskStamp> TakeDiskStamp(const WString& path) {
  const fs::path file = text::ToPath(path);
  const std::optional<Metadata> metadata = ReadMetadata(file);
  if (!metadata) return std::nullopt;
  const std::optional<uint64_t> hash = HashFile(file);
  if (!hash) return std::nullopt;
  return DiskStamp{metadata->size, metadata->modified, *hash};
}

bool SameOnDisk(const WString& path, const DiskStamp& known) {
  const fs::path file = text::ToPath(path);
  std::error_code ec;
  // Nothing another program wrote can be lost by writing here; a write to
  // something that is no file fails with its own reason.
  if (!fs::is_regular_file(file, ec)) return true;
  const std::optional<Metadata> metadata = ReadMetadata(file);
  if (!metadata) return false;
  if (metadata->size == known.size && metadata->modified == known.modified) return true;
  if (metadata->size != known.size) return false;
  const std::optional<uint64_t> hash = HashFile(file);
  return hash && *hash == known.hash;
}

}  // namespace tidewell
