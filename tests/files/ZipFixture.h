#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tidewell::testing {

// One entry of a test archive: the stored name (a trailing "/" makes a
// folder entry), its bytes and its DOS date and time (date << 16 | time).
struct ZipFixtureEntry {
  std::string name;
  std::string content;
  uint32_t dosDateTime = 0;
};

// The packed DOS date and time of calendar fields (seconds cut to even).
uint32_t PackDosDateTime(int year, int month, int day, int hour, int minute, int second);

// Writes a zip archive with minizip's writer, entries deflated in the given
// order. A dosDateTime of 0 is stored as 0 (no date). False when minizip
// refuses.
bool WriteZip(const std::filesystem::path& file, const std::vector<ZipFixtureEntry>& entries);

// Where the end-of-central-directory record of an archive without comment
// starts, and the central directory's offset and entry count it declares.
struct ZipLayout {
  size_t endRecord = 0;
  uint32_t centralOffset = 0;
  uint16_t entryCount = 0;
};
ZipLayout ReadZipLayout(const std::string& bytes);

void PutU16(std::string& bytes, size_t offset, uint16_t value);
void PutU32(std::string& bytes, size_t offset, uint32_t value);

}  // namespace tidewell::testing
