#pragma once

#include <string>
#include <vector>

namespace tidewell {

// One argument of a Windows command line, quoted so that the C runtime's
// parser (CommandLineToArgvW and the MinGW/MSVC start-up code) gives it back
// unchanged: blanks, tabs and quotes are enclosed, backslashes doubled only
// where a quote follows them. Plain arguments stay as they are.
std::wstring QuoteWindowsArgument(const std::wstring& argument);

// The arguments joined into one command line, each quoted as above.
std::wstring JoinWindowsArguments(const std::vector<std::wstring>& arguments);

}  // namespace tidewell
