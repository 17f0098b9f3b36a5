#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell::signing {

using PublicKey = std::array<std::uint8_t, 32>;
using Seed = std::array<std::uint8_t, 32>;
using Signature = std::array<std::uint8_t, 64>;

// An Ed25519 key pair. The secret is kept as its 32-byte seed, from which
// the public key is derived again whenever the pair is read.
struct KeyPair {
  Seed seed{};
  PublicKey publicKey{};
};

// A new key pair from the system's random source; nullopt when there is none.
std::optional<KeyPair> GenerateKeyPair();
KeyPair KeyPairFromSeed(const Seed& seed);

Signature Sign(const KeyPair& key, std::string_view message);
bool Verify(const PublicKey& key, std::string_view message, const Signature& signature);

// The public key as the formats write it: "ed25519 " and 64 hex digits.
std::string FormatPublicKey(const PublicKey& key);
std::optional<PublicKey> ParsePublicKey(std::string_view text);

// What a publisher compares by eye: the first 16 bytes of the SHA-256 of the
// public key, hex, in eight groups of four joined by ':'
// ("3f2a:9c01:...").
std::string Fingerprint(const PublicKey& key);

}  // namespace tidewell::signing
