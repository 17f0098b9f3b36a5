#pragma once

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "text/WString.h"

namespace tidewell::bench {

// The folder of the large project: "<ApplicationDir>\assets".
inline constexpr char16_t kWideFolderPath[] = u"<ApplicationDir>\\assets";

// Saves, once per process, a project of 100,000 file nodes in `folder`: 90
// folders of 1,000 files and one (kWideFolderPath) of 10,000, and one user
// variable. The answer is its project file.
const WString& LargeProjectFile(const std::filesystem::path& folder);

// Seconds since `from` on the steady clock.
inline double SecondsSince(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// A scratch folder of this process, "<temp>/tidewell-<name>-<pid>", made on
// first use.
inline std::filesystem::path ScratchFolder(const char* name) {
  std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("tidewell-" + std::string(name) + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(path);
  return path;
}

}  // namespace tidewell::bench
