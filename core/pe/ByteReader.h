#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace tidewell::pe {

// Every read of untrusted bytes goes through this reader: each read checks
// that the whole range lies inside the buffer (without overflowing) and
// answers nullopt when it does not. Values are little-endian, as in PE files.
class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  explicit ByteReader(std::string_view bytes)
      : bytes_(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) {}

  uint64_t Size() const { return bytes_.size(); }
  bool Contains(uint64_t offset, uint64_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }

  // Inline: a resource walk makes many thousand of these reads.
  std::optional<uint8_t> readU8(uint64_t offset) const { return Read<uint8_t>(offset); }
  std::optional<uint16_t> readU16(uint64_t offset) const { return Read<uint16_t>(offset); }
  std::optional<uint32_t> readU32(uint64_t offset) const { return Read<uint32_t>(offset); }
  std::optional<uint64_t> readU64(uint64_t offset) const { return Read<uint64_t>(offset); }
  // A view of `size` bytes at `offset`.
  std::optional<std::span<const uint8_t>> readBytes(uint64_t offset, uint64_t size) const;
  // A reader over `size` bytes at `offset`, whose offsets count from there.
  std::optional<ByteReader> Sub(uint64_t offset, uint64_t size) const;

  std::span<const uint8_t> Bytes() const { return bytes_; }

 private:
  template <typename T>
  std::optional<T> Read(uint64_t offset) const {
    if (!Contains(offset, sizeof(T))) return std::nullopt;
    T value = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    } else {
      for (size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<T>(static_cast<T>(bytes_[offset + i]) << (8 * i));
    }
    return value;
  }

  std::span<const uint8_t> bytes_;
};

// Little-endian stores into a buffer the caller has sized.
void WriteU16(uint8_t* at, uint16_t value);
void WriteU32(uint8_t* at, uint32_t value);

}  // namespace tidewell::pe
