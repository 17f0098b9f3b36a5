#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signing/Ed25519.h"
#include "signing/Sha256.h"
#include "signing/SignatureFile.h"

namespace tidewell::signing {

// The patch list published beside the server update file, under the server
// file's name with ".patches" appended. A file of its own, so that clients
// that know no patches never read it (they read the signature file strictly).
// UTF-8 text, one record a line, each line ending in LF, in this order:
//
//   Tidewell update patches 1
//   key ed25519 <public key, 64 hex digits>
//   server-file <size> <SHA-256, 64 hex digits>
//   patch <old SHA-256> <patch size> <patch SHA-256> <server path of the file it makes>   (0 or more)
//   signature ed25519 <signature, 128 hex digits>
//
// `key` is the key of the signature file of the same release (a client takes
// the list only when it is), and `server-file` the server file it goes with,
// so a list never serves another release. A patch turns the file whose
// SHA-256 is <old SHA-256> into the file at the server path, whose size and
// SHA-256 the signature file holds; it is published at PatchServerPath.
// Patches are sorted by the file's server path (byte order), then by the old
// SHA-256, each pair once. Anything else makes the list damaged: the reader
// accepts exactly what the writer writes.
inline constexpr std::string_view kPatchListSuffix = ".patches";
inline constexpr std::string_view kPatchSuffix = ".zpatch";
inline constexpr std::size_t kMaxPatchListSize = 4u << 20;
inline constexpr std::size_t kMaxListedPatches = 100000;

struct ListedPatch {
  std::string path;  // the server path of the file the patch makes
  Digest oldSha256{};
  FileDigest patch;
  bool operator==(const ListedPatch&) const = default;
};

struct PatchListContent {
  PublicKey key{};
  FileDigest serverFile;
  std::vector<ListedPatch> patches;  // sorted by path, then old SHA-256
  bool operator==(const PatchListContent&) const = default;
};

struct ParsedPatchList {
  PatchListContent content;
  std::string signedText;
  Signature signature{};
};

// Where a patch is published: the file's server path, a dot, the first 16
// hexadecimal digits of the old file's SHA-256, and ".zpatch".
std::string PatchServerPath(std::string_view filePath, const Digest& oldSha256);

// The complete patch list, sorted, signed by `key` (whose public key must be
// content.key).
std::string WritePatchList(PatchListContent content, const KeyPair& key);
// Reads a patch list strictly and checks its signature against the key it
// names; nullopt with `error` saying what is wrong.
std::optional<ParsedPatchList> ReadPatchList(std::string_view text, std::string& error);

}  // namespace tidewell::signing
