#include "build/FileConfigurationPane.h"

#include "files/ClientFileNames.h"
#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace tidewell {

WString NormaliseClientName(std::u16string_view name) {
  if (name.empty()) return {};
  return WString(name.substr(0, name.find(u'.'))) + u".exe";
}

namespace {

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices on Windows, with or
// without an extension: a file cannot be given such a name.
bool IsDeviceName(std::u16string_view name) {
  const std::u16string_view stem = name.substr(0, name.find(u'.'));
  for (const std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"})
    if (text::EqualsNoCase(stem, device)) return true;
  if (stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9')
    for (const std::u16string_view device : {u"COM", u"LPT"})
      if (text::EqualsNoCase(stem.substr(0, 3), device)) return true;
  return false;
}

}  // namespace

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
             !IsWindowsFileName(name) || IsDeviceName(name)) {
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
