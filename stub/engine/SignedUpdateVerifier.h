#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "TrustedKeyStore.h"
#include "UpdateVerifier.h"
#include "signing/Ed25519.h"
#include "signing/SignatureFile.h"

namespace tidewatch::engine {

// The verifier of a client that carries the publisher's key. The server
// file must come with a signature file signed by the trusted key: the one
// stored by an earlier key change, otherwise the client's own. A valid key
// change moves the trust to the new key for good, so the old key is refused
// from then on. Each downloaded file must have the size and SHA-256 the
// signature file lists under its server path.
class SignedUpdateVerifier final : public UpdateVerifier {
 public:
  SignedUpdateVerifier(const tidewell::signing::PublicKey& clientKey, TrustedKeyStore& store);

  bool AcceptServerFile(std::string_view document, const std::optional<std::string>& signature,
                        std::string& reason) override;
  std::unique_ptr<DownloadCheck> BeginFile(std::string_view serverPath) override;

 private:
  tidewell::signing::PublicKey clientKey_;
  TrustedKeyStore& store_;
  bool accepted_ = false;
  std::map<std::string, tidewell::signing::FileDigest, std::less<>> files_;
};

// A verifier that refuses every update with `reason`: the client carries a
// key resource that cannot be read, so nothing it downloads can be trusted.
std::unique_ptr<UpdateVerifier> MakeRefusingVerifier(std::string reason);

// The verifier for a client's key resource: nullptr when the client has
// none (sizes only), a refusing one when it is damaged.
std::unique_ptr<UpdateVerifier> MakeUpdateVerifier(const std::optional<std::string>& keyResource,
                                                   TrustedKeyStore& store);

}  // namespace tidewatch::engine
