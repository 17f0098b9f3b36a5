#include "project/ProjectSettings.h"

#include "text/Text.h"

namespace tidewell {

namespace {

struct KeyInfo {
  const char16_t* name;
  const char16_t* defaultValue;
};

constexpr const char16_t* kDefaultWelcome =
    u"Hi %Login%,\r\n\r\nAn update is now available!\r\n\r\n"
    u"To update the application to the latest version click 'Next'. You can leave the update at "
    u"any time by clicking 'Cancel'.\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
    u"WARNING: This program is protected by copyright law. Unauthorized reproduction or "
    u"distribution may result in civil and criminal penalties which will be dealt with to the "
    u"maximum extent of the law.";

constexpr KeyInfo kKeys[kSettingCount] = {
    {u"ProjName", u""},
    {u"UpdateFilesDir", u""},
    {u"Executable", u"ApplicationExecutable.exe"},
    {u"HTTPLocationFiles", u"http://updates.example.com/AppUpdates"},
    {u"HTTPLocationXML", u"http://updates.example.com/AppUpdates/UpdateFile.xml"},
    {u"AppVersion", u""},
    {u"Frequency", u"0"},
    {u"Reprompt", u"0"},
    {u"Notes", u"Notes relevant to current build"},
    {u"ClientXML", u"UpdateConfig.xml"},
    {u"ClientExe", u"Tidewatcher.exe"},
    {u"CheckNow", u"CheckNow"},
    {u"", u""},
    {u"", u""},
    {u"CompanyName", u"My Company"},
    {u"AppTitle", u"My Application Title"},
    {u"InstallComplete", u""},
    {u"UpdateNotNeeded", u""},
    {u"License", u""},
    {u"Reason", u""},
    {u"SilentFinished", u""},
    {u"Welcome", kDefaultWelcome},
    {u"", u""},
    {u"UpdateVersion", u""},
    {u"UpdateType", u"Normal"},
    {u"Shell", u""},
    {u"", u""},
    {u"", u""},
    {u"", u""},
    {u"", u""},
};

constexpr int32_t kDefaultMask = 32;  // only "show Welcome" on

}  // namespace

void BehaviourFlags::Reset() {
  for (int i = 0; i < kFlagCount; ++i) flags_[i] = (kDefaultMask >> i) & 1;
}

bool BehaviourFlags::GetFlag(int index) const {
  return index >= 0 && index < kFlagCount && flags_[index] != 0;
}

void BehaviourFlags::SetFlag(int index, bool on) {
  if (index >= 0 && index < kFlagCount) flags_[index] = on ? 1 : 0;
}

WString BehaviourFlags::FlagMask() const {
  int32_t mask = 0;
  for (int i = 0; i < kFlagCount; ++i)
    if (flags_[i] != 0) mask |= 1 << i;
  return text::FormatDecimal(mask);
}

void BehaviourFlags::SetFlagsFromMask(std::u16string_view maskText) {
  const int32_t mask = text::ParseDecimal(maskText);
  for (int i = 0; i < kFlagCount; ++i) flags_[i] = (mask >> i) & 1;
}

WString NormaliseLineBreaks(std::u16string_view value) {
  return text::ReplaceAll(text::ReplaceAll(value, u"\r\n", u"\n"), u"\n", u"\r\n");
}

WString ProjectSettings::GetSetting(SettingKey key) const {
  return NormaliseLineBreaks(values_[Index(key)]);
}

std::pair<WString, WString> ProjectSettings::GetRawSetting(SettingKey key) const {
  return {KeyName(key), values_[Index(key)]};
}

void ProjectSettings::SetSetting(SettingKey key, WString value) {
  if (KeyName(key).empty()) return;  // reserved slots stay empty
  values_[Index(key)] = std::move(value);
}

WString ProjectSettings::KeyName(SettingKey key) { return kKeys[Index(key)].name; }

WString ProjectSettings::DefaultValue(SettingKey key) { return kKeys[Index(key)].defaultValue; }

bool ProjectSettings::KeyFromName(std::u16string_view name, SettingKey& key) {
  if (name.empty()) return false;
  for (int i = 0; i < kSettingCount; ++i) {
    if (name == kKeys[i].name) {
      key = static_cast<SettingKey>(i);
      return true;
    }
  }
  return false;
}

void ProjectSettings::ResetSettings() {
  for (int i = 0; i < kSettingCount; ++i) values_[i] = kKeys[i].defaultValue;
  flags_.Reset();
}

}  // namespace tidewell
