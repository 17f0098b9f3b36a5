#include "files/ZipFixture.h"

#include <climits>

#include <zip.h>
#ifdef _WIN32
#include <iowin32.h>
#endif

namespace tidewell::testing {

uint32_t PackDosDateTime(int year, int month, int day, int hour, int minute, int second) {
  const uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const uint32_t time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

bool WriteZip(const std::filesystem::path& file, const std::vector<ZipFixtureEntry>& entries) {
#ifdef _WIN32
  // The path is wide here: minizip's Windows file functions take it as such.
  zlib_filefunc64_def wideFiles{};
  fill_win32_filefunc64W(&wideFiles);
  zipFile zip = zipOpen2_64(file.c_str(), APPEND_STATUS_CREATE, nullptr, &wideFiles);
#else
  zipFile zip = zipOpen64(file.c_str(), APPEND_STATUS_CREATE);
#endif
  if (!zip) return false;
  bool ok = true;
  for (const auto& entry : entries) {
    zip_fileinfo info{};
    if (entry.dosDateTime != 0) {
      info.dosDate = entry.dosDateTime;
    } else {
      // minizip packs tmz_date when dosDate is 0; month "-1" (stored as
      // month + 1) and zero fields give the packed value 0.
      info.tmz_date.tm_mon = UINT_MAX;
    }
    if (zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0) != ZIP_OK) {
      ok = false;
      break;
    }
    if (!entry.content.empty() &&
        zipWriteInFileInZip(zip, entry.content.data(), static_cast<unsigned>(entry.content.size())) !=
            ZIP_OK) {
      ok = false;
    }
    if (zipCloseFileInZip(zip) != ZIP_OK) ok = false;
    if (!ok) break;
  }
  if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
  return ok;
}

namespace {

uint32_t GetU16(const std::string& b, size_t o) {
  return static_cast<uint8_t>(b[o]) | (static_cast<uint8_t>(b[o + 1]) << 8);
}
uint32_t GetU32(const std::string& b, size_t o) { return GetU16(b, o) | (GetU16(b, o + 2) << 16); }

}  // namespace

ZipLayout ReadZipLayout(const std::string& bytes) {
  ZipLayout layout;
  if (bytes.size() < 22) return layout;
  layout.endRecord = bytes.size() - 22;
  layout.entryCount = static_cast<uint16_t>(GetU16(bytes, layout.endRecord + 10));
  layout.centralOffset = GetU32(bytes, layout.endRecord + 16);
  return layout;
}

void PutU16(std::string& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void PutU32(std::string& bytes, size_t offset, uint32_t value) {
  PutU16(bytes, offset, static_cast<uint16_t>(value & 0xFFFF));
  PutU16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

}  // namespace tidewell::testing
