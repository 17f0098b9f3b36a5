#include "pe/ByteReader.h"

namespace tidewell::pe {

namespace {

template <typename T>
std::optional<T> ReadLittleEndian(std::span<const uint8_t> bytes, uint64_t offset) {
  if (offset > bytes.size() || sizeof(T) > bytes.size() - offset) return std::nullopt;
  T value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(bytes[offset + i]) << (8 * i);
  return value;
}

}  // namespace

std::optional<uint8_t> ByteReader::readU8(uint64_t offset) const {
  return ReadLittleEndian<uint8_t>(bytes_, offset);
}
std::optional<uint16_t> ByteReader::readU16(uint64_t offset) const {
  return ReadLittleEndian<uint16_t>(bytes_, offset);
}
std::optional<uint32_t> ByteReader::readU32(uint64_t offset) const {
  return ReadLittleEndian<uint32_t>(bytes_, offset);
}
std::optional<uint64_t> ByteReader::readU64(uint64_t offset) const {
  return ReadLittleEndian<uint64_t>(bytes_, offset);
}

std::optional<std::span<const uint8_t>> ByteReader::readBytes(uint64_t offset,
                                                              uint64_t size) const {
  if (!Contains(offset, size)) return std::nullopt;
  return bytes_.subspan(offset, size);
}

std::optional<ByteReader> ByteReader::Sub(uint64_t offset, uint64_t size) const {
  auto bytes = readBytes(offset, size);
  if (!bytes) return std::nullopt;
  return ByteReader(*bytes);
}

void WriteU16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void WriteU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace tidewell::pe
