#include "signing/Sha256.h"

#include "signing/Sodium.h"

namespace tidewell::signing {

Sha256::Sha256() {
  SodiumReady();
  crypto_hash_sha256_init(&state_);
}

void Sha256::Update(const std::uint8_t* data, std::size_t size) {
  if (size > 0) crypto_hash_sha256_update(&state_, data, size);
}

void Sha256::Update(std::string_view bytes) {
  Update(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

Digest Sha256::Finish() {
  Digest digest{};
  crypto_hash_sha256_final(&state_, digest.data());
  crypto_hash_sha256_init(&state_);
  return digest;
}

Digest Sha256::Of(std::string_view bytes) {
  Sha256 hash;
  hash.Update(bytes);
  return hash.Finish();
}

}  // namespace tidewell::signing
