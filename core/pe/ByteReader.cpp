#include "pe/ByteReader.h"

namespace tidewell::pe {

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
