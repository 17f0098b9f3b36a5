#pragma once

#include <string>
#include <string_view>

namespace tidewatch {

enum class ClientAction {
  ShowStatus,    // no argument (or one the client does not know yet): the status window
  Dump,          // --dump: print the client's resources
  DumpWelcome,   // --dump-welcome NAME: print what testMode NAME would show
  TestMode,      // testMode NAME: the preview window
};

struct ClientCommand {
  ClientAction action = ClientAction::ShowStatus;
  std::u16string argument;  // the update file name of testMode and --dump-welcome
  std::u16string firstWord; // the first argument as given, unquoted: the check-now tag when it is one
};

// Reads the whole command line as the process received it (program name
// first). The name after testMode is the rest of the line, so a name with
// blanks works quoted or not: the tool passes it unquoted.
ClientCommand ParseClientCommandLine(std::u16string_view commandLine);

}  // namespace tidewatch
