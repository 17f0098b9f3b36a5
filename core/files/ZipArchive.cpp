#include "files/ZipArchive.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include <unzip.h>
#ifdef _WIN32
#include <iowin32.h>
#endif

#include "files/ZipFileReading.h"
#include "text/Text.h"
#include "platform/HostPath.h"

namespace tidewell {

namespace {

// minizip's own name look-up refuses names of this many bytes or more; such
// names are looked up by walking the directory here instead.
constexpr size_t kMinizipNameLimit = 256;
// A stored name length is a 16-bit field.
constexpr size_t kMaxStoredName = 0xFFFF;

unzFile Handle(void* handle) { return static_cast<unzFile>(handle); }

}  // namespace

std::u16string_view ZipLookupName(std::u16string_view name) {
  if (!name.empty() && name.front() == u'\\') name.remove_prefix(1);
  return name;
}

std::string StoredNameKey(std::string_view storedOrUtf8) {
  std::string key(storedOrUtf8);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return key;
}

WString ConvertedNameKey(std::u16string_view name) { return text::ToLowerAscii(name); }

ZipArchive::~ZipArchive() { Close(); }

bool ZipArchive::Open(const WString& path) {
  Close();
  const std::filesystem::path native = SystemPath(text::ToPath(path));
  // Only regular files: opening a pipe or a device for reading could block
  // or never end.
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(native, ec) || ec) return false;
#ifdef _WIN32
  // minizip's Windows file functions open the file by its wide-character
  // name, so names outside the ANSI code page open too.
  zlib_filefunc64_def wideFiles{};
  fill_win32_filefunc64W(&wideFiles);
  handle_ = unzOpen2_64(native.c_str(), &wideFiles);
#else
  zlib_filefunc64_def bufferedFiles{};
  FillBufferedZipFileFunctions(bufferedFiles);
  handle_ = unzOpen2_64(native.c_str(), &bufferedFiles);
#endif
  return handle_ != nullptr;
}

bool ZipArchive::Close() {
  if (!handle_) return false;
  const int result = unzClose(Handle(handle_));
  handle_ = nullptr;
  return result == UNZ_OK;
}

bool ZipArchive::GoToFirstFile() {
  return handle_ && unzGoToFirstFile(Handle(handle_)) == UNZ_OK;
}

bool ZipArchive::GoToNextFile() {
  return handle_ && unzGoToNextFile(Handle(handle_)) == UNZ_OK;
}

bool ZipArchive::GetCurrentFileInfo(ZipEntry& entry, std::string& storedName) {
  if (!handle_) return false;
  // Room for the longest name a record can hold, so no name is ever cut.
  nameBuffer_.resize(kMaxStoredName + 1);
  unz_file_info64 info{};
  if (unzGetCurrentFileInfo64(Handle(handle_), &info, nameBuffer_.data(),
                              static_cast<uLong>(nameBuffer_.size()), nullptr, 0, nullptr,
                              0) != UNZ_OK) {
    return false;
  }
  const size_t stored = info.size_filename < kMaxStoredName ? info.size_filename : kMaxStoredName;
  storedName.assign(nameBuffer_.data(), strnlen(nameBuffer_.data(), stored));

  std::string converted = storedName;
  for (char& c : converted)
    if (c == '/') c = '\\';
  entry.name = text::DecodeFileText(converted);
  entry.versionMadeBy = static_cast<uint32_t>(info.version);
  entry.versionNeeded = static_cast<uint32_t>(info.version_needed);
  entry.flag = static_cast<uint32_t>(info.flag);
  entry.compressionMethod = static_cast<uint32_t>(info.compression_method);
  entry.dosDateTime = static_cast<uint32_t>(info.dosDate);
  entry.crc = static_cast<uint32_t>(info.crc);
  entry.compressedSize = info.compressed_size;
  entry.uncompressedSize = info.uncompressed_size;
  entry.nameLength = static_cast<uint32_t>(info.size_filename);
  entry.extraLength = static_cast<uint32_t>(info.size_file_extra);
  entry.commentLength = static_cast<uint32_t>(info.size_file_comment);
  entry.diskNumberStart = static_cast<uint32_t>(info.disk_num_start);
  entry.internalAttributes = static_cast<uint32_t>(info.internal_fa);
  entry.externalAttributes = static_cast<uint32_t>(info.external_fa);
  entry.isDirectory = !entry.name.empty() && entry.name.back() == u'\\';
  return true;
}

bool ZipArchive::GetCurrentFileInfo(ZipEntry& entry) {
  std::string storedName;
  return GetCurrentFileInfo(entry, storedName);
}

template <typename Match>
bool ZipArchive::FindFromFirst(Match matches) {
  if (!GoToFirstFile()) return false;
  ZipEntry entry;
  std::string storedName;
  do {
    if (!GetCurrentFileInfo(entry, storedName)) return false;
    if (matches(entry, storedName)) return true;
  } while (GoToNextFile());
  return false;
}

bool ZipArchive::LocateFile(std::u16string_view name, bool searchAll) {
  if (!handle_) return false;
  name = ZipLookupName(name);
  const std::string bytes = text::ToUtf8(name);
  bool found;
  if (bytes.size() < kMinizipNameLimit && bytes.find('\0') == std::string::npos) {
    found = unzLocateFile(Handle(handle_), bytes.c_str(), 2) == UNZ_OK;
  } else {
    const std::string key = StoredNameKey(bytes);
    found = FindFromFirst([&key](const ZipEntry&, const std::string& stored) {
      return stored.size() == key.size() && StoredNameKey(stored) == key;
    });
  }
  if (found || !searchAll) return found;
  const WString key = ConvertedNameKey(name);
  return FindFromFirst([&key](const ZipEntry& entry, const std::string&) {
    return entry.name.size() == key.size() && ConvertedNameKey(entry.name) == key;
  });
}

}  // namespace tidewell
