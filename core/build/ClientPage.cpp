#include "build/ClientPage.h"

#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace tidewell {

WString AutomaticIconQuestion(const WString& fileName) {
  return u"Do you want to set the icons of the Tidewell client to be the same as the icons of " +
         fileName + u"?";
}

WString VariableReference(std::u16string_view name) {
  WString reference = u"%";
  reference += name;
  reference += u'%';
  return reference;
}

void ClientPage::LoadFromSettings() {
  fields.requestXml = settings_.GetSetting(SettingKey::HTTPLocationXML);
  fields.filesLocation = settings_.GetSetting(SettingKey::HTTPLocationFiles);
  fields.companyName = settings_.GetSetting(SettingKey::CompanyName);
  fields.appTitle = settings_.GetSetting(SettingKey::AppTitle);
  fields.executable = settings_.GetSetting(SettingKey::Executable);
}

bool ClientPage::ValidateAndStore(bool) {
  settings_.SetSetting(SettingKey::HTTPLocationXML, fields.requestXml);
  settings_.SetSetting(SettingKey::HTTPLocationFiles, fields.filesLocation);
  settings_.SetSetting(SettingKey::CompanyName, fields.companyName);
  settings_.SetSetting(SettingKey::AppTitle, fields.appTitle);
  settings_.SetSetting(SettingKey::Executable, fields.executable);
  return false;
}

WString ClientPage::ChooseMainExecutable(
    const WString& chosenPath, Prompt& prompt,
    const std::function<void(const WString& source)>& setClientIcons) {
  const size_t cut = chosenPath.find_last_of(text::kHostSeparator);
  const WString name = cut == WString::npos ? chosenPath : chosenPath.substr(cut + 1);
  settings_.SetSetting(SettingKey::Executable, name);
  fields.executable = name;
  if (prompt.Ask(kAutomaticIconCaption, AutomaticIconQuestion(name), Buttons::YesNo,
                 MessageIcon::Question) == Answer::Yes &&
      setClientIcons)
    setClientIcons(chosenPath);
  return name;
}

}  // namespace tidewell
