#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pe/MappedFile.h"
#include "pe/PeImage.h"
#include "pe/ResourceId.h"
#include "pe/ResourceTree.h"

namespace tidewell::pe {

// One resource found by `PeResourceReader::Find`.
struct FoundResource {
  ResourceId name;  // as stored in the file
  uint16_t language = 0;
  std::string bytes;
};

// Reads the resources of a PE file (PE32 or PE32+) as data, without running
// or loading it: the types, names and languages in directory order, and the
// bytes of one resource. The file stays mapped while the reader lives; only
// the pages that are looked at are read.
//
// A resource directory with faulty entries (pointing outside the section,
// overlapping, cyclic) still opens: the faulty entries are left out and
// Problem() describes the first one.
class PeResourceReader {
 public:
  // nullopt with a reason in `error` when the file cannot be read or is not
  // a well-formed PE file.
  static std::optional<PeResourceReader> Open(const std::filesystem::path& file,
                                              std::string* error);

  std::vector<ResourceId> Types() const;
  // Names of the first type that matches `type`, in directory order.
  std::vector<ResourceId> Names(const ResourceId& type) const;
  std::vector<uint16_t> Languages(const ResourceId& type, const ResourceId& name) const;
  // The bytes of one resource; nullopt when there is no such resource or its
  // data does not lie in the file.
  std::optional<std::string> Read(const ResourceId& type, const ResourceId& name,
                                  uint16_t language) const;
  // Looks a resource up by type and name text as the platform's lookup does:
  // "#123" is integer id 123, any other text a string name compared without
  // regard to case. The language is `language` when the resource has it,
  // otherwise the neutral language (0) when present, otherwise the first one
  // in directory order.
  std::optional<FoundResource> Find(const ResourceId& type, std::u16string_view nameText,
                                    std::optional<uint16_t> language = std::nullopt) const;

  const std::string& Problem() const { return tree_.problem; }
  const PeImage& Image() const { return image_; }
  const ResourceTree& Tree() const { return tree_; }

 private:
  PeResourceReader(MappedFile file, PeImage image, ResourceTree tree)
      : file_(std::move(file)), image_(std::move(image)), tree_(std::move(tree)) {}

  const ResourceType* FindType(const ResourceId& type) const;
  const ResourceName* FindName(const ResourceId& type, const ResourceId& name) const;
  std::optional<std::string> ReadData(const ResourceData& data) const;

  MappedFile file_;  // owns the bytes `image_` looks at
  PeImage image_;
  ResourceTree tree_;
};

}  // namespace tidewell::pe
