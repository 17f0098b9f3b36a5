#pragma once

#include <string>

#include "text/WString.h"

namespace tidewell {

// Texts the project flows show. Each is used by the flows and, for the
// command line, by the commands that run the same steps.
inline const WString kSaveProjectCaption = u"Save Project";
inline const WString kSaveErrorMessage = u"Errors occured while trying to save current configuration.";
inline const WString kLoadErrorMessage = u"Errors occured while trying to load configuration.";
inline const WString kOpenRecentErrorMessage = u"Error trying to open the given project.";
// Where no save-as flow can be run (the command line): an edit of a project
// without a name is refused rather than silently dropped.
inline const WString kUnnamedProjectRefusal =
    u"The project has no name (ProjName is empty). A project without a name can only be saved "
    u"through Save As; set ProjName first. Nothing was saved.";

inline const WString kReadyStatus = u"Ready";
inline const WString kSavingStatus = u"Please wait... saving files";
inline const WString kLoadingStatus = u"Please wait... loading";

// "Do you want to save changes to '" + name + "'?"
WString SaveChangesQuestion(const WString& projectName);
inline const WString kSaveChangesToThisProject = u"Do you want to save changes to this project?";

// The detail line under a failed save or load: the file and the system's
// reason ("<path>: <reason>"), or the reason alone when it names the file.
WString FaultDetail(const WString& path, const std::string& reason);

// The project file was changed by another program while it was open.
inline const WString kChangedOnDiskCaption = u"Project changed on disk";
WString ChangedOnDiskQuestion(const WString& path);
// The status text after a quiet reload of a project without unsaved edits.
WString ReloadedStatus(const WString& path);

// The project is open in another window or process of the tool.
inline const WString kProjectInUseCaption = u"Project in use";
WString ProjectInUseQuestion(const WString& path);

}  // namespace tidewell
