#pragma once

#include <memory>
#include <optional>
#include <string>

#include "KeyChangeStore.h"
#include "UpdateRun.h"
#include "UpdateVerifier.h"

namespace tidewatch {

// The key changes this client followed, kept per user in the value
// `RetiredUpdateKeys` (REG_MULTI_SZ) of
// HKCU\Software\Tidewell\Clients\<CompanyName>\<AppTitle>.
class RegistryKeyChangeStore final : public engine::KeyChangeStore {
 public:
  RegistryKeyChangeStore(std::u16string companyName, std::u16string appTitle);
  std::optional<std::string> Load() override;
  bool Save(const std::string& text) override;

 private:
  std::wstring subkey_;
};

// The verifier for this client's own key resource (RCDATA 300) and product
// (strings 5 and 4): nullptr when the client carries no key, so that only
// sizes are checked.
std::unique_ptr<engine::UpdateVerifier> MakeClientUpdateVerifier(const engine::ClientSettings& settings,
                                                                 engine::KeyChangeStore& store);

}  // namespace tidewatch
