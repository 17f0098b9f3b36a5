#pragma once

#include <filesystem>
#include <string>

#include "pe/PeImage.h"
#include "pe/ResourceEdit.h"
#include "pe/ResourceUpdate.h"

namespace tidewell::pe {

inline constexpr char kNoResourceDirectoryEntry[] =
    "the optional header has no entry for a resource directory";

// Writes to `target` a copy of the image (read from `source`, whose mapped
// bytes `image` looks at) whose resource section holds `tree`.
//
// Where the resources go: when the resource directory starts a section of
// its own and the new section fits in that section's address range, the
// section is rewritten where it is; its raw size may change, and the raw
// data of the sections after it in the file and the overlay move along
// (their RVAs stay). Otherwise a new ".rsrc" section is added at the end of
// the image, and the old section stays where it was. File offsets that point
// at moved bytes are adjusted: section headers, the COFF symbol table, debug
// directory entries.
//
// The overlay is kept byte for byte. A certificate table is removed (its
// directory entry zeroed, its bytes dropped when they end the file), and a
// non-zero CheckSum is recomputed; `result` tells the caller both.
bool WriteImageWithResources(const PeImage& image, const EditTree& tree,
                             const std::filesystem::path& source,
                             const std::filesystem::path& target, CommitResult& result,
                             std::string* error);

}  // namespace tidewell::pe
