#pragma once

#include <string>
#include <vector>

namespace tidewell::cli {

// The program's arguments as UTF-8. On Windows they are read from the UTF-16
// command line (GetCommandLineW), never from the ANSI copy the C runtime
// makes, which loses or replaces every character outside the code page.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes std::cout and std::cerr, which carry UTF-8, show every character. On
// Windows text for a console is written as UTF-16 (WriteConsoleW); a pipe or
// a file receives the UTF-8 bytes unchanged, with no LF turned into CR LF.
// Elsewhere nothing changes.
void UseUnicodeOutput();

}  // namespace tidewell::cli
