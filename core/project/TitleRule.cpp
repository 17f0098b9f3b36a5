#include "project/TitleRule.h"

#include "project/ProjectSettings.h"

namespace tidewell {

WString WindowTitle(const ProjectSettings& settings) {
  const WString name = settings.GetSetting(SettingKey::ProjName);
  if (name.empty()) return kToolTitle;
  return kToolTitle + u" - " + name;
}

}  // namespace tidewell
