#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pe/ResourceId.h"

namespace tidewell::pe {

// The fields of a resource directory table besides its entry counts.
struct DirectoryHeader {
  uint32_t characteristics = 0;
  uint32_t timeDateStamp = 0;
  uint16_t majorVersion = 0;
  uint16_t minorVersion = 0;
};

// Where one resource's bytes are: an RVA in the image and a size, with the
// code page of its data entry.
struct ResourceData {
  uint32_t rva = 0;
  uint32_t size = 0;
  uint32_t codePage = 0;
};

struct ResourceLanguage {
  uint16_t language = 0;
  ResourceData data;
};

struct ResourceName {
  ResourceId name;
  DirectoryHeader header;  // of the language directory below this name
  std::vector<ResourceLanguage> languages;
};

struct ResourceType {
  ResourceId type;
  DirectoryHeader header;  // of the name directory below this type
  std::vector<ResourceName> names;
};

// The three levels of a resource directory (type, name, language), in
// directory order.
struct ResourceTree {
  DirectoryHeader header;
  std::vector<ResourceType> types;
  // Empty when the whole directory was well formed; otherwise a description
  // of the first fault. Faulty entries were left out of the tree.
  std::string problem;
};

}  // namespace tidewell::pe
