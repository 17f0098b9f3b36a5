#include "pe/PeVersion.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "pe/ByteReader.h"
#include "pe/MappedFile.h"
#include "pe/PeImage.h"
#include "pe/ResourceParser.h"
#include "platform/ReadAt.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tidewell::pe {

namespace {

constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedFileInfoSize = 52;
constexpr std::u16string_view kVersionKey = u"VS_VERSION_INFO";

}  // namespace

std::optional<FixedFileInfo> ParseFixedFileInfo(std::string_view versionResource) {
  const ByteReader r(versionResource);
  const auto length = r.readU16(0);
  const auto valueLength = r.readU16(2);
  if (!length || !valueLength || *length > r.Size() || *valueLength < kFixedFileInfoSize)
    return std::nullopt;
  // wLength, wValueLength, wType, then the key with its terminating zero.
  uint64_t at = 6;
  for (char16_t c : kVersionKey) {
    if (r.readU16(at) != uint16_t{c}) return std::nullopt;
    at += 2;
  }
  if (r.readU16(at) != uint16_t{0}) return std::nullopt;
  at = (at + 2 + 3) & ~uint64_t{3};
  if (at + kFixedFileInfoSize > *length) return std::nullopt;
  const auto value = r.Sub(at, kFixedFileInfoSize);
  if (!value || value->readU32(0) != kFixedFileInfoSignature) return std::nullopt;

  FixedFileInfo info;
  uint32_t* fields[] = {&info.signature,     &info.strucVersion,     &info.fileVersionMS,
                        &info.fileVersionLS, &info.productVersionMS, &info.productVersionLS,
                        &info.fileFlagsMask, &info.fileFlags,        &info.fileOS,
                        &info.fileType,      &info.fileSubtype,      &info.fileDateMS,
                        &info.fileDateLS};
  for (uint32_t i = 0; i < 13; ++i) *fields[i] = *value->readU32(4ull * i);
  return info;
}

namespace {

// Makes the file's bytes [offset, offset + length) present in the image's
// span; false when they cannot be read.
using LoadBytes = std::function<bool(uint64_t offset, uint64_t length)>;

// The version record of a parsed image, asking `load`, when given, for the
// parts it reads beyond the headers: the resource directory and the record.
std::optional<FixedFileInfo> VersionOfImage(const std::optional<PeImage>& image,
                                            const LoadBytes& load) {
  if (!image) return std::nullopt;
  if (load) {
    const uint32_t directory = image->Directory(kResourceDirectory).address;
    const auto region = directory != 0 ? image->ReaderFromRva(directory) : std::nullopt;
    if (region && !load(*image->RvaToOffset(directory, 0), region->Size())) return std::nullopt;
  }
  const auto tree = ParseResources(*image, nullptr);
  if (!tree) return std::nullopt;
  const ResourceId version = ResourceId::Integer(kTypeVersion);
  for (const ResourceType& type : tree->types) {
    if (!type.type.Matches(version)) continue;
    if (type.names.empty() || type.names.front().languages.empty()) return std::nullopt;
    const ResourceData& data = type.names.front().languages.front().data;
    if (load) {
      const auto offset = image->RvaToOffset(data.rva, data.size);
      if (offset && !load(*offset, data.size)) return std::nullopt;
    }
    const auto record = image->ReadRva(data.rva, data.size);
    if (!record) return std::nullopt;
    return ParseFixedFileInfo(
        std::string_view(reinterpret_cast<const char*>(record->data()), record->size()));
  }
  return std::nullopt;
}

// The version record of the first RT_VERSION resource (first name, first
// language) of a PE file's bytes.
std::optional<FixedFileInfo> FixedFileInfoOfImage(std::span<const uint8_t> bytes) {
  return VersionOfImage(PeImage::Parse(bytes, nullptr), {});
}

}  // namespace

std::optional<FixedFileInfo> ReadFixedFileInfo(const std::filesystem::path& file) {
#if defined(__unix__) || defined(__APPLE__)
  return ReadFixedFileInfo(file.native());
#else
  const auto mapped = MappedFile::Open(file, nullptr);
  if (!mapped) return std::nullopt;
  return FixedFileInfoOfImage(mapped->Bytes());
#endif
}

