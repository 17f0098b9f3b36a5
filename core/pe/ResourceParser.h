#pragma once

#include <optional>
#include <string>

#include "pe/PeImage.h"
#include "pe/ResourceTree.h"

namespace tidewell::pe {

// Reads the resource directory of an image. A file without resources gives an
// empty tree. Entries that point outside the resource section, directories
// that overlap or are reached twice (a cycle), names that run past the end and
// data that is not in the file are left out and noted in `problem`; the walk
// never goes deeper than type, name and language. nullopt only when the
// resource data directory itself cannot be read.
std::optional<ResourceTree> ParseResources(const PeImage& image, std::string* error);

}  // namespace tidewell::pe
