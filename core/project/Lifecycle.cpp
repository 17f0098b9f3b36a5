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
  historyFresh_ = true;
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
  // Cancel continues like No: only closing the window is stopped by it. A
  // save that did not happen stops the command, so no edit is lost.
  if (AskToLeave() == LeaveResult::NotSaved) return;
  if (ProjectDialog(ProjectDialogMode::NewMode)) RefreshPages();
}

void ProjectLifecycle::OpenCommand() {
  shell_.CollectPages();
  if (AskToLeave() == LeaveResult::NotSaved) return;
  if (ProjectDialog(ProjectDialogMode::OpenMode)) RefreshPages();
}

void ProjectLifecycle::SaveCommand() {
  prompt_.SetStatusText(kSavingStatus);
  shell_.CollectPages();
  EditCommitted();
  const SaveResult result = SaveOpenProject();
  prompt_.SetStatusText(kReadyStatus);
  if (result == SaveResult::Saved)
    RefreshPages();
  else if (result == SaveResult::NotSaved)
    ShowPagesUnsaved();
}

void ProjectLifecycle::SaveAsCommand() {
  prompt_.SetStatusText(kSavingStatus);
  shell_.CollectPages();
  EditCommitted();
  const bool saved = ProjectDialog(ProjectDialogMode::SaveAsMode);
  prompt_.SetStatusText(kReadyStatus);
  if (saved)
    RefreshPages();
  else
    ShowPagesUnsaved();
}

void ProjectLifecycle::ShowPagesUnsaved() {
  // What was not written stays unsaved: the saved text is not taken.
  shell_.LoadPages();
  EditCommitted();
  RefreshTitle();
}

bool ProjectLifecycle::OpenProjectFile(const WString& path) {
  shell_.CollectPages();
  prompt_.SetStatusText(kLoadingStatus);
  // The project being left goes into the recent list.
  switch (AskToLeave()) {
    case LeaveResult::NotSaved:
      prompt_.SetStatusText(kReadyStatus);
      return false;
    case LeaveResult::Proceed:
      RefreshTitle();
      break;
    case LeaveResult::Cancelled:
      break;
  }
  bool locked = false;
  if (!ClaimProject(path, locked)) {
    prompt_.SetStatusText(kReadyStatus);
    return false;
  }
  std::unique_ptr<ProjectDocument> loaded;
  std::string why;
  {
    BusyScope busy(prompt_);
    loaded = LoadDocumentFresh(path, &prompt_, &why);
  }
  const bool opened = loaded != nullptr;
  if (opened) {
    AdoptDocument(std::move(loaded));
    HoldProject(path, locked);
    RememberDisk();
    RefreshPages();
  } else {
    ReleaseClaim(path, locked);
    prompt_.ShowDetailedMessage(kErrorCaption, kOpenRecentErrorMessage, FaultDetail(path, why),
                                MessageIcon::Error);
  }
  prompt_.SetStatusText(kReadyStatus);
  return opened;
}

bool ProjectLifecycle::CloseRequested() {
  shell_.CollectPages();
  if (AskToLeave() != LeaveResult::Proceed) return false;
  RefreshTitle();
  return true;
}

void ProjectLifecycle::Shutdown() {
  recent_.WriteTo(preferences_);
  if (!lockedPath_.empty()) shell_.UnlockProject(lockedPath_);
  lockedPath_.clear();
}

bool ProjectLifecycle::PromptSaveChanges() { return AskToLeave() == LeaveResult::Proceed; }

ProjectLifecycle::LeaveResult ProjectLifecycle::AskToLeave() {
  EditCommitted();
  if (!IsModified()) return LeaveResult::Proceed;

  const WString name = document_->settings.GetSetting(SettingKey::ProjName);
  if (!name.empty()) {
    switch (prompt_.Ask(kSaveProjectCaption, SaveChangesQuestion(name), Buttons::YesNoCancel,
                        MessageIcon::Exclamation)) {
      case Answer::Yes:
        return SaveOpenProject() == SaveResult::NotSaved ? LeaveResult::NotSaved
                                                         : LeaveResult::Proceed;
      case Answer::Cancel:
        return LeaveResult::Cancelled;
      default:
        return LeaveResult::Proceed;
    }
  }
  if (prompt_.Ask(kSaveProjectCaption, kSaveChangesToThisProject, Buttons::YesNo,
                  MessageIcon::Exclamation) == Answer::Yes &&
      !SaveAs())
    return LeaveResult::NotSaved;
  return LeaveResult::Proceed;
}

