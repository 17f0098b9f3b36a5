#include "platform/WindowsPath.h"

#include <vector>

namespace tidewell {

namespace {

// A folder's plain form is limited to MAX_PATH (260) less room for an 8.3
// file name (12); a file's to MAX_PATH.
constexpr size_t kShortLimit = 260 - 12;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveRoot(std::wstring_view path) {
  const bool letter = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
  return letter && path[1] == L':' && IsSeparator(path[2]);
}

// The parts after a root, "." dropped and ".." taking the part before it
// away (never the root itself), joined with backslashes.
std::wstring ResolvedParts(std::wstring_view rest) {
  std::vector<std::wstring_view> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::wstring_view part = rest.substr(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::wstring joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) joined.push_back(L'\\');
    joined.append(parts[i]);
  }
  // A trailing separator names a folder: keep it.
  if (!rest.empty() && IsSeparator(rest.back()) && !joined.empty()) joined.push_back(L'\\');
  return joined;
}

}  // namespace

std::wstring ExtendedLengthPath(std::wstring_view path) {
  if (path.size() < kShortLimit) return std::wstring(path);
  if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
      IsSeparator(path[3]))
    return std::wstring(path);
  if (IsDriveRoot(path)) {
    std::wstring extended = L"\\\\?\\";
    extended.append(path.substr(0, 2));
    extended.push_back(L'\\');
    return extended + ResolvedParts(path.substr(3));
  }
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    // \\server\share\...: the server and share stay as they are.
    const std::wstring_view rest = path.substr(2);
    size_t server = 0;
    while (server < rest.size() && !IsSeparator(rest[server])) ++server;
    size_t share = server + 1;
    while (share < rest.size() && !IsSeparator(rest[share])) ++share;
    if (server == 0 || share >= rest.size() || share == server + 1) return std::wstring(path);
    std::wstring extended = L"\\\\?\\UNC\\";
    extended.append(rest.substr(0, server));
    extended.push_back(L'\\');
    extended.append(rest.substr(server + 1, share - server - 1));
    extended.push_back(L'\\');
    return extended + ResolvedParts(rest.substr(share + 1));
  }
  return std::wstring(path);
}

}  // namespace tidewell
