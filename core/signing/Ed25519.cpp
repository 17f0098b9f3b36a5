#include "signing/Ed25519.h"

#include <sodium.h>

#include "signing/Hex.h"
#include "signing/Sha256.h"
#include "signing/Sodium.h"

namespace tidewell::signing {

namespace {

constexpr std::string_view kKeyPrefix = "ed25519 ";

// libsodium's secret key: the seed followed by the public key. Wiped when
// it goes out of scope.
struct ExpandedSecret {
  std::array<unsigned char, crypto_sign_SECRETKEYBYTES> bytes{};
  ~ExpandedSecret() { sodium_memzero(bytes.data(), bytes.size()); }
};

static_assert(crypto_sign_PUBLICKEYBYTES == 32 && crypto_sign_SEEDBYTES == 32 &&
              crypto_sign_BYTES == 64);

}  // namespace

std::optional<KeyPair> GenerateKeyPair() {
  if (!SodiumReady()) return std::nullopt;
  Seed seed{};
  randombytes_buf(seed.data(), seed.size());
  KeyPair pair = KeyPairFromSeed(seed);
  sodium_memzero(seed.data(), seed.size());
  return pair;
}

KeyPair KeyPairFromSeed(const Seed& seed) {
  SodiumReady();
  KeyPair pair;
  pair.seed = seed;
  ExpandedSecret secret;
  crypto_sign_seed_keypair(pair.publicKey.data(), secret.bytes.data(), seed.data());
  return pair;
}

Signature Sign(const KeyPair& key, std::string_view message) {
  SodiumReady();
  ExpandedSecret secret;
  PublicKey derived{};
  crypto_sign_seed_keypair(derived.data(), secret.bytes.data(), key.seed.data());
  Signature signature{};
  crypto_sign_detached(signature.data(), nullptr,
                       reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                       secret.bytes.data());
  return signature;
}

bool Verify(const PublicKey& key, std::string_view message, const Signature& signature) {
  if (!SodiumReady()) return false;
  return crypto_sign_verify_detached(signature.data(),
                                     reinterpret_cast<const unsigned char*>(message.data()),
                                     message.size(), key.data()) == 0;
}

std::string FormatPublicKey(const PublicKey& key) {
  return std::string(kKeyPrefix) + ToHex(key);
}

std::optional<PublicKey> ParsePublicKey(std::string_view text) {
  if (!text.starts_with(kKeyPrefix)) return std::nullopt;
  PublicKey key{};
  if (!FromHex(text.substr(kKeyPrefix.size()), key)) return std::nullopt;
  return key;
}

std::string Fingerprint(const PublicKey& key) {
  const Digest digest =
      Sha256::Of(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
  const std::string hex = ToHex(std::span(digest).first(16));
  std::string text;
  for (std::size_t i = 0; i < hex.size(); i += 4) {
    if (i > 0) text += ':';
    text.append(hex, i, 4);
  }
  return text;
}

}  // namespace tidewell::signing
