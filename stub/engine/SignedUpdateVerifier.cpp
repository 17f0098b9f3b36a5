#include "SignedUpdateVerifier.h"

#include "signing/Hex.h"
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
  std::optional<std::uint64_t> Size() const override { return expected_.size; }

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

SignedUpdateVerifier::SignedUpdateVerifier(const sg::PublicKey& clientKey, sg::SignedProduct product,
                                           KeyChangeStore& store)
    : clientKey_(clientKey), product_(std::move(product)), store_(store) {}

bool SignedUpdateVerifier::AcceptServerFile(std::string_view document,
                                            const std::optional<std::string>& signature,
                                            std::string& reason) {
  accepted_ = false;
  files_.clear();
  if (!signature) {
    reason = "the update information has no signature file";
    return false;
  }
  FollowedKeyChanges followed;
  if (const std::optional<std::string> stored = store_.Load()) {
    std::optional<FollowedKeyChanges> read = ReadFollowedKeyChanges(*stored);
    if (!read) {
      // Failing closed: a damaged record could otherwise bring back a key
      // that an earlier update retired.
      reason = "the key changes this client followed earlier are damaged in its settings";
      return false;
    }
    followed = std::move(*read);
  }

  std::string error;
  const std::optional<sg::ParsedSignatureFile> parsed = sg::ReadSignatureFile(*signature, error);
  if (!parsed) {
    reason = "the signature file is damaged: " + error;
    return false;
  }
  // Signature files of earlier tools name no product. They are refused: the
  // client cannot know whether its key signed other products' files, and one
  // build of the server file by this tool names it.
  if (!parsed->content.product) {
    reason = "the signature file names no product (it was made by an earlier tool; build the server file again)";
    return false;
  }
  if (*parsed->content.product != product_) {
    reason = "the signature file is for another product (" + parsed->content.product->company + ", " +
             parsed->content.product->application + ") than this client's (" + product_.company + ", " +
             product_.application + ")";
    return false;
  }
  std::vector<sg::PublicKey> path;
  if (!sg::CheckServerFile(*parsed, clientKey_, document, path, reason)) return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto moved = followed.find(path[i]);
    if (moved == followed.end()) continue;
    if (i + 1 == path.size()) {
      reason = "the update is signed by the key " + sg::Fingerprint(path[i]) +
               ", which this client no longer accepts: an earlier update moved it to the key " +
               sg::Fingerprint(moved->second);
      return false;
    }
    if (path[i + 1] != moved->second) {
      reason = "the key " + sg::Fingerprint(path[i]) + " was moved to the key " + sg::Fingerprint(moved->second) +
               " by an earlier update, not to the key " + sg::Fingerprint(path[i + 1]);
      return false;
    }
  }
  // Moving to a new key needs no successful update: the old key itself
  // signed the change. A failed save is tried again by the next check,
  // which walks the same changes.
  bool learned = false;
  for (std::size_t i = 0; i + 1 < path.size(); ++i) learned |= followed.emplace(path[i], path[i + 1]).second;
  if (learned) store_.Save(WriteFollowedKeyChanges(followed));

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

std::optional<FollowedKeyChanges> ReadFollowedKeyChanges(std::string_view text) {
  FollowedKeyChanges changes;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    sg::PublicKey from{}, to{};
    constexpr std::size_t kDigits = 2 * sizeof from;
    if (line.size() != 2 * kDigits + 1 || line[kDigits] != ' ' || !sg::FromHex(line.substr(0, kDigits), from) ||
        !sg::FromHex(line.substr(kDigits + 1), to) || from == to || !changes.emplace(from, to).second)
      return std::nullopt;
  }
  return changes;
}

std::string WriteFollowedKeyChanges(const FollowedKeyChanges& changes) {
  std::string text;
  for (const auto& [from, to] : changes) text += sg::ToHex(from) + ' ' + sg::ToHex(to) + '\n';
  return text;
}

std::unique_ptr<UpdateVerifier> MakeRefusingVerifier(std::string reason) {
  return std::make_unique<RefusingVerifier>(std::move(reason));
}

std::unique_ptr<UpdateVerifier> MakeUpdateVerifier(const std::optional<std::string>& keyResource,
                                                   sg::SignedProduct product, KeyChangeStore& store) {
  if (!keyResource) return nullptr;
  const std::optional<sg::PublicKey> key = sg::ReadUpdateKeyResource(*keyResource);
  if (!key) return MakeRefusingVerifier("the client's update key resource is damaged");
  return std::make_unique<SignedUpdateVerifier>(*key, std::move(product), store);
}

}  // namespace tidewatch::engine
