#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signing/Ed25519.h"
#include "signing/SignatureFile.h"

namespace tidewell {

// A publisher's signing key as the tool keeps it: the key pair and the key
// changes that lead to it from the project's earlier keys, oldest first, so
// that clients built with an earlier key move to this one.
//
// The key file is UTF-8 text, each line ending in LF:
//   Tidewell signing key 1
//   public ed25519 <64 hex digits>
//   secret ed25519 <the 32-byte seed, 64 hex digits>
//   key-change ed25519 <old key> <new key> <old key's signature>   (0 to 16)
struct SigningKey {
  signing::KeyPair pair;
  std::vector<signing::KeyChange> keyChanges;
};

std::string WriteSigningKeyText(const SigningKey& key);
// Strict: the public key must be the seed's, the key changes a chain that
// ends at it, each signed by its old key.
std::optional<SigningKey> ReadSigningKeyText(std::string_view text, std::string& error);

// Reads a key file; `error` names the file and what is wrong.
std::optional<SigningKey> LoadSigningKey(const std::filesystem::path& file, std::string& error);
// Writes a key file readable by its owner only (mode 600; its folder, when
// made here, 700), in one step: a failure leaves an earlier file intact.
bool SaveSigningKey(const std::filesystem::path& file, const SigningKey& key, std::string& error);

// A new key that replaces `previous`: signed over by it, its key changes
// kept (the oldest dropped beyond 16).
SigningKey SucceedKey(const SigningKey& previous, const signing::KeyPair& next);

}  // namespace tidewell
