#pragma once

#include <filesystem>

#include "text/WString.h"

namespace tidewell::bench {

// The folder of the large project: "<ApplicationDir>\assets".
inline constexpr char16_t kWideFolderPath[] = u"<ApplicationDir>\\assets";

// Saves, once per process, a project of 100,000 file nodes in `folder`: 90
// folders of 1,000 files and one (kWideFolderPath) of 10,000. The answer is
// its project file.
const WString& LargeProjectFile(const std::filesystem::path& folder);

}  // namespace tidewell::bench
