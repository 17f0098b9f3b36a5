#pragma once

#include <optional>
#include <string>

namespace tidewatch::engine {

// Where the client keeps, per user, the publisher's key changes it has
// followed: one line per change, "<old key> <new key>" (64 lower-case
// hexadecimal digits each), each ending in LF, in the byte order of the old keys. What is kept
// can only make the client stricter: an old key is no longer accepted as the
// signer and may lead to no other key; every key is still reached through
// changes signed from the key built into the client.
class KeyChangeStore {
 public:
  virtual ~KeyChangeStore() = default;
  // The stored text; nullopt when nothing was ever stored.
  virtual std::optional<std::string> Load() = 0;
  virtual bool Save(const std::string& text) = 0;
};

}  // namespace tidewatch::engine
