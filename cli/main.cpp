#include <iostream>

#include "cli/Command.h"

int main(int argc, char** argv) {
  using namespace tidewell::cli;
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
