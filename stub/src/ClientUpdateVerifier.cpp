#include "ClientUpdateVerifier.h"

#include <windows.h>

#include <vector>

#include "ClientResources.h"
#include "SignedUpdateVerifier.h"
#include "Text.h"
#include "WideText.h"
#include "signing/UpdateKey.h"

namespace tidewatch {

namespace {
// One string per key change followed: "<old key> <new key>". The value
// `TrustedUpdateKey` that earlier clients kept here is never read: any
// program the user runs can write this key, so nothing in it may let a key in.
constexpr wchar_t kValueName[] = L"RetiredUpdateKeys";
// A change is one short line; far more than a publisher ever makes.
constexpr DWORD kMaxValueBytes = 64 * 1024;
}  // namespace

RegistryKeyChangeStore::RegistryKeyChangeStore(std::u16string companyName, std::u16string appTitle)
    : subkey_(L"Software\\Tidewell\\Clients\\" + ToWide(companyName) + L"\\" + ToWide(appTitle)) {}

std::optional<std::string> RegistryKeyChangeStore::Load() {
  std::vector<wchar_t> buffer(kMaxValueBytes / sizeof(wchar_t) + 2, L'\0');
  DWORD size = kMaxValueBytes;
  const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, subkey_.c_str(), kValueName,
                                      RRF_RT_REG_MULTI_SZ, nullptr, buffer.data(), &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  // Present but unreadable (too long, another type): handed on as damaged
  // text, so the verifier refuses rather than forgetting a key change.
  if (status != ERROR_SUCCESS) return std::string("unreadable");
  std::string text;
  for (const wchar_t* c = buffer.data(); *c != L'\0'; ++c) {
    for (; *c != L'\0'; ++c) {
      if (*c > 0x7F || *c == L'\n') return std::string("unreadable");
      text += static_cast<char>(*c);
    }
    text += '\n';
  }
  return text;
}

bool RegistryKeyChangeStore::Save(const std::string& text) {
  // Each line's LF ends its string; one more NUL ends the list.
  std::wstring strings;
  for (const char c : text) strings += c == '\n' ? L'\0' : static_cast<wchar_t>(c);
  strings += L'\0';
  return RegSetKeyValueW(HKEY_CURRENT_USER, subkey_.c_str(), kValueName, REG_MULTI_SZ, strings.data(),
                         static_cast<DWORD>(strings.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::unique_ptr<engine::UpdateVerifier> MakeClientUpdateVerifier(const engine::ClientSettings& settings,
                                                                 engine::KeyChangeStore& store) {
  std::optional<std::string> resource;
  if (const auto bytes = FindOwnResource(
          MAKEINTRESOURCEW(tidewell::signing::kUpdateKeyResourceType),
          tidewell::signing::kUpdateKeyResourceId)) {
    resource.emplace(reinterpret_cast<const char*>(bytes->Data()), bytes->Size());
  }
  return engine::MakeUpdateVerifier(
      resource, {engine::ToUtf8(settings.companyName), engine::ToUtf8(settings.appTitle)}, store);
}

}  // namespace tidewatch
