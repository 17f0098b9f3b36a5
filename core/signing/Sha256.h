#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <sodium.h>

namespace tidewell::signing {

using Digest = std::array<std::uint8_t, 32>;

// SHA-256 over bytes that arrive in pieces (a download, a file read in
// blocks), so no file is ever held whole in memory. A processor with the
// SHA extensions hashes through them, several times faster; any other
// through libsodium.
class Sha256 {
 public:
  Sha256();
  void Update(const std::uint8_t* data, std::size_t size);
  void Update(std::string_view bytes);
  // The digest of everything fed so far; the object starts again afterwards.
  Digest Finish();

  static Digest Of(std::string_view bytes);

 private:
  bool fast_;
  crypto_hash_sha256_state state_;  // without the extensions
  // With them: the chaining value, the bytes of a block not yet hashed, the
  // message's length.
  std::uint32_t h_[8];
  std::uint8_t block_[64];
  std::size_t used_ = 0;
  std::uint64_t length_ = 0;
};

}  // namespace tidewell::signing
