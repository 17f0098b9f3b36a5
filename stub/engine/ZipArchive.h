#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Platform.h"

namespace tidewatch::engine {

struct ZipEntry {
  std::u16string name;  // folders separated by backslashes
  bool folder = false;
  std::uint16_t method = 0;  // 0 stored, 8 deflated
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;
  std::uint64_t localHeader = 0;
};

// Reads a zip archive from its central directory and unpacks entries, each
// streamed through inflate to its file with its CRC and size checked.
class ZipArchive {
 public:
  bool Open(std::unique_ptr<FileReader> reader, Failure& failure);
  const std::vector<ZipEntry>& entries() const { return entries_; }
  bool Extract(const ZipEntry& entry, FileWriter& out, Failure& failure);

 private:
  std::unique_ptr<FileReader> reader_;
  std::vector<ZipEntry> entries_;
};

}  // namespace tidewatch::engine
