#include "build/SettingAssignment.h"

#include <array>

#include "build/ClientBehaviours.h"
#include "build/ReleasePanes.h"
#include "text/Text.h"

namespace tidewell {

namespace {

constexpr std::array<std::u16string_view, 9> kFlagNames = {
    u"ShowInstallComplete", u"ShowUpdateNotNeeded", u"ShowLicense",
    u"ShowReason",          u"ShowSilentFinished",  u"ShowWelcome",
    u"WarnOnExit",          u"AllowDisplayOfErrors", u"AutomaticRestart",
};

std::optional<int> FlagFromName(std::u16string_view key) {
  constexpr std::u16string_view kNamedPrefix = u"flag.";
  constexpr std::u16string_view kNumberedPrefix = u"flag";
  if (key.size() > kNamedPrefix.size() &&
      text::EqualsNoCase(key.substr(0, kNamedPrefix.size()), kNamedPrefix)) {
    const std::u16string_view name = key.substr(kNamedPrefix.size());
    for (size_t i = 0; i < kFlagNames.size(); ++i)
      if (text::EqualsNoCase(name, kFlagNames[i])) return static_cast<int>(i);
    return std::nullopt;
  }
  if (key.size() > kNumberedPrefix.size() && key.size() <= kNumberedPrefix.size() + 2 &&
      text::EqualsNoCase(key.substr(0, kNumberedPrefix.size()), kNumberedPrefix)) {
    int number = 0;
    for (char16_t c : key.substr(kNumberedPrefix.size())) {
      if (c < u'0' || c > u'9') return std::nullopt;
      number = number * 10 + (c - u'0');
    }
    if (number < kFlagCount) return number;
  }
  return std::nullopt;
}

std::optional<bool> OnOff(std::u16string_view value) {
  for (std::u16string_view on : {u"on", u"true", u"yes", u"1"})
    if (text::EqualsNoCase(value, on)) return true;
  for (std::u16string_view off : {u"off", u"false", u"no", u"0"})
    if (text::EqualsNoCase(value, off)) return false;
  return std::nullopt;
}

std::optional<SettingKey> SettingFromName(std::u16string_view name) {
  SettingKey key;
  if (ProjectSettings::KeyFromName(name, key)) return key;
  for (int i = 0; i < kSettingCount; ++i) {
    const auto candidate = static_cast<SettingKey>(i);
    const WString keyName = ProjectSettings::KeyName(candidate);
    if (!keyName.empty() && text::EqualsNoCase(keyName, name)) return candidate;
  }
  return std::nullopt;
}

const FieldId kUpdateTypeField = "clientBehaviours.updateType";
const FieldId kFrequencyField = "clientBehaviours.frequency";
const FieldId kRepromptField = "clientBehaviours.reprompt";

// A choice of a drop-down list given by its label (without regard to case)
// or, for the lists stored as positions, by its position.
template <size_t N>
std::optional<size_t> Choice(const std::array<std::u16string_view, N>& labels,
                             std::u16string_view value, bool byPosition) {
  for (size_t i = 0; i < N; ++i)
    if (text::EqualsNoCase(value, labels[i])) return i;
  if (byPosition && value.size() == 1 && value[0] >= u'0' && value[0] < u'0' + N)
    return static_cast<size_t>(value[0] - u'0');
  return std::nullopt;
}

template <size_t N>
WString ChoiceList(const std::array<std::u16string_view, N>& labels) {
  WString list;
  for (size_t i = 0; i < N; ++i) {
    if (i) list += i + 1 == N ? u" or " : u", ";
    list += u"\"";
    list += labels[i];
    list += u"\"";
  }
  return list;
}

// The client behaviours page's rules for a value set by name: the lists take
// only their own choices, and a message text holds at most 1024 characters.
// False, after the refusal at the field, when the value cannot be stored.
bool StoreClientBehaviourSetting(ProjectSettings& staged, SettingKey key, const WString& value,
                                 Prompt& prompt) {
  auto refuse = [&](const FieldId& field, const WString& message) {
    prompt.ShowBalloon(field, kInvalidParametersCaption, message, MessageIcon::Error);
    return false;
  };
  if (MessageRowOfKey(key)) {
    if (ValidateAndStoreMessageText(staged, key, value) == MessageTextResult::TooLong)
      return refuse(kMessageListField, kMessageTextTooLongMessage);
    return true;
  }
  switch (key) {
    case SettingKey::UpdateType: {
      const auto choice = Choice(kUpdateTypes, value, false);
      if (!choice) return refuse(kUpdateTypeField, u"The update type is one of " + ChoiceList(kUpdateTypes) + u".");
      staged.SetSetting(key, WString(kUpdateTypes[*choice]));
      return true;
    }
    case SettingKey::Frequency:
    case SettingKey::Reprompt: {
      const bool frequency = key == SettingKey::Frequency;
      const auto choice = frequency ? Choice(kFrequencyChoices, value, true)
                                    : Choice(kRepromptChoices, value, true);
      if (!choice)
        return refuse(frequency ? kFrequencyField : kRepromptField,
                      (frequency ? u"The check frequency is one of " + ChoiceList(kFrequencyChoices)
                                 : u"The reprompt rule is one of " + ChoiceList(kRepromptChoices)) +
                          u", or its position from 0.");
      staged.SetSetting(key, text::FormatDecimal(static_cast<int64_t>(*choice)));
      return true;
    }
    default:
      staged.SetSetting(key, value);
      return true;
  }
}

bool IsFileConfigurationKey(SettingKey key) {
  return key == SettingKey::ClientExe || key == SettingKey::CheckNow ||
         key == SettingKey::ClientXML;
}

bool IsVersionKey(SettingKey key) {
  return key == SettingKey::AppVersion || key == SettingKey::UpdateVersion;
}

}  // namespace

std::optional<SettingAssignment> ParseSettingAssignment(std::u16string_view text, WString* error) {
  auto fail = [error](WString why) -> std::optional<SettingAssignment> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const size_t equals = text.find(u'=');
  if (equals == std::u16string_view::npos) return fail(u"Expected KEY=VALUE: " + WString(text));
  const std::u16string_view key = text.substr(0, equals);
  const std::u16string_view value = text.substr(equals + 1);

  SettingAssignment assignment;
  if (text::EqualsNoCase(key, u"Settings")) {
    assignment.kind = SettingAssignment::Kind::FlagMask;
    assignment.value = WString(value);
    return assignment;
  }
  if (const auto flag = FlagFromName(key)) {
    const auto on = OnOff(value);
    if (!on) return fail(u"A flag is on or off, not " + WString(value) + u": " + WString(text));
    assignment.kind = SettingAssignment::Kind::Flag;
    assignment.flag = *flag;
    assignment.on = *on;
    return assignment;
  }
  const auto setting = SettingFromName(key);
  if (!setting) return fail(u"Unknown setting: " + WString(key));
  if (*setting == SettingKey::ProjName && value.empty())
    return fail(u"ProjName cannot be empty: a project without a name cannot be saved.");
  assignment.kind = SettingAssignment::Kind::Setting;
  assignment.key = *setting;
  assignment.value = WString(value);
  return assignment;
}

std::vector<WString> FlagSpellings() {
  std::vector<WString> spellings;
  for (size_t i = 0; i < kFlagNames.size(); ++i)
    spellings.push_back(u"flag." + WString(kFlagNames[i]) + u" (Flag" +
                        text::FormatDecimal(static_cast<int64_t>(i)) + u")");
  return spellings;
}

bool ApplySettingAssignments(ProjectSettings& settings,
                             const std::vector<SettingAssignment>& assignments, Prompt& prompt) {
  // Everything happens on a copy that replaces the settings only when no
  // rule refused.
  ProjectSettings staged = settings;
  ReleasePanes panes(staged, prompt);
  panes.LoadFromSettings();
  bool fileTouched = false, versionTouched = false, pageRefused = false;
  for (const SettingAssignment& a : assignments) {
    switch (a.kind) {
      case SettingAssignment::Kind::FlagMask:
        staged.SetFlagsFromMask(a.value);
        break;
      case SettingAssignment::Kind::Flag:
        staged.SetFlag(a.flag, a.on);
        break;
      case SettingAssignment::Kind::Setting:
        switch (a.key) {
          case SettingKey::ClientExe: panes.file.fields.clientExe = a.value; break;
          case SettingKey::CheckNow: panes.file.fields.checkNow = a.value; break;
          case SettingKey::ClientXML: panes.file.fields.clientXml = a.value; break;
          case SettingKey::AppVersion: panes.version.fields.appVersion = a.value; break;
          case SettingKey::UpdateVersion: panes.version.fields.updateVersion = a.value; break;
          default:
            if (!StoreClientBehaviourSetting(staged, a.key, a.value, prompt)) pageRefused = true;
            break;
        }
        fileTouched = fileTouched || IsFileConfigurationKey(a.key);
        versionTouched = versionTouched || IsVersionKey(a.key);
        break;
    }
  }
  bool invalid = pageRefused;
  if (fileTouched) invalid = panes.file.ValidateAndStore(true) || invalid;
  if (versionTouched) invalid = panes.version.ValidateAndStore(true) || invalid;
  if (invalid) return false;
  settings = staged;
  return true;
}

}  // namespace tidewell
