#pragma once

#include <memory>

#include "files/ItemTree.h"
#include "text/WString.h"

namespace tidewell {

// The record of an operation node of the registry tree. Name (the value name,
// or "<Create key>" / "<Remove key>") and OS (the target systems) come from
// ItemRecord.
struct RegistryOperation final : ItemRecord {
  WString verb;       // "Add", "Delete", "Create" or "Remove"
  WString valueType;  // one of the value types, or empty
  WString valueData;  // as the user typed it

  std::unique_ptr<ItemRecord> Clone() const override {
    return std::make_unique<RegistryOperation>(*this);
  }
};

// The labels of the two key operations.
inline const WString kCreateKeyLabel = u"<Create key>";
inline const WString kRemoveKeyLabel = u"<Remove key>";

}  // namespace tidewell
