#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pe/PeImage.h"
#include "pe/ResourceId.h"
#include "pe/ResourceTree.h"

namespace tidewell::pe {

// The resources of a file while they are being edited: the same three
// levels as the directory, each leaf holding its bytes (a view into the
// mapped file, or into bytes owned by the caller's list of changes).
struct EditLanguage {
  uint16_t language = 0;
  uint32_t codePage = 0;
  std::string_view bytes;
};

struct EditName {
  ResourceId name;
  DirectoryHeader header;
  std::vector<EditLanguage> languages;
};

struct EditType {
  ResourceId type;
  DirectoryHeader header;
  std::vector<EditName> names;
};

struct EditTree {
  DirectoryHeader header;
  std::vector<EditType> types;
};

// The editable form of a parsed directory. Fails when the directory had a
// fault or any resource's data is not in the file: rewriting it would lose
// resources.
std::optional<EditTree> LoadEditTree(const PeImage& image, const ResourceTree& tree,
                                     std::string* error);

// Adds or replaces (bytes given) or removes (nullopt) one resource; empty
// names and types left by a removal disappear. Replacing keeps the data
// entry's code page.
void ApplyChange(EditTree& tree, const ResourceId& type, const ResourceId& name, uint16_t language,
                 std::optional<std::string_view> bytes);

// Puts every level in the order the loader's binary search expects: string
// names first (upper-cased ordinal order), then integer ids ascending;
// languages ascending. Equal entries keep their relative order.
void SortForLoader(EditTree& tree);

}  // namespace tidewell::pe
