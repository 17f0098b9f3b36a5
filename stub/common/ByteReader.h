#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tidewatch {

// Bounds-checked little-endian reads over bytes the client did not write
// itself (its own resources, which the configuration tool rewrites). Every
// read of such bytes goes through here; a read past the end answers nullopt.
class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {
    if (data_ == nullptr) size_ = 0;
  }
  explicit ByteReader(std::string_view bytes) : ByteReader(bytes.data(), bytes.size()) {}

  size_t Size() const { return size_; }
  const uint8_t* Data() const { return data_; }

  // Whether `length` bytes start at `offset`, without overflowing.
  bool Has(size_t offset, size_t length) const { return offset <= size_ && length <= size_ - offset; }

  std::optional<uint8_t> U8(size_t offset) const {
    if (!Has(offset, 1)) return std::nullopt;
    return data_[offset];
  }
  std::optional<uint16_t> U16(size_t offset) const {
    if (!Has(offset, 2)) return std::nullopt;
    return static_cast<uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  std::optional<uint32_t> U32(size_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return static_cast<uint32_t>(data_[offset]) | (static_cast<uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<uint32_t>(data_[offset + 3]) << 24);
  }
  std::optional<int32_t> I32(size_t offset) const {
    const auto v = U32(offset);
    if (!v) return std::nullopt;
    return static_cast<int32_t>(*v);
  }
  // Big-endian, as PNG headers store their numbers.
  std::optional<uint32_t> U32BigEndian(size_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return (static_cast<uint32_t>(data_[offset]) << 24) |
           (static_cast<uint32_t>(data_[offset + 1]) << 16) |
           (static_cast<uint32_t>(data_[offset + 2]) << 8) | static_cast<uint32_t>(data_[offset + 3]);
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace tidewatch
