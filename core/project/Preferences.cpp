#include "project/Preferences.h"

namespace tidewell {

std::optional<int32_t> MemoryPreferences::ReadNumber(std::u16string_view group,
                                                     std::u16string_view name) const {
  const auto it = values_.find({WString(group), WString(name)});
  if (it == values_.end() || !std::holds_alternative<int32_t>(it->second)) return std::nullopt;
  return std::get<int32_t>(it->second);
}

std::optional<WString> MemoryPreferences::ReadText(std::u16string_view group,
                                                   std::u16string_view name) const {
  const auto it = values_.find({WString(group), WString(name)});
  if (it == values_.end() || !std::holds_alternative<WString>(it->second)) return std::nullopt;
  return std::get<WString>(it->second);
}

bool MemoryPreferences::WriteNumber(std::u16string_view group, std::u16string_view name,
                                    int32_t value) {
  values_[{WString(group), WString(name)}] = value;
  return true;
}

bool MemoryPreferences::WriteText(std::u16string_view group, std::u16string_view name,
                                  const WString& value) {
  values_[{WString(group), WString(name)}] = value;
  return true;
}

bool MemoryPreferences::Remove(std::u16string_view group, std::u16string_view name) {
  values_.erase({WString(group), WString(name)});
  return true;
}

}  // namespace tidewell
