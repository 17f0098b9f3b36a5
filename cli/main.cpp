#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

#include "cli/Command.h"

int main(int argc, char** argv) {
  using namespace tidewell::cli;
#ifdef _WIN32
  // The output is the documents' own bytes (their CR LF pairs included) and
  // the same lines as on every other host: no LF is turned into CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  CLI::App app{
      "tidewell-cli: the Tidewell project operations without a window.\n"
      "Exit codes: 0 done, 1 failed, 2 refused by a rule (its message on stderr)."};
  app.require_subcommand(1);
  CommandList commands = AllCommands();
  for (auto& command : commands) command->Configure(*app.add_subcommand(command->Name(), command->Summary()));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kFailed;
  }
  for (auto& command : commands)
    if (app.got_subcommand(command->Name())) return command->Run();
  return kFailed;
}
