#pragma once

#include <string>
#include <string_view>

#include "signing/Ed25519.h"
#include "signing/SignatureFile.h"

namespace tidewell::signing {

// Checks a read signature file against the key a client trusts and the
// server file's bytes. The file must be signed by the trusted key, or by a
// key reached from it through the file's key changes, each signed by the key
// before it. On success `signer` is the key that signed; on failure `reason`
// says why in words.
bool CheckServerFile(const ParsedSignatureFile& file, const PublicKey& trusted,
                     std::string_view document, PublicKey& signer, std::string& reason);

// Compares a downloaded file's size and digest with its signed ones; on
// failure `reason` names the file and what differs.
bool CheckFileDigest(std::string_view path, const FileDigest& expected, const FileDigest& actual,
                     std::string& reason);

}  // namespace tidewell::signing
