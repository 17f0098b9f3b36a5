#include "project/AutoShowLoad.h"

#include "project/Preferences.h"

namespace tidewell {

namespace {
constexpr std::u16string_view kAutoShowLoadValue = u"AutoShowLoad";
}

bool ReadAutoShowLoad(const Preferences& preferences) {
  const std::optional<int32_t> value = preferences.ReadNumber({}, kAutoShowLoadValue);
  return !value || *value != 0;
}

void WriteAutoShowLoad(Preferences& preferences, bool show) {
  preferences.WriteNumber({}, kAutoShowLoadValue, show ? 1 : 0);
}

}  // namespace tidewell
