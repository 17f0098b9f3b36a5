#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signing/Ed25519.h"
#include "signing/Sha256.h"

namespace tidewell::signing {

// The signature file published beside the server update file, under the
// server file's name with ".sig" appended. UTF-8 text, one record a line,
// each line ending in LF, in this order:
//
//   Tidewell update signature 1
//   key ed25519 <public key, 64 hex digits>
//   key-change ed25519 <old key> <new key> <old key's signature, 128 hex>   (0 to 16)
//   server-file <size> <SHA-256, 64 hex digits>
//   file <size> <SHA-256> <server path>                                     (0 or more)
//   signature ed25519 <signature, 128 hex digits>
//
// The signature is made by `key` over every byte before the "signature"
// line. Key changes form a chain, oldest first, that ends at `key`; each is
// signed by its old key (see KeyChangeMessage). Files are sorted by their
// server path (byte order) and listed once each. Sizes are decimal without
// leading zeros. Anything else makes the file damaged: the reader accepts
// exactly what the writer writes.
//
// The product the file is for (the company name and the application title,
// as the client's strings 5 and 4 hold them) is one file record of size 0
// under the reserved folder ".tidewell-product":
//
//   file 0 <SHA-256 of nothing> .tidewell-product/=<company>/=<application>
//
// each name after "=" with '%', '/', '\' and control characters written as
// %XX (upper-case hex). Clients built before products were named read it as
// a file that no update downloads, so one signature file serves them and the
// clients that refuse another product's update. Files of earlier tools have
// no such record.
inline constexpr std::string_view kProductFolder = ".tidewell-product";
inline constexpr std::string_view kSignatureFileSuffix = ".sig";
inline constexpr std::size_t kMaxSignatureFileSize = 4u << 20;  // the client holds it whole
inline constexpr std::size_t kMaxSignedFiles = 100000;
inline constexpr std::size_t kMaxKeyChanges = 16;
inline constexpr std::size_t kMaxServerPathSize = 2048;

struct FileDigest {
  std::uint64_t size = 0;
  Digest sha256{};
  bool operator==(const FileDigest&) const = default;
};

struct SignedFile {
  std::string path;  // the server path (see IsServerPath)
  FileDigest digest;
  bool operator==(const SignedFile&) const = default;
};

// A new key introduced by the key before it.
struct KeyChange {
  PublicKey from{};
  PublicKey to{};
  Signature endorsement{};
  bool operator==(const KeyChange&) const = default;
};

// The product a signature file is for: a client refuses one for another.
struct SignedProduct {
  std::string company;      // the client's string 5, UTF-8
  std::string application;  // the client's string 4, UTF-8
  bool operator==(const SignedProduct&) const = default;
};

struct SignatureContent {
  PublicKey key{};
  std::vector<KeyChange> keyChanges;
  std::optional<SignedProduct> product;  // absent in files of earlier tools
  FileDigest serverFile;
  std::vector<SignedFile> files;  // sorted by path, each path once
};

struct ParsedSignatureFile {
  SignatureContent content;
  std::string signedText;  // the bytes the signature covers
  Signature signature{};
};

// The text the signature covers; the files are sorted here.
std::string SignatureBody(SignatureContent content);
// The complete signature file, signed by `key` (whose public key must be
// content.key).
std::string WriteSignatureFile(const SignatureContent& content, const KeyPair& key);
// Reads a signature file strictly; nullopt with `error` saying what is wrong.
std::optional<ParsedSignatureFile> ReadSignatureFile(std::string_view text, std::string& error);

// A key change's line, as both the signature file and the key file write
// it: "key-change ed25519 <old key> <new key> <signature>", without LF.
std::string FormatKeyChange(const KeyChange& change);
std::optional<KeyChange> ParseKeyChange(std::string_view line);

// What the old key signs to introduce a new one.
std::string KeyChangeMessage(const PublicKey& from, const PublicKey& to);
KeyChange EndorseKey(const KeyPair& from, const PublicKey& to);

// Whether a product name can be written into a signature file: valid UTF-8
// without CR or LF.
bool IsProductName(std::string_view name);
// The server path of the product record, and the product it names (nullopt
// for every other path, and for a malformed product record).
std::string ProductRecordPath(const SignedProduct& product);
std::optional<SignedProduct> ProductOfRecordPath(std::string_view path);

// A server path: UTF-8 segments joined by '/', none empty, "." or "..", no
// backslash or control character, at most kMaxServerPathSize bytes.
bool IsServerPath(std::string_view path);
// The server path of a file element: its Src folder (backslashes or
// slashes, empty segments dropped) and its name.
std::string ServerPathOf(std::string_view src, std::string_view name);

}  // namespace tidewell::signing