ProjectLifecycle::SaveResult ProjectLifecycle::SaveOpenProject() {
  if (!document_->HasProject()) return SaveAs() ? SaveResult::Saved : SaveResult::NotSaved;
  const WString path = document_->ProjectFilePath();
  if (disk_ && !SameOnDisk(path, *disk_)) {
    switch (prompt_.Ask(kChangedOnDiskCaption, ChangedOnDiskQuestion(path),
                        Buttons::ReloadOverwriteCancel, MessageIcon::Exclamation)) {
      case Answer::Yes:
        return ReloadFromDisk() ? SaveResult::Reloaded : SaveResult::NotSaved;
      case Answer::No:
        break;
      default:
        return SaveResult::NotSaved;
    }
  }
  std::string why;
  if (!WriteProject(*document_, &why)) {
    prompt_.ShowDetailedMessage(kErrorCaption, kSaveErrorMessage, FaultDetail(path, why),
                                MessageIcon::Error);
    return SaveResult::NotSaved;
  }
  ShowEditState();
  return SaveResult::Saved;
}

bool ProjectLifecycle::WriteProject(ProjectDocument& document, std::string* why) {
  if (SaveNamedDocument(document, XmlForm::ProjectForm, why) != SaveOutcome::Saved) return false;
  if (&document == document_.get()) RememberDisk();
  return true;
}

void ProjectLifecycle::RememberDisk() {
  declinedDisk_.reset();
  disk_ = document_->HasProject() ? TakeDiskStamp(document_->ProjectFilePath()) : std::nullopt;
  shell_.WatchProjectFile(disk_ ? document_->ProjectFilePath() : WString());
}

bool ProjectLifecycle::ReloadFromDisk() {
  const WString path = document_->ProjectFilePath();
  std::string why;
  std::unique_ptr<ProjectDocument> loaded;
  {
    BusyScope busy(prompt_);
    loaded = LoadDocumentFresh(path, &prompt_, &why);
  }
  if (!loaded) {
    prompt_.ShowDetailedMessage(kErrorCaption, kLoadErrorMessage, FaultDetail(path, why),
                                MessageIcon::Error);
    return false;
  }
  AdoptDocument(std::move(loaded));
  RememberDisk();
  RefreshPages();
  prompt_.SetStatusText(ReloadedStatus(path));
  return true;
}

