#pragma once

// Reasons for skipping, on Windows, tests that describe the Linux host.
namespace tidewell::testing {

inline constexpr const char* kLinuxHostPathsOnly =
    "written with Linux host paths (forward slashes, no drive); the Windows forms are tested on their own";
inline constexpr const char* kPosixZoneRulesOnly =
    "POSIX time-zone rules in TZ; the Windows C runtime applies its own summer-time dates";
inline constexpr const char* kNoSymbolicLinks = "symbolic links need a privilege on Windows and are missing under wine";
inline constexpr const char* kPosixFilesOnly =
    "POSIX file modes, named pipes and file-size limits, which Windows does not have";
inline constexpr const char* kNamesWindowsCannotCreate = "Windows cannot create the file names this test needs";

}  // namespace tidewell::testing
