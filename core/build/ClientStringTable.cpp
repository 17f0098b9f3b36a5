#include "build/ClientStringTable.h"

#include <limits>

#include "content/VariableList.h"
#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace tidewell {

namespace {

WString TrueFalse(bool on) { return on ? u"True" : u"False"; }

void AppendU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

}  // namespace

ClientStringTable ClientStringTable::FromSettings(const ProjectSettings& settings,
                                                  const VariableList& variables) {
  ClientStringTable table;
  auto set = [&table](ClientString which, WString value) {
    table.Set(static_cast<size_t>(which), std::move(value));
  };
  set(ClientString::Executable, settings.GetSetting(SettingKey::Executable));
  set(ClientString::HTTPLocationXML,
      variables.ExpandVariables(settings.GetSetting(SettingKey::HTTPLocationXML)));
  set(ClientString::HTTPLocationFiles, settings.GetSetting(SettingKey::HTTPLocationFiles));
  set(ClientString::AppTitle, settings.GetSetting(SettingKey::AppTitle));
  set(ClientString::CompanyName, settings.GetSetting(SettingKey::CompanyName));
  set(ClientString::DisplayErrors, TrueFalse(settings.GetFlag(BehaviourFlag::AllowDisplayOfErrors)));
  set(ClientString::CheckSchedule, CheckSchedule(settings.GetSetting(SettingKey::Frequency),
                                                 settings.GetSetting(SettingKey::Reprompt)));
  set(ClientString::WarnOnExit, TrueFalse(settings.GetFlag(BehaviourFlag::WarnOnExit)));
  set(ClientString::AppVersion, settings.GetSetting(SettingKey::AppVersion));
  set(ClientString::CheckNow, settings.GetSetting(SettingKey::CheckNow));
  return table;
}

signing::SignedProduct SignedProductOf(const ProjectSettings& settings) {
  return {text::ToUtf8(settings.GetSetting(SettingKey::CompanyName)),
          text::ToUtf8(settings.GetSetting(SettingKey::AppTitle))};
}

std::optional<std::string> ClientStringTable::Encode() const {
  size_t size = 0;
  for (const WString& s : strings_) {
    if (s.size() > std::numeric_limits<uint16_t>::max()) return std::nullopt;
    size += 2 + 2 * s.size();
  }
  std::string bytes;
  bytes.reserve(size);
  for (const WString& s : strings_) {
    AppendU16(bytes, static_cast<uint16_t>(s.size()));
    for (char16_t c : s) AppendU16(bytes, static_cast<uint16_t>(c));
  }
  return bytes;
}

WString CheckSchedule(std::u16string_view frequency, std::u16string_view reprompt) {
  const int64_t repromptValue = text::ParseDecimal(reprompt);
  // The sum is taken in 64 bits: a frequency at the top of the 32-bit range
  // must not wrap round.
  const int64_t first = repromptValue != 0 ? 1 : int64_t{text::ParseDecimal(frequency)} + 1;
  const int64_t second = repromptValue != 0 ? repromptValue : 0;
  return text::FormatDecimal(first) + u" " + text::FormatDecimal(second);
}

}  // namespace tidewell
