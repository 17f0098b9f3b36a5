#include "project/Lifecycle.h"

#include <filesystem>

#include "platform/HostPath.h"
#include "platform/Prompt.h"
#include "project/AutoShowLoad.h"
#include "project/DocumentReader.h"
#include "project/DocumentWriter.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "project/ProjectMessages.h"
#include "project/TitleRule.h"
#include "project/UpdateServiceCopy.h"
#include "text/Text.h"

namespace tidewell {

ProjectLifecycle::ProjectLifecycle(Prompt& prompt, Preferences& preferences, ProjectShell& shell,
                                   std::vector<WString> updateServiceSources)
    : prompt_(prompt),
      preferences_(preferences),
      shell_(shell),
      updateServiceSources_(std::move(updateServiceSources)) {
  AdoptDocument(std::make_unique<ProjectDocument>());
}

ProjectLifecycle::~ProjectLifecycle() = default;

void ProjectLifecycle::AdoptDocument(std::unique_ptr<ProjectDocument> document) {
  document_ = std::move(document);
  document_->SetPrompt(&prompt_);
}

void ProjectLifecycle::ReadRecentList() {
  recent_.SetMaximum(RecentList::kDefaultMaximum);
  recent_.ReadFrom(preferences_);
  shell_.ShowRecentProjects(recent_);
}

void ProjectLifecycle::StartUp() {
  ReadRecentList();
  if (ReadAutoShowLoad(preferences_)) ProjectDialog(ProjectDialogMode::OpenMode);
  RefreshPages();
}

void ProjectLifecycle::StartUpWithProject(const WString& path) {
  ReadRecentList();
  std::error_code error;
  std::filesystem::path file = NormalAbsolutePath(text::ToPath(path));
  if (std::filesystem::is_directory(SystemPath(file), error)) file /= text::ToPath(kProjectFileName);
  const WString filePath = text::FromPath(file);
  const auto choice = ConfirmOpenProject(filePath, prompt_);
  if (!choice || !OpenFromDialog(*choice)) {
    if (ReadAutoShowLoad(preferences_)) ProjectDialog(ProjectDialogMode::OpenMode);
  }
  RefreshPages();
}

void ProjectLifecycle::NewCommand() {
  shell_.CollectPages();
  // Cancel continues like No: only closing the window is stopped by it.
  PromptSaveChanges();
  if (ProjectDialog(ProjectDialogMode::NewMode)) RefreshPages();
}

void ProjectLifecycle::OpenCommand() {
  shell_.CollectPages();
  PromptSaveChanges();
  if (ProjectDialog(ProjectDialogMode::OpenMode)) RefreshPages();
}

void ProjectLifecycle::SaveCommand() {
  prompt_.SetStatusText(kSavingStatus);
  shell_.CollectPages();
  if (!SaveDocument(*document_, XmlForm::ProjectForm, [this] { SaveAs(); }))
    prompt_.ShowMessage(kErrorCaption, kSaveErrorMessage, MessageIcon::Error);
  prompt_.SetStatusText(kReadyStatus);
  RefreshPages();
}

void ProjectLifecycle::SaveAsCommand() {
  prompt_.SetStatusText(kSavingStatus);
  shell_.CollectPages();
  ProjectDialog(ProjectDialogMode::SaveAsMode);
  prompt_.SetStatusText(kReadyStatus);
  RefreshPages();
}

bool ProjectLifecycle::OpenProjectFile(const WString& path) {
  shell_.CollectPages();
  prompt_.SetStatusText(kLoadingStatus);
  // The project being left goes into the recent list.
  if (PromptSaveChanges()) RefreshTitle();
  std::unique_ptr<ProjectDocument> loaded;
  {
    BusyScope busy(prompt_);
    loaded = LoadDocumentFresh(path, &prompt_);
  }
  const bool opened = loaded != nullptr;
  if (opened) {
    AdoptDocument(std::move(loaded));
    RefreshPages();
  } else {
    prompt_.ShowMessage(kErrorCaption, kOpenRecentErrorMessage, MessageIcon::Error);
  }
  prompt_.SetStatusText(kReadyStatus);
  return opened;
}

bool ProjectLifecycle::CloseRequested() {
  shell_.CollectPages();
  if (!PromptSaveChanges()) return false;
  RefreshTitle();
  return true;
}

void ProjectLifecycle::Shutdown() { recent_.WriteTo(preferences_); }

bool ProjectLifecycle::PromptSaveChanges() {
  WString text;
  WriteDocumentText(*document_, text, XmlForm::ProjectForm);
  if (text == document_->savedText) return true;

  const WString name = document_->settings.GetSetting(SettingKey::ProjName);
  if (!name.empty()) {
    switch (prompt_.Ask(kSaveProjectCaption, SaveChangesQuestion(name), Buttons::YesNoCancel,
                        MessageIcon::Exclamation)) {
      case Answer::Yes:
        if (!SaveDocument(*document_, XmlForm::ProjectForm, [this] { SaveAs(); }))
          prompt_.ShowMessage(kErrorCaption, kSaveErrorMessage, MessageIcon::Error);
        return true;
      case Answer::Cancel:
        return false;
      default:
        return true;
    }
  }
  if (prompt_.Ask(kSaveProjectCaption, kSaveChangesToThisProject, Buttons::YesNo,
                  MessageIcon::Exclamation) == Answer::Yes)
    SaveAs();
  return true;
}

bool ProjectLifecycle::ProjectDialog(ProjectDialogMode mode) {
  const ProjectDialogResult result = shell_.RunProjectDialog(mode);
  // Only the open mode shows the check box; the others would store a hidden,
  // unchecked box and turn the start-up dialog off.
  if (ShowsLoadScreenCheckBox(mode)) WriteAutoShowLoad(preferences_, result.showLoadScreen);
  switch (result.outcome) {
    case ProjectDialogResult::Outcome::New:
      return CreateProject(result.created, mode);
    case ProjectDialogResult::Outcome::Open:
      // The save-as dialog has no "Load" tab.
      if (mode == ProjectDialogMode::SaveAsMode) return false;
      OpenFromDialog(result.opened);
      return true;
    case ProjectDialogResult::Outcome::Cancel:
      break;
  }
  return false;
}

bool ProjectLifecycle::SaveAs() {
  if (!ProjectDialog(ProjectDialogMode::SaveAsMode)) return true;
  return SaveDocument(*document_, XmlForm::ProjectForm);
}

void ProjectLifecycle::RefreshPages() {
  shell_.LoadPages();
  WString text;
  if (WriteDocumentText(*document_, text, XmlForm::ProjectForm)) document_->savedText = std::move(text);
  RefreshTitle();
}

void ProjectLifecycle::RefreshTitle() {
  const WString name = document_->settings.GetSetting(SettingKey::ProjName);
  if (!name.empty()) {
    recent_.Add(MakeRecentEntry(name, document_->ProjectFilePath()));
    recent_.WriteTo(preferences_);
    shell_.ShowRecentProjects(recent_);
  }
  shell_.ShowTitle(WindowTitle(document_->settings));
}

bool ProjectLifecycle::CreateProject(const NewProjectChoice& choice, ProjectDialogMode mode) {
  const bool keepContents = mode == ProjectDialogMode::SaveAsMode;
  std::unique_ptr<ProjectDocument> fresh;
  if (!keepContents) {
    fresh = std::make_unique<ProjectDocument>();
    fresh->SetPrompt(&prompt_);
  }
  ProjectDocument& target = keepContents ? *document_ : *fresh;
  const WString previousName = target.settings.RawValue(SettingKey::ProjName);
  const WString previousFolder = target.projectFolder;
  const WString previousFileName = target.projectFileName;

  target.projectFolder = choice.folder;
  target.projectFileName = kProjectFileName;
  target.settings.SetSetting(SettingKey::ProjName, choice.name);
  CopyUpdateService(updateServiceSources_, choice.folder);
  bool saved = false;
  {
    BusyScope busy(prompt_);
    saved = SaveDocument(target, XmlForm::ProjectForm);
  }
  if (!saved) {
    prompt_.ShowMessage(kErrorCaption, kSaveErrorMessage, MessageIcon::Error);
    if (keepContents) {
      target.settings.SetSetting(SettingKey::ProjName, previousName);
      target.projectFolder = previousFolder;
      target.projectFileName = previousFileName;
    }
    return false;
  }
  if (!keepContents) AdoptDocument(std::move(fresh));
  return true;
}

bool ProjectLifecycle::OpenFromDialog(const OpenProjectChoice& choice) {
  std::unique_ptr<ProjectDocument> loaded;
  {
    BusyScope busy(prompt_);
    loaded = LoadDocumentFresh(choice.Path(), &prompt_);
  }
  if (!loaded) {
    prompt_.ShowMessage(kErrorCaption, kLoadErrorMessage, MessageIcon::Error);
    return false;
  }
  AdoptDocument(std::move(loaded));
  return true;
}

}  // namespace tidewell
