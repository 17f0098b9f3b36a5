#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "pe/ResourceEdit.h"

namespace tidewell::pe {

// Lays out a complete resource section for an image that will load it at
// `sectionRva`: the directory tables (root, then every type's name table,
// then every name's language table), the data entries, the string names,
// then each resource's bytes on an 8-byte boundary. The tree is written in
// the order it is given (see SortForLoader). nullopt when the result would
// not fit in the 32-bit address space of the image.
std::optional<std::string> BuildResourceSection(const EditTree& tree, uint32_t sectionRva,
                                                std::string* error);

}  // namespace tidewell::pe
