#include "signing/SignatureCheck.h"

#include <algorithm>

namespace tidewell::signing {

namespace {

bool Refuse(std::string& reason, std::string text) {
  reason = std::move(text);
  return false;
}

}  // namespace

bool CheckServerFile(const ParsedSignatureFile& file, const PublicKey& trusted,
                     std::string_view document, std::vector<PublicKey>& path,
                     std::string& reason) {
  const SignatureContent& content = file.content;
  path.assign(1, trusted);
  if (content.key != trusted) {
    // The chain is read oldest first; the trusted key may be any of its
    // old keys, and every step from there on must be endorsed.
    const auto start =
        std::find_if(content.keyChanges.begin(), content.keyChanges.end(),
                     [&trusted](const KeyChange& change) { return change.from == trusted; });
    if (start == content.keyChanges.end())
      return Refuse(reason, "the update is signed by another key (" + Fingerprint(content.key) +
                                ") than the one this client trusts (" + Fingerprint(trusted) +
                                ")");
    for (auto change = start; change != content.keyChanges.end(); ++change) {
      if (!Verify(change->from, KeyChangeMessage(change->from, change->to), change->endorsement))
        return Refuse(reason, "the change to the key " + Fingerprint(change->to) +
                                  " is not signed by the key " + Fingerprint(change->from));
      path.push_back(change->to);
    }
  }
  if (!Verify(content.key, file.signedText, file.signature))
    return Refuse(reason, "the signature file's signature does not match its content");
  const FileDigest actual{document.size(), Sha256::Of(document)};
  if (actual != content.serverFile)
    return Refuse(reason, "the update information differs from the signed one (" +
                              std::to_string(actual.size) + " bytes, signed " +
                              std::to_string(content.serverFile.size) + ")");
  return true;
}

bool CheckFileDigest(std::string_view path, const FileDigest& expected, const FileDigest& actual,
                     std::string& reason) {
  if (actual.size != expected.size)
    return Refuse(reason, std::string(path) + " has " + std::to_string(actual.size) +
                              " bytes, the signed file " + std::to_string(expected.size));
  if (actual.sha256 != expected.sha256)
    return Refuse(reason, std::string(path) + " differs from the signed file (SHA-256)");
  return true;
}

}  // namespace tidewell::signing
