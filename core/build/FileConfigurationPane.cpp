#include "build/FileConfigurationPane.h"

#include "files/ClientFileNames.h"
#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace tidewell {

WString NormaliseClientName(std::u16string_view name) {
  if (name.empty()) return {};
  return WString(name.substr(0, name.find(u'.'))) + u".exe";
}

void FileConfigurationPane::LoadFromSettings() {
  fields.clientExe = settings_.GetSetting(SettingKey::ClientExe);
  fields.checkNow = settings_.GetSetting(SettingKey::CheckNow);
  fields.clientXml = settings_.GetSetting(SettingKey::ClientXML);
}

bool FileConfigurationPane::ValidateAndStore(bool showBalloon) {
  const FieldId* field = nullptr;
  const WString* message = nullptr;
  if (fields.clientExe.empty()) {
    field = &kClientExeField;
    message = &kClientExeEmptyMessage;
  } else if (const WString name = NormaliseClientName(fields.clientExe);
             !IsWindowsFileName(name)) {
    field = &kClientExeField;
    message = &kClientExeForbiddenMessage;
  } else if (fields.clientXml.empty()) {
    field = &kClientXmlField;
    message = &kClientXmlEmptyMessage;
  } else if (fields.checkNow.empty()) {
    field = &kCheckNowField;
    message = &kCheckNowEmptyMessage;
  }
  fields.clientExe = NormaliseClientName(fields.clientExe);
  if (field) {
    if (showBalloon)
      prompt_.ShowBalloon(*field, kInvalidParametersCaption, *message, MessageIcon::Error);
    return true;
  }
  settings_.SetSetting(SettingKey::ClientXML, fields.clientXml);
  settings_.SetSetting(SettingKey::CheckNow, fields.checkNow);
  settings_.SetSetting(SettingKey::ClientExe, fields.clientExe);
  return false;
}

}  // namespace tidewell
