#include "project/UpdateServiceCopy.h"

#include <filesystem>
#include <system_error>

#include "platform/AtomicFile.h"
#include "text/Text.h"

namespace tidewell {

bool CopyUpdateService(const std::vector<WString>& sourceFolders, const WString& projectFolder) {
  namespace fs = std::filesystem;
  for (const WString& folder : sourceFolders) {
    const fs::path source = text::ToPath(text::JoinHostPath(folder, kUpdateServiceFileName));
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) continue;
    const fs::path target = text::ToPath(text::JoinHostPath(projectFolder, kUpdateServiceFileName));
    // A project opened from its own folder copies nothing onto itself.
    if (fs::equivalent(source, target, ec)) return true;
    return ReplaceFileAtomically(
        target, [&](const fs::path& temporary) { return CopyFileContents(source, temporary); });
  }
  return false;
}

}  // namespace tidewell
