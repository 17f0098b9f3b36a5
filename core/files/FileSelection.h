#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class FileTree;
class ProjectSettings;
struct TreeNode;

// The client-side roots a file can be delivered to, in the order offered.
inline constexpr std::array<std::u16string_view, 4> kDestinationRoots = {
    u"<ProgramFilesDir>", u"<WinDir>", u"<SystemDir>", u"<ApplicationDir>"};
inline constexpr size_t kDefaultDestinationRootIndex = 3;
// Where the automatic comparison puts what it finds.
inline constexpr std::u16string_view kComparisonDestinationRoot = u"<ApplicationDir>";

// Texts of the file-selection dialog.
inline const WString kFileSelectionTitle = u"Select files for the update...";
inline const WString kFileSelectionConfirm = u"Add Selection";
inline const WString kClientDestinationLabel = u"Select client destination:";
inline constexpr size_t kSubDirectoryFieldLimit = 260;
struct FileFilter {
  std::u16string_view label;
  std::u16string_view pattern;
};
inline constexpr std::array<FileFilter, 3> kFileSelectionFilters = {{
    {u"All Files (*.*)", u"*.*"},
    {u"Executable Files (*.exe)", u"*.exe"},
    {u"DLL Files (*.dll)", u"*.dll"},
}};

// The dialog's help button.
void ShowFileSelectionHelp(Prompt& prompt);

// The base-directory rule. `directory` is an absolute host directory, with or
// without a trailing separator. With no base update directory set, the first
// directory becomes it (after a question, unless the call comes from the
// folder chooser, which only sets it and answers false). A directory inside
// the base becomes its relative client form ("\" or "\bin\"). One outside it
// asks whether to move the base there, which empties the file tree. Paths are
// compared by the host's rule (case-insensitive on Windows and macOS only).
// True with `directory` in relative form; false when refused, nothing changed.
bool CheckBaseDirectory(ProjectSettings& settings, FileTree& tree, WString& directory,
                        bool fromBrowse, Prompt& prompt);

// Whether `directory` lies inside the base update directory (a base is set),
// by the same rule CheckBaseDirectory applies; asks nothing.
bool LiesInsideBaseDirectory(const ProjectSettings& settings, std::u16string_view directory);

// The destination from the dialog's root (empty when none is selected) and
// sub-directory field: root, "\", the field; "/" turned into "\"; doubled
// backslashes reduced twice over; leading and trailing backslashes removed.
WString BuildDestination(std::u16string_view root, std::u16string_view subDirectories);

// Why the update client could not place files at `destination` (as
// BuildDestination makes it): what follows its root, or the whole of it
// without a known root, breaks the client's path rule (files/ClientPaths.h),
// e.g. "<ApplicationDir>\..\outside". Empty when it can; the top level
// (an empty destination) can.
WString DestinationRefusal(std::u16string_view destination);

// Files chosen together: their directory (a host path) and their names.
struct FileSelection {
  WString directory;
  std::vector<WString> fileNames;
};
// Host file paths grouped by their directory (the part up to and including
// the last separator), in the order the directories first appear.
std::vector<FileSelection> GroupFilesByDirectory(const std::vector<WString>& paths);

struct AddFilesResult {
  bool accepted = false;  // the base-directory rule took the directory
  size_t added = 0;
  size_t skipped = 0;  // names already present at the destination
  size_t leftOut = 0;  // names Windows does not allow (ClientFileNames.h)
};

// The file node (not folder) that the backslash path `destination` runs into
// or ends at; nullptr when every part is a folder or not there yet.
const TreeNode* FileOnDestinationPath(const FileTree& tree, std::u16string_view destination);
WString DestinationIsAFileMessage(std::u16string_view destination);

// Adds the files under the destination (created as needed), each with the
// default record and the relative directory as Src. A name already present
// there (without regard to case) is skipped silently. A destination the
// client cannot use (DestinationRefusal) or that runs through a file of the
// tree is refused with a message (not accepted); names
// Windows does not allow, or a folder below the base with such a name, leave
// those files out with a warning.
AddFilesResult AddFiles(ProjectSettings& settings, FileTree& tree, const FileSelection& selection,
                        std::u16string_view destination, Prompt& prompt);

// Files of several folders added in one request. When the base must be set
// or moved for any of them, the deepest folder holding them all is offered
// once, before anything is added: moving the base empties the tree, and a
// move per folder would drop what the earlier folders had added. Then each
// folder's files are added as AddFiles adds them; the counts are the sums.
// Not accepted when any folder was refused; the request is then to be
// dropped as a whole.
AddFilesResult AddFileGroups(ProjectSettings& settings, FileTree& tree,
                             const std::vector<FileSelection>& groups,
                             std::u16string_view destination, Prompt& prompt);

// "...": a folder chosen with the folder chooser goes through the rule as
// coming from it.
void ChooseBaseDirectory(ProjectSettings& settings, FileTree& tree, const WString& folder,
                         Prompt& prompt);

// Captions and texts of the two base-directory questions.
inline const WString kNoUpdateDirectoryCaption = u"No update directory set";
inline const WString kIncorrectUpdateDirectoryCaption = u"Incorrect update directory set";

}  // namespace tidewell