std::optional<FixedFileInfo> ReadFixedFileInfo(const std::string& nativePath) {
#if defined(__unix__) || defined(__APPLE__)
  const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  auto info = ReadFixedFileInfo(fd, kSizeUnknown, nativePath);
  ::close(fd);
  return info;
#else
  return ReadFixedFileInfo(std::filesystem::path(nativePath));
#endif
}

#if defined(__unix__) || defined(__APPLE__)
namespace {

// The first read of a file read in parts: the headers of almost every
// executable lie in it.
constexpr uint64_t kHeadBytes = 4096;

// Reads [offset, offset + length) of the file into the same place of
// `bytes`; false on an error or a file that ends sooner.
bool ReadRange(int descriptor, std::vector<char>& bytes, uint64_t offset, uint64_t length) {
  if (offset > bytes.size() || length > bytes.size() - offset) return false;
  return ReadAt(descriptor, bytes.data() + offset, length, offset) ==
         static_cast<ssize_t>(length);
}

// The version record of a file of `size` bytes, read in parts: its headers,
// its resource directory and the record, where reading it whole would copy
// its code and data too. nullopt when the parts do not settle it (headers
// beyond the first read, a read that fails): the caller reads the whole file,
// so every answer is the one the whole file gives.
std::optional<std::optional<FixedFileInfo>> ReadInParts(int descriptor, uint64_t size,
                                                       std::vector<char>& bytes) {
  if (!ReadRange(descriptor, bytes, 0, kHeadBytes)) return std::nullopt;
  const std::span<const uint8_t> file(reinterpret_cast<const uint8_t*>(bytes.data()), size);
  // Past the first read the span holds bytes of an earlier file until they
  // are loaded; the headers are only trusted where they lie inside it.
  const auto image = PeImage::Parse(file, nullptr);
  if (!image) return std::nullopt;
  const uint64_t sections = *image->File().readU16(image->NumberOfSectionsOffset());
  if (image->SectionTableOffset() + uint64_t{SectionHeader::kSize} * sections > kHeadBytes)
    return std::nullopt;
  // What has been read: the first part, then the resource directory, in
  // which the record mostly lies.
  std::pair<uint64_t, uint64_t> present[2] = {{0, kHeadBytes}, {0, 0}};
  bool loaded = true;
  auto load = [&](uint64_t offset, uint64_t length) {
    for (const auto& [begin, end] : present)
      if (offset >= begin && offset <= end && length <= end - offset) return true;
    loaded = loaded && ReadRange(descriptor, bytes, offset, length);
    if (loaded) present[1] = {offset, offset + length};
    return loaded;
  };
  auto info = VersionOfImage(image, load);
  if (!loaded) return std::nullopt;
  return info;
}

}  // namespace

std::optional<FixedFileInfo> ReadFixedFileInfo(int descriptor, uint64_t size,
                                               const std::string& nativePath) {
  // Most executables a product ships are small: reading one whole costs one
  // read call, where mapping it costs a status call, the mapping, its page
  // faults and the unmapping. Larger files are mapped.
  constexpr size_t kReadWhole = 256 * 1024;
  // One buffer per thread, reused: allocating and clearing it for every
  // file would cost more than the read.
  thread_local std::vector<char> bytes(kReadWhole + 1);
  if (size != kSizeUnknown && size > 2 * kHeadBytes && size <= kReadWhole) {
    if (const auto settled = ReadInParts(descriptor, size, bytes)) return *settled;
  }
  // A file of the size it was stated to have is complete: no read is needed
  // to see its end.
  const size_t wanted =
      size != kSizeUnknown && size != 0 && size < bytes.size() ? size : bytes.size();
  const ssize_t read = ReadAt(descriptor, bytes.data(), wanted, 0);
  if (read < 0) return std::nullopt;
  const auto filled = static_cast<size_t>(read);
  if (filled <= kReadWhole)
    return FixedFileInfoOfImage(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), filled));
  const auto mapped = MappedFile::Open(std::filesystem::path(nativePath), nullptr);
  if (!mapped) return std::nullopt;
  return FixedFileInfoOfImage(mapped->Bytes());
}
#endif

}  // namespace tidewell::pe
