#include "ClientUpdateVerifier.h"

#include <windows.h>

#include "ClientResources.h"
#include "SignedUpdateVerifier.h"
#include "WideText.h"
#include "signing/UpdateKey.h"

namespace tidewatch {

namespace {
constexpr wchar_t kValueName[] = L"TrustedUpdateKey";
// A stored key is one short line; anything longer is not ours.
constexpr DWORD kMaxValueBytes = 512;
}  // namespace

RegistryTrustedKeyStore::RegistryTrustedKeyStore(std::u16string companyName,
                                                 std::u16string appTitle)
    : subkey_(L"Software\\Tidewell\\Clients\\" + ToWide(companyName) + L"\\" + ToWide(appTitle)) {}

std::optional<std::string> RegistryTrustedKeyStore::Load() {
  wchar_t buffer[kMaxValueBytes / sizeof(wchar_t)] = {};
  DWORD size = sizeof(buffer);
  const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, subkey_.c_str(), kValueName,
                                      RRF_RT_REG_SZ, nullptr, buffer, &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  // Present but unreadable (too long, another type): handed on as damaged
  // text, so the verifier refuses rather than forgetting a key change.
  if (status != ERROR_SUCCESS) return std::string("unreadable");
  std::string text;
  for (const wchar_t* c = buffer; *c != L'\0'; ++c) {
    if (*c > 0x7F) return std::string("unreadable");
    text += static_cast<char>(*c);
  }
  return text;
}

bool RegistryTrustedKeyStore::Save(const std::string& text) {
  const std::wstring wide(text.begin(), text.end());
  return RegSetKeyValueW(HKEY_CURRENT_USER, subkey_.c_str(), kValueName, REG_SZ, wide.c_str(),
                         static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

std::unique_ptr<engine::UpdateVerifier> MakeClientUpdateVerifier(engine::TrustedKeyStore& store) {
  std::optional<std::string> resource;
  if (const auto bytes = FindOwnResource(
          MAKEINTRESOURCEW(tidewell::signing::kUpdateKeyResourceType),
          tidewell::signing::kUpdateKeyResourceId)) {
    resource.emplace(reinterpret_cast<const char*>(bytes->Data()), bytes->Size());
  }
  return engine::MakeUpdateVerifier(resource, store);
}

}  // namespace tidewatch
