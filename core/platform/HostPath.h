#pragma once

#include <filesystem>

namespace tidewell {

// The absolute form of a host path as the system itself makes it. On Windows
// that is GetFullPathNameW: "." and ".." resolved, '/' turned into '\',
// network paths (\\server\share\...) and device paths (\\?\...) kept as such,
// a drive-relative path completed with that drive's folder. Elsewhere the
// path is made relative to the working folder and otherwise kept as typed.
// A path that cannot be made absolute is answered unchanged.
std::filesystem::path AbsolutePath(const std::filesystem::path& path);

// The same with "." and ".." resolved on every host.
std::filesystem::path NormalAbsolutePath(const std::filesystem::path& path);

// The path to hand to the system's file functions. On Windows a path that may
// be too long for the plain form (folders are limited to 248 characters,
// files to 260) is given in its extended-length form (\\?\C:\...,
// \\?\UNC\server\share\...), made absolute first; elsewhere the path itself.
std::filesystem::path SystemPath(const std::filesystem::path& path);

}  // namespace tidewell
