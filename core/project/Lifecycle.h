#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "project/DiskStamp.h"
#include "project/EditHistory.h"
#include "project/ProjectDialogRules.h"
#include "project/RecentList.h"
#include "text/WString.h"

namespace tidewell {

class Preferences;
class ProjectDocument;
class Prompt;

// What the user chose in the project dialog. The front end validates OK with
// ConfirmNewProject / ConfirmOpenProject and hands their answer back here.
struct ProjectDialogResult {
  enum class Outcome { Cancel, New, Open };
  Outcome outcome = Outcome::Cancel;
  NewProjectChoice created;  // Outcome::New
  OpenProjectChoice opened;  // Outcome::Open
  // The check box "Show load screen at startup"; looked at in the open mode,
  // the only one that shows it.
  bool showLoadScreen = false;
};

// The front end's side of the project flows: the dialog, and keeping the
// pages, the title and the recent-projects menu in step with the document.
class ProjectShell {
 public:
  virtual ~ProjectShell() = default;
  virtual ProjectDialogResult RunProjectDialog(ProjectDialogMode mode) = 0;
  // Every page stores its fields into the settings.
  virtual void CollectPages() {}
  // Every page loads its fields from the settings (the document may be a new one).
  virtual void LoadPages() {}
  virtual void ShowTitle(const WString& title) {}
  virtual void ShowRecentProjects(const RecentList& list) {}
  // Whether the project has unsaved changes, and whether there is an edit to
  // undo or to redo.
  virtual void ShowEditState(bool modified, bool canUndo, bool canRedo) {}
  // Marks the project file at `path` as open in this window. False when
  // another window or process of the tool has it open; a mark left by a
  // process that has ended is taken over.
  virtual bool LockProject(const WString& path) { return true; }
  virtual void UnlockProject(const WString& path) {}
  // The project file shown now, for the front end to watch for changes by
  // other programs; empty when there is none.
  virtual void WatchProjectFile(const WString& path) {}
};

// The one open project and the flows that replace, save and leave it: new,
// open (from the dialog or the recent list), save, save as, the save
// question, the window title and the recent-projects list.
//
// A new project starts from the defaults: empty lists, default settings and
// flags, only the built-in variables. Save as keeps everything. A project is
// replaced only by one that was fully read or fully created and saved.
//
// Work is never lost on the way: a save that fails (or is cancelled) stops
// the close, New or Open that asked for it. Every committed edit is kept for
// undo. The project file's state on disk is remembered when it is read or
// written; a file another program changed since is never written over
// without a question, and a project open in another window is opened only
// when the user says so.
class ProjectLifecycle {
 public:
  // `updateServiceSources`: the folders searched, in order, for the update
  // service copied into new project folders.
  ProjectLifecycle(Prompt& prompt, Preferences& preferences, ProjectShell& shell,
                   std::vector<WString> updateServiceSources);
  ~ProjectLifecycle();
  ProjectLifecycle(const ProjectLifecycle&) = delete;
  ProjectLifecycle& operator=(const ProjectLifecycle&) = delete;

  // Valid until a flow replaces the document; re-read it after LoadPages.
  ProjectDocument& Document() { return *document_; }
  const RecentList& Recent() const { return recent_; }

  // Start-up: the recent list (maximum 5, then the stored one) is read and
  // shown; the project dialog opens in the open mode when "AutoShowLoad" asks
  // for it; then the pages are refreshed.
  void StartUp();
  // Start-up with a project named on the command line: its project file, or
  // the folder holding "Settings.xml", relative to the working directory or
  // absolute. The project is opened instead of the dialog; when it does not
  // load, the load error is shown and the start goes on as StartUp does.
  void StartUpWithProject(const WString& path);
  // Commands of the File menu.
  void NewCommand();
  void OpenCommand();
  void SaveCommand();
  void SaveAsCommand();
  // A recent-projects menu item: its path. True when the project was opened.
  bool OpenProjectFile(const WString& path);
  // Closing the main window: false when the user cancelled the save question
  // or the save failed.
  bool CloseRequested();
  // End of the session: the recent list is stored.
  void Shutdown();

  // Edits and their history. After a front end changed the document (a tree,
  // a dialog, the pages' fields once stored): the new state is kept for undo
  // when it differs. True when a step was recorded.
  bool EditCommitted();
  // The pages store their fields, and a change of the settings or variables
  // is recorded; cheap when nothing changed (for focus changes).
  void FieldsMayHaveChanged();
  void UndoCommand();
  void RedoCommand();
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // The state last recorded differs from the one last saved or loaded.
  bool IsModified() const;

  // The front end saw the project file change on disk. Without unsaved edits
  // the project is reloaded and the status text says so; with unsaved edits
  // the user chooses at once: reload, overwrite, or keep editing.
  void ProjectFileChanged();

  // The building blocks the commands are made of.
  // False when the user cancelled or the save failed.
  bool PromptSaveChanges();
  // Runs the dialog and carries out its outcome. True when a project was
  // opened (successfully or not) or created and saved.
  bool ProjectDialog(ProjectDialogMode mode);
  // The save-as dialog; true when the project was saved under its new name.
  bool SaveAs();
  // The pages load from the settings, the saved text is taken, the title and
  // the recent list follow.
  void RefreshPages();
  void RefreshTitle();

  // The outcome "new" of the dialog: in NewMode a fresh project, in SaveAsMode
  // the open one under its new name and folder. The update service is copied
  // and the project file saved; on failure the save error is shown and the
  // open project stays as it was. True when saved.
  bool CreateProject(const NewProjectChoice& choice, ProjectDialogMode mode);
  // The outcome "open": the project is read into a new document that replaces
  // the open one only on success; a failure shows the load error. True when
  // the project was opened.
  bool OpenFromDialog(const OpenProjectChoice& choice);

 private:
  // What became of a save the user asked for.
  enum class SaveResult { Saved, NotSaved, Reloaded };
  // What the save question before New, Open and closing led to.
  enum class LeaveResult { Proceed, Cancelled, NotSaved };

  void AdoptDocument(std::unique_ptr<ProjectDocument> document);
  void ReadRecentList();
  LeaveResult AskToLeave();
  // Saves the open project under its name (or through save as), asking first
  // when another program changed the file; a failure shows the save error.
  SaveResult SaveOpenProject();
  // Writes `document` to its project file and remembers what was written.
  bool WriteProject(ProjectDocument& document, std::string* why);
  // Replaces the project with the file on disk. False when it does not load.
  bool ReloadFromDisk();
  // Marks the file as open here or asks to open it anyway; false when not.
  bool ClaimProject(const WString& path, bool& locked);
  // The document now shown comes from `path` (locked: marked by this window).
  void HoldProject(const WString& path, bool locked);
  void ReleaseClaim(const WString& path, bool locked);
  void RememberDisk();
  void RestoreState(const EditState& state);
  // After a save that did not happen: the pages show the settings again and
  // the project stays modified.
  void ShowPagesUnsaved();
  void ShowEditState();
  // Settings and variables as one text, to notice a change cheaply.
  WString FieldsKey() const;

  Prompt& prompt_;
  Preferences& preferences_;
  ProjectShell& shell_;
  std::vector<WString> updateServiceSources_;
  std::unique_ptr<ProjectDocument> document_;
  RecentList recent_;
  EditHistory history_;
  bool historyFresh_ = true;  // the next page refresh starts a new history
  WString fieldsKey_;
  std::optional<DiskStamp> disk_;
  std::optional<DiskStamp> declinedDisk_;
  WString lockedPath_;
  bool askingAboutDisk_ = false;
};

}  // namespace tidewell
