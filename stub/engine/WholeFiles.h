#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Platform.h"

// The client's small files (the journal, the installation's record, staged
// texts), read and written whole.
namespace tidewatch::engine {

// The file's bytes; nothing when it cannot be read or holds more than `limit`.
std::optional<std::string> ReadWholeFile(FileSystem& files, const std::u16string& path, std::uint64_t limit,
                                         Failure& failure);

// Creates or truncates the file, writes `bytes` and flushes them to the disk.
bool WriteWholeFile(FileSystem& files, const std::u16string& path, std::string_view bytes, Failure& failure);

}  // namespace tidewatch::engine
