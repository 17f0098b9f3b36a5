#include "Schedule.h"

#include "Text.h"
#include "UpdateRules.h"

namespace tidewatch::engine {

namespace {

constexpr std::uint32_t kRegDword = 4;

// A whole decimal number with nothing but blanks around it.
std::optional<std::int64_t> WholeNumber(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::int64_t n = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    n = n * 10 + (c - u'0');
  }
  return n;
}

}  // namespace

CheckSchedule ReadCheckSchedule(std::u16string_view text) {
  CheckSchedule schedule;
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  const size_t blank = text.find(u' ');
  const auto every = WholeNumber(text.substr(0, blank));
  if (every && *every >= 1) schedule.everyNthStart = static_cast<std::uint32_t>(*every);
  if (blank != std::u16string_view::npos) {
    const auto reprompt = WholeNumber(text.substr(blank + 1));
    schedule.waitForNextVersion = reprompt && *reprompt == 1;
  }
  return schedule;
}

StartDecision DecideStart(std::u16string_view argument, std::u16string_view checkNowTag,
                          const CheckSchedule& schedule, std::optional<std::uint32_t> storedStarts) {
  if (!checkNowTag.empty() && argument == checkNowTag) return {true, std::nullopt};
  const std::uint32_t every = schedule.everyNthStart < 1 ? 1 : schedule.everyNthStart;
  if (every == 1) return {true, std::nullopt};
  const std::uint64_t starts = static_cast<std::uint64_t>(storedStarts.value_or(0)) + 1;
  if (starts >= every) return {true, 0};
  return {false, static_cast<std::uint32_t>(starts)};
}

bool IsDeclined(std::u16string_view updateVersion, std::u16string_view declinedVersion) {
  if (declinedVersion.empty()) return false;
  return !IsLaterVersion(updateVersion, declinedVersion);
}

std::optional<std::uint32_t> ReadStarts(Registry& registry, const std::u16string& stateKey) {
  const auto value = registry.ReadValue(stateKey, u"Starts");
  if (!value || value->type != kRegDword || value->data.size() != 4) return std::nullopt;
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | value->data[static_cast<size_t>(i)];
  return n;
}

bool WriteStarts(Registry& registry, const std::u16string& stateKey, std::uint32_t starts, Failure& failure) {
  RegistryValue value{kRegDword, {}};
  for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(starts >> (8 * i)));
  return registry.WriteValue(stateKey, u"Starts", value, failure);
}

}  // namespace tidewatch::engine
