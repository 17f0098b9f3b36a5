#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "text/WString.h"

namespace tidewell {

// The 30 settings in table order; the index fixes the line order of both
// documents. Reserved slots have no key name and are never read or written.
enum class SettingKey : int {
  ProjName = 0,
  UpdateFilesDir = 1,
  Executable = 2,
  HTTPLocationFiles = 3,
  HTTPLocationXML = 4,
  AppVersion = 5,
  Frequency = 6,
  Reprompt = 7,
  Notes = 8,
  ClientXML = 9,
  ClientExe = 10,
  CheckNow = 11,
  Reserved12 = 12,
  Reserved13 = 13,
  CompanyName = 14,
  AppTitle = 15,
  InstallComplete = 16,
  UpdateNotNeeded = 17,
  License = 18,
  Reason = 19,
  SilentFinished = 20,
  Welcome = 21,
  Reserved22 = 22,
  UpdateVersion = 23,
  UpdateType = 24,
  Shell = 25,
  Reserved26 = 26,
  Reserved27 = 27,
  Reserved28 = 28,
  Reserved29 = 29,
};

inline constexpr int kSettingCount = 30;
inline constexpr int kFlagCount = 15;

// Indexes of the behaviour flags that have a meaning of their own.
enum class BehaviourFlag : int {
  ShowInstallComplete = 0,
  ShowUpdateNotNeeded = 1,
  ShowLicense = 2,
  ShowReason = 3,
  ShowSilentFinished = 4,
  ShowWelcome = 5,
  WarnOnExit = 6,
  AllowDisplayOfErrors = 7,
  AutomaticRestart = 8,
};

// Fifteen on/off values stored together as one decimal bit mask.
class BehaviourFlags {
 public:
  BehaviourFlags() { Reset(); }
  void Reset();
  bool GetFlag(int index) const;
  void SetFlag(int index, bool on);
  bool GetFlag(BehaviourFlag flag) const { return GetFlag(static_cast<int>(flag)); }
  void SetFlag(BehaviourFlag flag, bool on) { SetFlag(static_cast<int>(flag), on); }
  // The mask as decimal text: bit i set when flag i is on.
  WString FlagMask() const;
  // The C library's decimal conversion of `text`; flag i on when bit i is set.
  void SetFlagsFromMask(std::u16string_view text);

 private:
  std::array<int32_t, kFlagCount> flags_{};
};

// The fixed table of named text values of a project, with the flags.
class ProjectSettings {
 public:
  ProjectSettings() { ResetSettings(); }

  // The value with every line break as CR LF (a lone CR stays as it is).
  WString GetSetting(SettingKey key) const;
  // The key name and the value exactly as held.
  std::pair<WString, WString> GetRawSetting(SettingKey key) const;
  const WString& RawValue(SettingKey key) const { return values_[Index(key)]; }
  void SetSetting(SettingKey key, WString value);
  static WString KeyName(SettingKey key);
  static WString DefaultValue(SettingKey key);
  // The key whose name equals `name` exactly, if any.
  static bool KeyFromName(std::u16string_view name, SettingKey& key);
  void ResetSettings();

  bool GetFlag(int index) const { return flags_.GetFlag(index); }
  void SetFlag(int index, bool on) { flags_.SetFlag(index, on); }
  bool GetFlag(BehaviourFlag flag) const { return flags_.GetFlag(flag); }
  void SetFlag(BehaviourFlag flag, bool on) { flags_.SetFlag(flag, on); }
  WString FlagMask() const { return flags_.FlagMask(); }
  void SetFlagsFromMask(std::u16string_view text) { flags_.SetFlagsFromMask(text); }
  const BehaviourFlags& Flags() const { return flags_; }

 private:
  static size_t Index(SettingKey key) { return static_cast<size_t>(key); }
  std::array<WString, kSettingCount> values_;
  BehaviourFlags flags_;
};

// Every line break becomes CR LF: CR LF pairs to LF first, then LF to CR LF.
WString NormaliseLineBreaks(std::u16string_view text);

}  // namespace tidewell
