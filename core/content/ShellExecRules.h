#pragma once

#include <string_view>

#include "content/ShellExecChoices.h"
#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class ShellExecList;
struct TreeNode;

// A list position meaning that nothing is selected.
inline constexpr int kNoSelection = -1;

// The fields of the file execution dialog, as it opens. The two lists are
// given by position (kExecutionDirectories, kExecutionPoints).
struct ShellExecFields {
  int directoryIndex = static_cast<int>(kDefaultExecutionDirectoryIndex);
  WString fileName;
  int pointIndex = static_cast<int>(kDefaultExecutionPointIndex);
};

// Where the dialog's validation balloons point.
inline const FieldId kShellExecDirectoryField = "shellExec.directory";
inline const FieldId kShellExecFileNameField = "shellExec.fileName";
inline const FieldId kShellExecPointField = "shellExec.point";

// The checks of OK, in order, stopping at the first failure, which is shown
// at its field: a directory selected, a file name typed, a point selected.
// A position outside its list counts as no selection.
bool ValidateShellExec(const ShellExecFields& fields, Prompt& prompt);

// The entry's label: directory + "\" + file name, doubled backslashes
// reduced. Empty when no directory is selected.
WString ShellExecLabel(const ShellExecFields& fields);

// Inserts the entry under its point, creating the point node when needed.
// Nullptr when the same label (without regard to case) already stands under
// that point, or when a list has no selection; the list is then unchanged.
TreeNode* AddShellExecution(ShellExecList& list, const ShellExecFields& fields);

// What "..." puts into the file-name field for a chosen file: only the part
// after the last separator; the folder is not kept.
WString FileNameOfChosenPath(std::u16string_view path);

}  // namespace tidewell