void ProjectLifecycle::ProjectFileChanged() {
  if (askingAboutDisk_ || !disk_ || !document_->HasProject()) return;
  const WString path = document_->ProjectFilePath();
  if (SameOnDisk(path, *disk_)) return;  // this window's own save, or a touch
  // A change the user chose to keep editing over is not asked about again
  // until the file changes once more; the next save still asks.
  if (declinedDisk_ && SameOnDisk(path, *declinedDisk_)) return;
  askingAboutDisk_ = true;
  shell_.CollectPages();
  EditCommitted();
  if (!IsModified()) {
    ReloadFromDisk();
  } else {
    switch (prompt_.Ask(kChangedOnDiskCaption, ChangedOnDiskQuestion(path),
                        Buttons::ReloadOverwriteCancel, MessageIcon::Exclamation)) {
      case Answer::Yes:
        ReloadFromDisk();
        break;
      case Answer::No: {
        std::string why;
        if (WriteProject(*document_, &why)) {
          ShowEditState();
        } else {
          prompt_.ShowDetailedMessage(kErrorCaption, kSaveErrorMessage, FaultDetail(path, why),
                                      MessageIcon::Error);
        }
        break;
      }
      default:
        // Kept as it is: the next save asks again.
        declinedDisk_ = TakeDiskStamp(path);
        break;
    }
  }
  askingAboutDisk_ = false;
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

bool ProjectLifecycle::SaveAs() { return ProjectDialog(ProjectDialogMode::SaveAsMode); }

void ProjectLifecycle::RefreshPages() {
  shell_.LoadPages();
  WString text;
  if (WriteDocumentText(*document_, text, XmlForm::ProjectForm)) {
    document_->savedText = text;
    // A save keeps the history; a project opened, made or reloaded starts a
    // new one.
    if (historyFresh_)
      history_.Reset({std::move(text), document_->settings});
    else
      history_.Record({std::move(text), document_->settings});
  }
  historyFresh_ = false;
  fieldsKey_ = FieldsKey();
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
  ShowEditState();
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
  std::string why;
  {
    BusyScope busy(prompt_);
    saved = SaveNamedDocument(target, XmlForm::ProjectForm, &why) == SaveOutcome::Saved;
  }
  if (!saved) {
    prompt_.ShowDetailedMessage(kErrorCaption, kSaveErrorMessage,
                                FaultDetail(target.ProjectFilePath(), why), MessageIcon::Error);
    if (keepContents) {
      target.settings.SetSetting(SettingKey::ProjName, previousName);
      target.projectFolder = previousFolder;
      target.projectFileName = previousFileName;
    }
    return false;
  }
  if (!keepContents) AdoptDocument(std::move(fresh));
  const WString path = document_->ProjectFilePath();
  HoldProject(path, path == lockedPath_ || shell_.LockProject(path));
  RememberDisk();
  return true;
}

bool ProjectLifecycle::OpenFromDialog(const OpenProjectChoice& choice) {
  const WString path = choice.Path();
  bool locked = false;
  if (!ClaimProject(path, locked)) return false;
  std::unique_ptr<ProjectDocument> loaded;
  std::string why;
  {
    BusyScope busy(prompt_);
    loaded = LoadDocumentFresh(path, &prompt_, &why);
  }
  if (!loaded) {
    ReleaseClaim(path, locked);
    prompt_.ShowDetailedMessage(kErrorCaption, kLoadErrorMessage, FaultDetail(path, why),
                                MessageIcon::Error);
    return false;
  }
  AdoptDocument(std::move(loaded));
  HoldProject(path, locked);
  RememberDisk();
  return true;
}

bool ProjectLifecycle::ClaimProject(const WString& path, bool& locked) {
  locked = path == lockedPath_ || shell_.LockProject(path);
  if (locked) return true;
  return prompt_.Ask(kProjectInUseCaption, ProjectInUseQuestion(path), Buttons::YesNo,
                     MessageIcon::Exclamation) == Answer::Yes;
}

void ProjectLifecycle::HoldProject(const WString& path, bool locked) {
  if (!lockedPath_.empty() && lockedPath_ != path) shell_.UnlockProject(lockedPath_);
  lockedPath_ = locked ? path : WString();
}

void ProjectLifecycle::ReleaseClaim(const WString& path, bool locked) {
  // The mark of the project still shown stays.
  if (locked && path != lockedPath_) shell_.UnlockProject(path);
}

bool ProjectLifecycle::EditCommitted() {
  WString text = history_.TakeRoom();
  if (!WriteDocumentTextInto(*document_, text, XmlForm::ProjectForm)) return false;
  const bool recorded = history_.Record({std::move(text), document_->settings});
  fieldsKey_ = FieldsKey();
  ShowEditState();
  return recorded;
}

void ProjectLifecycle::FieldsMayHaveChanged() {
  shell_.CollectPages();
  if (FieldsKey() != fieldsKey_) EditCommitted();
}

WString ProjectLifecycle::FieldsKey() const {
  // Unit separators keep "a"+"bc" apart from "ab"+"c".
  constexpr char16_t kSeparator = u'\x1f';
  WString key;
  for (int i = 0; i <= static_cast<int>(SettingKey::Shell); ++i) {
    key += document_->settings.RawValue(static_cast<SettingKey>(i));
    key += kSeparator;
  }
  key += document_->settings.FlagMask();
  for (const Variable& row : document_->variables.Rows()) {
    key += kSeparator;
    key += row.name + kSeparator + row.description + kSeparator + row.additional;
  }
  return key;
}

// Typed fields that differ from the state shown are an edit of their own
// (which leaves nothing to redo); the trees announce their edits as they end.
void ProjectLifecycle::UndoCommand() {
  FieldsMayHaveChanged();
  if (const EditState* state = history_.Undo()) RestoreState(*state);
}

void ProjectLifecycle::RedoCommand() {
  FieldsMayHaveChanged();
  if (const EditState* state = history_.Redo()) RestoreState(*state);
}

bool ProjectLifecycle::IsModified() const {
  return history_.Current().text != document_->savedText;
}

void ProjectLifecycle::RestoreState(const EditState& state) {
  auto restored = std::make_unique<ProjectDocument>();
  std::string why;
  // Files that cannot be measured were reported when the state was made.
  if (!LoadDocumentBytes(*restored, text::ToUtf8(state.text), document_->ProjectFilePath(),
                         nullptr, &why)) {
    prompt_.ShowDetailedMessage(kErrorCaption, kLoadErrorMessage, text::FromUtf8(why),
                                MessageIcon::Error);
    return;
  }
  restored->settings = state.settings;
  restored->projectFolder = document_->projectFolder;
  restored->projectFileName = document_->projectFileName;
  restored->savedText = std::move(document_->savedText);
  AdoptDocument(std::move(restored));
  historyFresh_ = false;
  shell_.LoadPages();
  fieldsKey_ = FieldsKey();
  shell_.ShowTitle(WindowTitle(document_->settings));
  ShowEditState();
}

void ProjectLifecycle::ShowEditState() {
  shell_.ShowEditState(IsModified(), history_.CanUndo(), history_.CanRedo());
}

}  // namespace tidewell
