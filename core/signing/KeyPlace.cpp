#include "signing/KeyPlace.h"

#include <cstdlib>

#include "text/Text.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> FromVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
#ifdef _WIN32
  // The environment's narrow form is the system code page; the path wants
  // the wide one.
  const wchar_t* wide = _wgetenv(std::wstring(name, name + std::char_traits<char>::length(name)).c_str());
  if (wide == nullptr) return std::nullopt;
  return fs::path(wide);
#else
  return fs::path(value);
#endif
}

std::string EscapedName(const WString& projectName) {
  const std::string utf8 = text::ToUtf8(projectName);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string name;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const bool edge = i == 0 || i + 1 == utf8.size();
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || ((c == ' ' || c == '.') && !edge);
    if (plain) {
      name += static_cast<char>(c);
    } else {
      name += '%';
      name += kDigits[c >> 4];
      name += kDigits[c & 0x0F];
    }
  }
  return name;
}

}  // namespace

fs::path UserConfigurationFolder() {
#ifdef _WIN32
  return FromVariable("APPDATA").value_or(fs::path());
#else
  if (auto folder = FromVariable("XDG_CONFIG_HOME"); folder && folder->is_absolute()) return *folder;
  if (auto home = FromVariable("HOME")) return *home / ".config";
  return {};
#endif
}

fs::path ProjectKeyPath(const WString& projectName) {
  const fs::path folder = UserConfigurationFolder();
  if (folder.empty()) return {};
  return folder / "Tidewell" / "keys" / fs::path(EscapedName(projectName) + ".key");
}

std::optional<fs::path> PipelineKeyPath(const WString& explicitFile) {
  if (!explicitFile.empty()) return text::ToPath(explicitFile);
  return FromVariable(kSigningKeyVariable);
}

}  // namespace tidewell
