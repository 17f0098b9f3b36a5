#pragma once

#include <optional>
#include <string>

namespace tidewatch::engine {

// Where the client keeps, per user, the key it moved to when an update
// changed the publisher's key. The text is "ed25519 <64 hex digits>".
class TrustedKeyStore {
 public:
  virtual ~TrustedKeyStore() = default;
  // The stored key's text; nullopt when none was ever stored.
  virtual std::optional<std::string> Load() = 0;
  virtual bool Save(const std::string& text) = 0;
};

}  // namespace tidewatch::engine
