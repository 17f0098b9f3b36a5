#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Platform.h"
#include "ServerUpdate.h"

// The rules by which the client decides what an update brings.
namespace tidewatch::engine {

// Every Windows from XP on counts as WinXP.
inline constexpr std::int32_t kRunningSystemMask = 16;

bool ForThisSystem(std::int32_t osMask);

// The update is offered when its version orders after the installed one
// (numeric values, as the tool validates them: 1.10 is before 1.9) and is
// not the declined one.
bool IsLaterVersion(std::u16string_view updateVersion, std::u16string_view installedVersion);

// A file time (100 ns units since 1601, UTC) as the tool writes file time
// stamps into the server update file: 120 seconds earlier, as a DOS date and
// time (two-second steps), date * 65536 + time. nullopt outside the years
// 1980 to 2107.
std::optional<std::uint32_t> ServerTimeStamp(std::uint64_t fileTime);

// What a Mode attribute asks for.
struct FileCondition {
  enum Kind { Always, Version, TimeStamp } kind = Always;
  FileVersion version;      // Kind Version: "a.b"
  std::uint32_t stamp = 0;  // Kind TimeStamp: upper-case hexadecimal
};
// A Mode that is neither form is taken as no condition: the file is brought.
FileCondition ReadFileCondition(std::u16string_view mode);

// Whether the file is taken, given the installed file at `target`.
bool NeedsFile(const ServerFile& file, const std::u16string& target, FileSystem& files);

}  // namespace tidewatch::engine
