#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class FileTree;
class ProjectSettings;

// The question asked every 100 directory entries of the comparison. The
// desktop tool shows a cancellable progress dialog in its place.
inline const WString kLongOperationCaption = u"Long operation time-out";
inline const WString kLongOperationQuestion =
    u"The directories used have a lot of files. Do you still wish to continue";
inline constexpr long long kEntriesPerQuestion = 100;

// Texts of the "Automatic file addition" dialog.
inline const WString kAutoCompareTitle = u"Automatic file addition";
inline const WString kOldVersionLabel = u"Source of old version of product:";
inline const WString kLatestVersionLabel = u"Source of latest version of product:";
inline const FieldId kOldVersionBrowseField = "autoCompare.oldBrowse";
inline const FieldId kLatestVersionBrowseField = "autoCompare.latestBrowse";

struct ComparisonReport {
  size_t filesAdded = 0;
  size_t filesUnchanged = 0;  // not newer than their old copy
  size_t duplicates = 0;      // already present at their destination
  size_t leftOut = 0;         // files and folders whose names Windows does not allow
};

// Where a running comparison stands: the folder of the new version being
// listed (a host path), the entries looked at and the files taken so far.
struct ComparisonProgress {
  std::u16string_view folder;
  size_t entries = 0;
  size_t filesAdded = 0;
};
// Told before each entry is looked at. Answering false ends the comparison
// as No to the long-operation question does: false, what was taken stays. A
// front end shows the progress and lets the user stop a long walk here.
using ComparisonObserver = std::function<bool(const ComparisonProgress&)>;

// Walks `newDir` and adds to the file tree every regular file that is missing
// from `oldDir` or newer there (last-write time only), under
// "<ApplicationDir>" followed by its directory relative to the base update
// directory (the base-directory rule, which may ask). With no base set, the
// first file taken offers `newDir` itself as the base. Nothing is ever removed.
//
// Every directory entry raises the count, "." and ".." included: each
// directory counts those two first, as listings on Windows begin with them,
// then its own entries in the order the file system gives them. At every
// multiple of 100 the long-operation question is asked; No ends the whole
// comparison (false), keeping what was added. A sub-directory continues from
// the count its parent had when it entered it, and its entries do not raise
// the parent's count.
//
// A directory that cannot be listed contributes nothing. A file whose time
// stamps cannot be read is skipped; a symbolic link leading back into the
// walk is not followed. False when a question was answered No, the observer
// stopped the walk or the base rule refused.
bool CompareDirectories(ProjectSettings& settings, FileTree& tree, const WString& oldDir,
                        const WString& newDir, long long count, Prompt& prompt,
                        ComparisonReport* report = nullptr,
                        const ComparisonObserver& observer = {});

// OK of the dialog: both directories are required, the old one first; the
// balloon points at the Browse button of the empty one.
bool ValidateAutoCompare(const WString& oldDir, const WString& latestDir, Prompt& prompt);

// The dialog's work after OK: the comparison from a count of 0 with the wait
// cursor shown.
bool AutoCompare(ProjectSettings& settings, FileTree& tree, const WString& oldDir,
                 const WString& latestDir, Prompt& prompt, ComparisonReport* report = nullptr,
                 const ComparisonObserver& observer = {});

}  // namespace tidewell
