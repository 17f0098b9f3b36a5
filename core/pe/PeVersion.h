#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell::pe {

// VS_FIXEDFILEINFO, the fixed part of a version resource.
struct FixedFileInfo {
  uint32_t signature = 0;  // 0xFEEF04BD
  uint32_t strucVersion = 0;
  uint32_t fileVersionMS = 0;
  uint32_t fileVersionLS = 0;
  uint32_t productVersionMS = 0;
  uint32_t productVersionLS = 0;
  uint32_t fileFlagsMask = 0;
  uint32_t fileFlags = 0;
  uint32_t fileOS = 0;
  uint32_t fileType = 0;
  uint32_t fileSubtype = 0;
  uint32_t fileDateMS = 0;
  uint32_t fileDateLS = 0;

  bool operator==(const FixedFileInfo&) const = default;
};

// The fixed version record of a PE file's RT_VERSION resource (the first one
// in directory order). Reads only the headers and the bytes it needs; nullopt
// for anything that is not a PE file with a well-formed version resource.
std::optional<FixedFileInfo> ReadFixedFileInfo(const std::filesystem::path& file);
// The same for a path in the host's native narrow form, for callers measuring
// many files (building a path object splits it into components first).
std::optional<FixedFileInfo> ReadFixedFileInfo(const std::string& nativePath);

#if defined(__unix__) || defined(__APPLE__)
inline constexpr uint64_t kSizeUnknown = UINT64_MAX;
// The same for a file the caller has opened (read from its start, whatever
// the descriptor's position). `size`, when the caller has just stated the
// file, saves the read that would only find its end; `nativePath` is used to
// map a file too large to read whole.
std::optional<FixedFileInfo> ReadFixedFileInfo(int descriptor, uint64_t size,
                                               const std::string& nativePath);
#endif

// The fixed version record inside the bytes of a version resource
// (VS_VERSIONINFO: the key "VS_VERSION_INFO", then the record aligned to 32
// bits, carrying the signature 0xFEEF04BD).
std::optional<FixedFileInfo> ParseFixedFileInfo(std::string_view versionResource);

}  // namespace tidewell::pe
