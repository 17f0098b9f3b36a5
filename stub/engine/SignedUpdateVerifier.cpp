#include "SignedUpdateVerifier.h"

#include "signing/Sha256.h"
#include "signing/SignatureCheck.h"
#include "signing/UpdateKey.h"

namespace tidewatch::engine {

namespace sg = tidewell::signing;

namespace {

// Hashes the file as it arrives and compares it at the end.
class DigestCheck final : public DownloadCheck {
 public:
  DigestCheck(std::string path, const sg::FileDigest& expected)
      : path_(std::move(path)), expected_(expected) {}

  void Feed(const std::uint8_t* data, std::size_t size) override {
    hash_.Update(data, size);
    size_ += size;
  }
  bool Finish(std::string& reason) override {
    return sg::CheckFileDigest(path_, expected_, sg::FileDigest{size_, hash_.Finish()}, reason);
  }

 private:
  std::string path_;
  sg::FileDigest expected_;
  sg::Sha256 hash_;
  std::uint64_t size_ = 0;
};

// A file the signature file does not vouch for.
class RefusedCheck final : public DownloadCheck {
 public:
  explicit RefusedCheck(std::string reason) : reason_(std::move(reason)) {}
  void Feed(const std::uint8_t*, std::size_t) override {}
  bool Finish(std::string& reason) override {
    reason = reason_;
    return false;
  }

 private:
  std::string reason_;
};

class RefusingVerifier final : public UpdateVerifier {
 public:
  explicit RefusingVerifier(std::string reason) : reason_(std::move(reason)) {}
  bool AcceptServerFile(std::string_view, const std::optional<std::string>&,
                        std::string& reason) override {
    reason = reason_;
    return false;
  }
  std::unique_ptr<DownloadCheck> BeginFile(std::string_view) override {
    return std::make_unique<RefusedCheck>(reason_);
  }

 private:
  std::string reason_;
};

}  // namespace

SignedUpdateVerifier::SignedUpdateVerifier(const sg::PublicKey& clientKey, TrustedKeyStore& store)
    : clientKey_(clientKey), store_(store) {}

bool SignedUpdateVerifier::AcceptServerFile(std::string_view document,
                                            const std::optional<std::string>& signature,
                                            std::string& reason) {
  accepted_ = false;
  files_.clear();
  if (!signature) {
    reason = "the update information has no signature file";
    return false;
  }
  sg::PublicKey trusted = clientKey_;
  if (const std::optional<std::string> stored = store_.Load()) {
    const std::optional<sg::PublicKey> key = sg::ParsePublicKey(*stored);
    if (!key) {
      // Failing closed: a damaged record could otherwise bring back a key
      // that an earlier update retired.
      reason = "the key this client moved to earlier is damaged in its settings";
      return false;
    }
    trusted = *key;
  }

  std::string error;
  const std::optional<sg::ParsedSignatureFile> parsed = sg::ReadSignatureFile(*signature, error);
  if (!parsed) {
    reason = "the signature file is damaged: " + error;
    return false;
  }
  sg::PublicKey signer{};
  if (!sg::CheckServerFile(*parsed, trusted, document, signer, reason)) return false;
  // Moving to a new key needs no successful update: the old key itself
  // signed the change. A failed save is tried again by the next check,
  // which walks the same change.
  if (signer != trusted) store_.Save(sg::FormatPublicKey(signer));

  for (const sg::SignedFile& file : parsed->content.files) files_.emplace(file.path, file.digest);
  accepted_ = true;
  return true;
}

std::unique_ptr<DownloadCheck> SignedUpdateVerifier::BeginFile(std::string_view serverPath) {
  if (!accepted_)
    return std::make_unique<RefusedCheck>("the update information was not accepted");
  const auto found = files_.find(serverPath);
  if (found == files_.end())
    return std::make_unique<RefusedCheck>(std::string(serverPath) +
                                          " is not listed in the signature file");
  return std::make_unique<DigestCheck>(std::string(serverPath), found->second);
}

std::unique_ptr<UpdateVerifier> MakeRefusingVerifier(std::string reason) {
  return std::make_unique<RefusingVerifier>(std::move(reason));
}

std::unique_ptr<UpdateVerifier> MakeUpdateVerifier(const std::optional<std::string>& keyResource,
                                                   TrustedKeyStore& store) {
  if (!keyResource) return nullptr;
  const std::optional<sg::PublicKey> key = sg::ReadUpdateKeyResource(*keyResource);
  if (!key) return MakeRefusingVerifier("the client's update key resource is damaged");
  return std::make_unique<SignedUpdateVerifier>(*key, store);
}

}  // namespace tidewatch::engine
