#pragma once

#include <string>
#include <string_view>

namespace tidewell {

// The form of a Windows path that the wide-character file functions accept
// beyond MAX_PATH (260) characters, and for folders beyond 248: "\\?\C:\..."
// for a drive path and "\\?\UNC\server\share\..." for a network path, with
// forward slashes turned into backslashes and "." and ".." parts resolved
// (the prefixed form takes every part literally). Paths shorter than 248
// characters, relative paths and paths already in a device form ("\\?\",
// "\\.\") are answered unchanged.
std::wstring ExtendedLengthPath(std::wstring_view path);

}  // namespace tidewell
