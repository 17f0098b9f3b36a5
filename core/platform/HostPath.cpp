#include "platform/HostPath.h"

#ifdef _WIN32
#include <windows.h>

#include <string>

#include "platform/WindowsPath.h"
#endif

namespace tidewell {

namespace fs = std::filesystem;

#ifdef _WIN32

fs::path AbsolutePath(const fs::path& path) {
  const std::wstring& native = path.native();
  if (native.empty()) return path;
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(native.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return fs::path(full);
    }
    full.resize(length);  // the size needed, terminator included
  }
}

fs::path NormalAbsolutePath(const fs::path& path) { return AbsolutePath(path); }

fs::path SystemPath(const fs::path& path) {
  // Anything from the folder limit on may need the long form.
  constexpr size_t kShortFolderLimit = MAX_PATH - 12;
  if (path.native().size() < kShortFolderLimit && path.is_absolute()) return path;
  const fs::path absolute = AbsolutePath(path);
  if (absolute.native().size() < kShortFolderLimit) return path;
  return fs::path(ExtendedLengthPath(absolute.native()));
}

#else

fs::path AbsolutePath(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute;
}

fs::path NormalAbsolutePath(const fs::path& path) { return AbsolutePath(path).lexically_normal(); }

fs::path SystemPath(const fs::path& path) { return path; }

#endif

}  // namespace tidewell
