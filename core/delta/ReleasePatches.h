#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "signing/SigningKey.h"
#include "text/WString.h"

namespace tidewell::delta {

// The path of a server file's patch list: its name with ".patches" added.
std::filesystem::path PatchListPath(const std::filesystem::path& serverFile);

struct ReleasePatchesReport {
  std::size_t made = 0;        // patches written and listed
  std::size_t notSmaller = 0;  // changed files whose patch would save too little
  std::size_t tooLarge = 0;    // changed files beyond the memory bound
  std::uint64_t patchBytes = 0;
};

// Makes the patches of a release built from `serverFile`: for every file it
// offers and every earlier release (a folder laid out as the update files
// folder), when the file at the same server path differs, a patch from that
// file straight to this one, written beside the file at its server path's
// patch name (see signing::PatchServerPath), kept only when it is worth it.
// Then writes the patch list beside the server file, signed with `key`.
// Each file is replaced in one step, so a failure leaves the previous one.
bool WriteReleasePatches(const std::filesystem::path& serverFile, const WString& updateFilesDir,
                         const SigningKey& key, const std::vector<std::filesystem::path>& earlier,
                         ReleasePatchesReport& report, std::string& error);

}  // namespace tidewell::delta
