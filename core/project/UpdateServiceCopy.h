#pragma once

#include <vector>

#include "text/WString.h"

namespace tidewell {

// The product's update service, copied into every project folder the tool
// creates (new project, save as).
inline const WString kUpdateServiceFileName = u"UpdateService.exe";

// Copies the first of `sourceFolders` that holds "UpdateService.exe" into
// `projectFolder`, replacing any copy there in one step. False when no source
// exists or the copy failed; callers ignore it, as a project works without it.
bool CopyUpdateService(const std::vector<WString>& sourceFolders, const WString& projectFolder);

}  // namespace tidewell
