#include "pe/PeVersion.h"

#include <string>

#include "pe/ByteReader.h"
#include "pe/PeResourceReader.h"

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

std::optional<FixedFileInfo> ReadFixedFileInfo(const std::filesystem::path& file) {
  const auto reader = PeResourceReader::Open(file, nullptr);
  if (!reader) return std::nullopt;
  const ResourceId version = ResourceId::Integer(kTypeVersion);
  const auto names = reader->Names(version);
  if (names.empty()) return std::nullopt;
  const auto languages = reader->Languages(version, names.front());
  if (languages.empty()) return std::nullopt;
  const auto bytes = reader->Read(version, names.front(), languages.front());
  if (!bytes) return std::nullopt;
  return ParseFixedFileInfo(*bytes);
}

}  // namespace tidewell::pe
