#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "text/WString.h"

namespace tidewell::pe {

// The name of a resource type, of a resource, as held in a resource
// directory: a 16-bit integer id or a string name.
class ResourceId {
 public:
  ResourceId() = default;
  static ResourceId Integer(uint16_t id);
  static ResourceId Named(WString name);
  // A string name whose text is shared with every id made from the same
  // pointer: a name that many directory entries point at is held once.
  static ResourceId Named(std::shared_ptr<const WString> name);
  // The text form the platform accepts: "#123" names integer id 123; any
  // other text is a string name.
  static ResourceId FromText(std::u16string_view text);

  bool IsInteger() const { return isInteger_; }
  uint16_t Id() const { return id_; }
  const WString& Name() const;
  // Where the text of a string name is held (nullptr for an integer id):
  // ids made from one shared name give the same address.
  const WString* NameStorage() const { return name_.get(); }
  // "#" followed by the decimal id, or the string name unchanged.
  WString ToText() const;

  // Lookup rule: integer ids equal, or string names equal without regard to
  // case.
  bool Matches(const ResourceId& other) const;
  friend bool operator==(const ResourceId& a, const ResourceId& b);

 private:
  bool isInteger_ = true;
  uint16_t id_ = 0;
  std::shared_ptr<const WString> name_;  // set for a string name only
};

// The order the loader expects within one resource directory: string names
// first, compared code unit by code unit after upper-casing, then integer
// ids ascending.
bool ResourceOrderLess(const ResourceId& a, const ResourceId& b);

// Well-known resource types.
inline constexpr uint16_t kTypeCursor = 1;
inline constexpr uint16_t kTypeBitmap = 2;
inline constexpr uint16_t kTypeIcon = 3;
inline constexpr uint16_t kTypeString = 6;
inline constexpr uint16_t kTypeGroupIcon = 14;
inline constexpr uint16_t kTypeVersion = 16;

}  // namespace tidewell::pe
