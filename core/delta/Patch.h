#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell::delta {

// Binary patches from one version of a file to the next, as zstd frames
// compressed with the old file as their prefix (long-distance matching, a
// window that covers the file). Applying one holds the old file and the
// decoder's window, never more than the new file, in memory.

// A patch is made only when the old and the new file together are at most
// this size: applying it then needs at most this much plus the decoder's
// tables (about 1 MiB), which keeps the update client under 64 MiB. Larger
// files are downloaded whole.
inline constexpr std::uint64_t kPatchMemoryBound = 56ull << 20;
// A patch is kept only when it is smaller than half the new file: below
// that, downloading the whole file costs little more and risks nothing.
inline constexpr std::uint64_t kKeepDivisor = 2;
// The compression level of patches.
inline constexpr int kPatchLevel = 19;

bool PatchFits(std::uint64_t oldSize, std::uint64_t newSize);
bool WorthKeeping(std::uint64_t patchSize, std::uint64_t newSize);

// The patch that turns `oldContent` into `newContent`; nullopt with the
// reason when zstd fails or the files do not fit the memory bound.
std::optional<std::string> MakePatch(std::string_view oldContent, std::string_view newContent,
                                     std::string& error);

enum class ApplyOutcome { Applied, TooLarge, Damaged, Failed };

// Applies the patch at `patchFile` to `oldFile`, writing the result to
// `outFile` as it is decoded (the caller checks its size and SHA-256).
// TooLarge before anything is read when the patch would need more than the
// memory bound; Damaged for a patch that is not one whole zstd frame made
// for this old file (its checksum fails); Failed when a file cannot be read
// or written. On anything but Applied, `outFile` is removed.
ApplyOutcome ApplyPatch(const std::filesystem::path& oldFile, const std::filesystem::path& patchFile,
                        const std::filesystem::path& outFile, std::string& error);

}  // namespace tidewell::delta
