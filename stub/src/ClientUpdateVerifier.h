#pragma once

#include <memory>
#include <optional>
#include <string>

#include "TrustedKeyStore.h"
#include "UpdateVerifier.h"

namespace tidewatch {

// The key this client moved to through a key change, kept per user in the
// value `TrustedUpdateKey` (REG_SZ) of
// HKCU\Software\Tidewell\Clients\<CompanyName>\<AppTitle>.
class RegistryTrustedKeyStore final : public engine::TrustedKeyStore {
 public:
  RegistryTrustedKeyStore(std::u16string companyName, std::u16string appTitle);
  std::optional<std::string> Load() override;
  bool Save(const std::string& text) override;

 private:
  std::wstring subkey_;
};

// The verifier for this client's own key resource (RCDATA 300): nullptr when
// the client carries no key, so that only sizes are checked.
std::unique_ptr<engine::UpdateVerifier> MakeClientUpdateVerifier(engine::TrustedKeyStore& store);

}  // namespace tidewatch
