#include "build/BuildSummaryPane.h"

#include "project/ProjectSettings.h"

namespace tidewell {

namespace {

WString OrNotSpecified(WString value) { return value.empty() ? kNotSpecifiedText : value; }

}  // namespace

void BuildSummaryPane::LoadFromSettings() {
  fields.appVersion = OrNotSpecified(settings_.GetSetting(SettingKey::AppVersion));
  fields.updateVersion = OrNotSpecified(settings_.GetSetting(SettingKey::UpdateVersion));
}

}  // namespace tidewell
