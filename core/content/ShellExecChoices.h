#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tidewell {

// A moment of the update at which the client starts a file, with the number
// stored in the Point attribute.
struct ExecutionPoint {
  std::u16string_view name;
  int32_t number;
};

// In the order the dialog offers them; numbers run 1 to 4.
inline constexpr std::array<ExecutionPoint, 4> kExecutionPoints = {{
    {u"Welcome screen", 1},
    {u"Download screen", 2},
    {u"Download complete", 3},
    {u"Installation complete", 4},
}};
inline constexpr size_t kDefaultExecutionPointIndex = 3;
// Where a Point attribute that names no point is filed.
inline constexpr std::u16string_view kFallbackExecutionPoint = u"Installation complete";

// The client-side folders a file can be started from; the update client
// resolves them.
inline constexpr std::array<std::u16string_view, 4> kExecutionDirectories = {
    u"<ApplicationDir>", u"<ProgramFilesDir>", u"<SystemDir>", u"<WinDir>"};
inline constexpr size_t kDefaultExecutionDirectoryIndex = 0;

}  // namespace tidewell
