#pragma once

#include <cstdint>

namespace tidewell::pe {

// Sizes and flags of the resource directory's on-disk records.
inline constexpr uint32_t kResourceHighBit = 0x80000000u;  // string name / subdirectory
inline constexpr uint32_t kResourceTableHeaderSize = 16;
inline constexpr uint32_t kResourceEntrySize = 8;
inline constexpr uint32_t kResourceDataEntrySize = 16;

inline constexpr uint64_t AlignUp(uint64_t value, uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

}  // namespace tidewell::pe
