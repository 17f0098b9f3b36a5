#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class Preferences;

// The "Project management" dialog: which tabs it shows and the rules of its
// two pages. The front end draws it; everything it decides lives here.
enum class ProjectDialogMode : int { NewMode = 0, OpenMode = 1, SaveAsMode = 2 };

inline const WString kProjectDialogTitle = u"Project management";
inline const WString kNewPageHeader = u"Create a new project";
inline const WString kLoadPageHeader = u"Load an existing project";
inline const WString kProjectDialogHelpLine =
    u"Hover above a text label for additional bubble help information.";
inline const WString kNewTab = u"New";
inline const WString kLoadTab = u"Load";
inline const WString kSaveAsTab = u"Save As";
inline const WString kShowLoadScreenLabel = u"Show load screen at startup";
inline const WString kProjectNameLabel = u"Name of new project:";
inline const WString kProjectLocationLabel = u"Location of project:";
inline const WString kRecentProjectsLabel = u"Recent projects:";
inline const WString kLoadFromFileLabel = u"Load from file:";
inline const WString kOpenProjectTitle = u"Open existing project";
inline const WString kProjectFileFilter = u"Tidewell XML File (*.xml)";
inline const WString kProjectFilePattern = u"*.xml";
// The folder chooser's text, shared by the new-project page and the choice of
// the base update directory.
inline const WString kBaseDirectoryChooserText =
    u"Select the base directory of the update files. Use the update server staging directory, "
    u"or a server mapped network drive.";

// The file name of every project the tool creates.
inline const WString kProjectFileName = u"Settings.xml";

// Where the dialog's validation balloons point.
inline const FieldId kProjectLocationField = "projectDialog.location";
inline const FieldId kProjectNameField = "projectDialog.name";
inline const FieldId kProjectDialogOkField = "projectDialog.ok";
inline const FieldId kProjectOpenBrowseField = "projectDialog.openBrowse";

// The tabs shown in a mode, in order, and the one shown first.
std::vector<WString> ProjectDialogTabs(ProjectDialogMode mode);
size_t ProjectDialogFirstTab(ProjectDialogMode mode);
// The check box "Show load screen at startup" is shown in the open mode only.
bool ShowsLoadScreenCheckBox(ProjectDialogMode mode);

// The new-project page. The location starts as the tool folder, ending in a
// separator; every change of it reduces doubled separators.
WString InitialProjectLocation(std::u16string_view toolFolder);
// After each key in the name field: the location up to and including its
// last separator, followed by the name.
WString LocationAfterNameEdit(std::u16string_view location, std::u16string_view name);
// After a folder was chosen with "...": the folder, a separator and the name.
WString LocationAfterBrowse(std::u16string_view folder, std::u16string_view name);

struct NewProjectChoice {
  WString name;
  WString folder;  // without a trailing separator
};

// OK on the "New" or "Save As" tab. Checks, in order, with a balloon at the
// failing field: the location, the name, then creates the location as a
// directory (its parent must exist). A location that already holds a project
// file is refused as an existing project; any other existing or uncreatable
// directory as "could not be created". None when refused: the dialog stays.
std::optional<NewProjectChoice> ConfirmNewProject(const WString& name, const WString& location,
                                                  Prompt& prompt);

struct OpenProjectChoice {
  WString folder;
  WString fileName;
  WString Path() const;
};

// OK on the "Load" tab: the path must not be empty (balloon at the browse
// button); it is split at its last separator.
std::optional<OpenProjectChoice> ConfirmOpenProject(const WString& path, Prompt& prompt);

// What the "Load" page lists: the stored recent projects that have a name,
// most recent first, at most 15, and the path the edit field starts with
// (that of the most recent entry).
struct OpenPageChoices {
  struct Item {
    WString name;
    WString path;
  };
  std::vector<Item> recent;
  WString initialPath;
};
OpenPageChoices ReadOpenPageChoices(const Preferences& preferences);

}  // namespace tidewell
