#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <sodium.h>

namespace tidewell::signing {

using Digest = std::array<std::uint8_t, 32>;

// SHA-256 over bytes that arrive in pieces (a download, a file read in
// blocks), so no file is ever held whole in memory.
class Sha256 {
 public:
  Sha256();
  void Update(const std::uint8_t* data, std::size_t size);
  void Update(std::string_view bytes);
  // The digest of everything fed so far; the object starts again afterwards.
  Digest Finish();

  static Digest Of(std::string_view bytes);

 private:
  crypto_hash_sha256_state state_;
};

}  // namespace tidewell::signing
