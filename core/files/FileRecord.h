#pragma once

#include <cstdint>
#include <memory>

#include "files/ItemTree.h"

namespace tidewell {

enum class UpdateCondition : int32_t {
  Unconditional = 0,
  TimeStampBased = 1,
  VersionBased = 2,
};

// Target operating systems, one bit each.
namespace OsMask {
inline constexpr int32_t Win95 = 1;
inline constexpr int32_t Win98 = 2;
inline constexpr int32_t WinNT = 4;
inline constexpr int32_t Win2000 = 8;
inline constexpr int32_t WinXP = 16;
inline constexpr int32_t All = 31;
}  // namespace OsMask

// The record of a file node. Name and OS come from ItemRecord.
struct FileRecord final : ItemRecord {
  SmallText Src = u"\\";
  UpdateCondition Type = UpdateCondition::TimeStampBased;
  int32_t Unzip = 0;

  std::unique_ptr<ItemRecord> Clone() const override { return std::make_unique<FileRecord>(*this); }

  // File records come from a pool of their own (see RecordPool).
  static void* operator new(size_t size);
  static void operator delete(void* record) noexcept;
};

}  // namespace tidewell
