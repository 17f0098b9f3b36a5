#include "WindowsRegistry.h"

#include <windows.h>

#include <vector>

#include "Text.h"
#include "WideText.h"

namespace tidewatch {

namespace {

using engine::Failure;

struct KeyPath {
  HKEY base = nullptr;
  std::wstring sub;
};

std::optional<KeyPath> Split(const std::u16string& key) {
  const size_t cut = key.find(u'\\');
  const std::u16string base = key.substr(0, cut);
  KeyPath path;
  if (base == u"HKEY_CLASSES_ROOT") path.base = HKEY_CLASSES_ROOT;
  else if (base == u"HKEY_CURRENT_CONFIG") path.base = HKEY_CURRENT_CONFIG;
  else if (base == u"HKEY_CURRENT_USER") path.base = HKEY_CURRENT_USER;
  else if (base == u"HKEY_LOCAL_MACHINE") path.base = HKEY_LOCAL_MACHINE;
  else if (base == u"HKEY_USERS") path.base = HKEY_USERS;
  else return std::nullopt;
  if (cut != std::u16string::npos) path.sub = ToWide(key.substr(cut + 1));
  return path;
}

class Key {
 public:
  ~Key() {
    if (h_) RegCloseKey(h_);
  }
  HKEY h_ = nullptr;
};

LSTATUS Open(const std::u16string& key, REGSAM access, Key& out) {
  const auto path = Split(key);
  if (!path) return ERROR_BAD_PATHNAME;
  return RegOpenKeyExW(path->base, path->sub.c_str(), 0, access, &out.h_);
}

LSTATUS Create(const std::u16string& key, Key& out) {
  const auto path = Split(key);
  if (!path) return ERROR_BAD_PATHNAME;
  return RegCreateKeyExW(path->base, path->sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &out.h_, nullptr);
}

Failure RegistryFailure(const char* what, const std::u16string& key, LSTATUS code) {
  return {std::string(what) + " " + engine::ToUtf8(key), static_cast<std::uint32_t>(code)};
}

std::optional<engine::RegistryValue> Query(HKEY key, const wchar_t* name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  engine::RegistryValue value{type, std::vector<std::uint8_t>(size)};
  if (RegQueryValueExW(key, name, nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  value.type = type;
  return value;
}

bool Capture(HKEY key, engine::RegistryKeySnapshot& snapshot, int depth) {
  if (depth > 64) return false;
  DWORD subkeys = 0, values = 0, longestSubkey = 0, longestName = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values, &longestName,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> name(std::max(longestName, longestSubkey) + 2);
  for (DWORD i = 0; i < values; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    const auto value = Query(key, name.data());
    if (!value) return false;
    snapshot.values.emplace_back(FromWide(std::wstring(name.data(), length)), *value);
  }
  for (DWORD i = 0; i < subkeys; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    Key child;
    if (RegOpenKeyExW(key, name.data(), 0, KEY_READ, &child.h_) != ERROR_SUCCESS) return false;
    engine::RegistryKeySnapshot sub;
    if (!Capture(child.h_, sub, depth + 1)) return false;
    snapshot.subkeys.emplace_back(FromWide(std::wstring(name.data(), length)), std::move(sub));
  }
  return true;
}

}  // namespace

bool WindowsRegistry::KeyExists(const std::u16string& key) {
  Key k;
  return Open(key, KEY_READ, k) == ERROR_SUCCESS;
}

std::optional<engine::RegistryValue> WindowsRegistry::ReadValue(const std::u16string& key, const std::u16string& name) {
  Key k;
  if (Open(key, KEY_QUERY_VALUE, k) != ERROR_SUCCESS) return std::nullopt;
  return Query(k.h_, ToWide(name).c_str());
}

bool WindowsRegistry::WriteValue(const std::u16string& key, const std::u16string& name,
                                 const engine::RegistryValue& value, Failure& failure) {
  Key k;
  LSTATUS status = Create(key, k);
  if (status == ERROR_SUCCESS)
    status = RegSetValueExW(k.h_, ToWide(name).c_str(), 0, value.type, value.data.data(),
                            static_cast<DWORD>(value.data.size()));
  if (status == ERROR_SUCCESS) return true;
  failure = RegistryFailure("could not write the value", key + u"\\" + name, status);
  return false;
}

bool WindowsRegistry::DeleteValue(const std::u16string& key, const std::u16string& name, Failure& failure) {
  Key k;
  LSTATUS status = Open(key, KEY_SET_VALUE, k);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  if (status == ERROR_SUCCESS) status = RegDeleteValueW(k.h_, ToWide(name).c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
  failure = RegistryFailure("could not delete the value", key + u"\\" + name, status);
  return false;
}

bool WindowsRegistry::CreateKey(const std::u16string& key, Failure& failure) {
  Key k;
  const LSTATUS status = Create(key, k);
  if (status == ERROR_SUCCESS) return true;
  failure = RegistryFailure("could not create the key", key, status);
  return false;
}

bool WindowsRegistry::DeleteKey(const std::u16string& key, Failure& failure) {
  const auto path = Split(key);
  if (!path || path->sub.empty()) {
    failure = RegistryFailure("will not remove the key", key, ERROR_BAD_PATHNAME);
    return false;
  }
  const LSTATUS status = RegDeleteTreeW(path->base, path->sub.c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
  failure = RegistryFailure("could not remove the key", key, status);
  return false;
}

std::optional<engine::RegistryKeySnapshot> WindowsRegistry::Snapshot(const std::u16string& key) {
  Key k;
  if (Open(key, KEY_READ, k) != ERROR_SUCCESS) return std::nullopt;
  engine::RegistryKeySnapshot snapshot;
  if (!Capture(k.h_, snapshot, 0)) return std::nullopt;
  return snapshot;
}

}  // namespace tidewatch
