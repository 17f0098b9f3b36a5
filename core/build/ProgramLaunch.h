#pragma once

#include <string_view>
#include <vector>

#include "build/ProcessStarter.h"

namespace tidewell {

enum class LaunchResult {
  Started,
  NoWine,         // a Windows program on a host without Wine
  NoFileBrowser,  // no program that opens a folder
  Failed,         // the program could not be started
};

// Windows programs (the client, the product's updater) run directly on
// Windows and through Wine elsewhere.
#ifdef _WIN32
inline constexpr bool kHostRunsWindowsPrograms = true;
#else
inline constexpr bool kHostRunsWindowsPrograms = false;
#endif

// A parameter text split into arguments by the rules Windows programs use to
// read their command line: blanks separate, double quotation marks group,
// backslashes before a quotation mark escape it.
std::vector<WString> SplitCommandLine(std::u16string_view parameters);

// The request that starts the Windows program `program` with `arguments`, as
// a shell execution would: the program itself on Windows, otherwise `wine`
// with the program as its first argument. Each argument reaches the program
// as one, blanks and all (a file name such as "Update  Config.xml"); a
// parameter text goes through SplitCommandLine first. nullopt when Wine is
// needed and not found.
std::optional<ProcessRequest> WindowsProgramRequest(const ProcessStarter& starter,
                                                    const WString& program,
                                                    std::vector<WString> arguments,
                                                    const WString& workingDirectory);
LaunchResult StartWindowsProgram(ProcessStarter& starter, const WString& program,
                                 std::vector<WString> arguments,
                                 const WString& workingDirectory = {});

// Shows a folder in the desktop's file browser: "explorer" with the folder in
// double quotation marks on Windows, xdg-open elsewhere (open on macOS).
LaunchResult OpenFolderInBrowser(ProcessStarter& starter, const WString& folder);

}  // namespace tidewell
