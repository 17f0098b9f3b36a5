#pragma once

#include <memory>
#include <vector>

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
};

// The one open project and the flows that replace, save and leave it: new,
// open (from the dialog or the recent list), save, save as, the save
// question, the window title and the recent-projects list.
//
// A new project starts from the defaults: empty lists, default settings and
// flags, only the built-in variables. Save as keeps everything. A project is
// replaced only by one that was fully read or fully created and saved.
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
  // Closing the main window: false when the user cancelled the save question.
  bool CloseRequested();
  // End of the session: the recent list is stored.
  void Shutdown();

  // The building blocks the commands are made of.
  // False only when the user cancelled.
  bool PromptSaveChanges();
  // Runs the dialog and carries out its outcome. True when a project was
  // opened (successfully or not) or created and saved.
  bool ProjectDialog(ProjectDialogMode mode);
  // The save-as dialog; true also when it was cancelled.
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
  void AdoptDocument(std::unique_ptr<ProjectDocument> document);
  void ReadRecentList();

  Prompt& prompt_;
  Preferences& preferences_;
  ProjectShell& shell_;
  std::vector<WString> updateServiceSources_;
  std::unique_ptr<ProjectDocument> document_;
  RecentList recent_;
};

}  // namespace tidewell
