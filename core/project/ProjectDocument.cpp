#include "project/ProjectDocument.h"

#include "text/Text.h"

namespace tidewell {

ProjectDocument::ProjectDocument() {
  fileTree.SetContext(&settings, nullptr);
  variables.ResetVariables();
}

void ProjectDocument::SetPrompt(Prompt* prompt) { fileTree.SetContext(&settings, prompt); }

WString ProjectDocument::ProjectFilePath() const {
  return text::JoinHostPath(projectFolder, projectFileName);
}

WString ProjectDocument::ClientExecutablePath() const {
  const WString& name = settings.RawValue(SettingKey::ClientExe);
  return text::JoinHostPath(projectFolder, name.empty() ? u"Tidewatcher.exe" : name);
}

WString ProjectDocument::ServerFilePath() const {
  const WString& name = settings.RawValue(SettingKey::ClientXML);
  return text::JoinHostPath(projectFolder, name.empty() ? u"UpdateFiles.xml" : name);
}

}  // namespace tidewell
