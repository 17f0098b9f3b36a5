#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "KeyChangeStore.h"
#include "UpdateVerifier.h"
#include "signing/Ed25519.h"
#include "signing/SignatureFile.h"

namespace tidewatch::engine {

// The verifier of a client that carries the publisher's key. The key built
// into the client is the only root of trust: the server file must come with
// a signature file for this client's product, signed by that key or by a
// key reached from it through the file's key changes, each signed by the key
// before it, checked from the root on every run. The key changes followed
// are kept per user (KeyChangeStore) only to refuse from then on what an
// old key signs; nothing kept there lets a key in. Each downloaded file must
// have the size and SHA-256 the signature file lists under its server path.
class SignedUpdateVerifier final : public UpdateVerifier {
 public:
  SignedUpdateVerifier(const tidewell::signing::PublicKey& clientKey,
                       tidewell::signing::SignedProduct product, KeyChangeStore& store);

  bool AcceptServerFile(std::string_view document, const std::optional<std::string>& signature,
                        std::string& reason) override;
  std::unique_ptr<DownloadCheck> BeginFile(std::string_view serverPath) override;

 private:
  tidewell::signing::PublicKey clientKey_;
  tidewell::signing::SignedProduct product_;
  KeyChangeStore& store_;
  bool accepted_ = false;
  std::map<std::string, tidewell::signing::FileDigest, std::less<>> files_;
};

// The key changes a client followed, as KeyChangeStore keeps them; nullopt
// when the text is not exactly that.
using FollowedKeyChanges = std::map<tidewell::signing::PublicKey, tidewell::signing::PublicKey>;
std::optional<FollowedKeyChanges> ReadFollowedKeyChanges(std::string_view text);
std::string WriteFollowedKeyChanges(const FollowedKeyChanges& changes);

// A verifier that refuses every update with `reason`: the client carries a
// key resource that cannot be read, so nothing it downloads can be trusted.
std::unique_ptr<UpdateVerifier> MakeRefusingVerifier(std::string reason);

// The verifier for a client's key resource and product (its strings 5 and 4,
// UTF-8): nullptr when the client has none (it then accepts only https://
// and checks sizes), a refusing one when it is damaged.
std::unique_ptr<UpdateVerifier> MakeUpdateVerifier(const std::optional<std::string>& keyResource,
                                                   tidewell::signing::SignedProduct product,
                                                   KeyChangeStore& store);

}  // namespace tidewatch::engine
