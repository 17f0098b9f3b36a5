#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "signing/Ed25519.h"
#include "signing/SignatureFile.h"

namespace tidewell::signing {

// Checks a read signature file against the key a client trusts and the
// server file's bytes. The file must be signed by the trusted key, or by a
// key reached from it through the file's key changes, each signed by the key
// before it. On success `path` holds the keys from the trusted one to the
// one that signed, in the order of the changes; on failure `reason` says why
// in words.
bool CheckServerFile(const ParsedSignatureFile& file, const PublicKey& trusted,
                     std::string_view document, std::vector<PublicKey>& path,
                     std::string& reason);

// Compares a downloaded file's size and digest with its signed ones; on
// failure `reason` names the file and what differs.
bool CheckFileDigest(std::string_view path, const FileDigest& expected, const FileDigest& actual,
                     std::string& reason);

}  // namespace tidewell::signing
