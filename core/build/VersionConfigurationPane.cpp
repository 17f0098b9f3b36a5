#include "build/VersionConfigurationPane.h"

#include "build/VersionValue.h"
#include "project/ProjectSettings.h"

namespace tidewell {

void VersionConfigurationPane::LoadFromSettings() {
  fields.appVersion = settings_.GetSetting(SettingKey::AppVersion);
  fields.updateVersion = settings_.GetSetting(SettingKey::UpdateVersion);
}

bool VersionConfigurationPane::ValidateAndStore(bool showBalloon) {
  const double update = VersionValue(fields.updateVersion);
  const double application = VersionValue(fields.appVersion);
  const bool hasUpdate = !fields.updateVersion.empty();
  const bool hasApplication = !fields.appVersion.empty();

  const FieldId* field = nullptr;
  const WString* message = nullptr;
  if (hasUpdate && update == 0) {
    field = &kUpdateVersionField;
    message = &kVersionFormatMessage;
  } else if (hasApplication && application == 0) {
    field = &kAppVersionField;
    message = &kVersionFormatMessage;
  } else if (hasUpdate && hasApplication && update <= application) {
    field = &kUpdateVersionField;
    message = &kVersionOrderMessage;
  }
  if (field) {
    if (showBalloon)
      prompt_.ShowBalloon(*field, kInvalidParametersCaption, *message, MessageIcon::Error);
    return true;
  }
  settings_.SetSetting(SettingKey::UpdateVersion, fields.updateVersion);
  settings_.SetSetting(SettingKey::AppVersion, fields.appVersion);
  return false;
}

}  // namespace tidewell
