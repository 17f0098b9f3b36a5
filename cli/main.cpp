#include <iostream>
#include <vector>

#include "TidewellVersion.h"
#include "cli/Command.h"
#include "cli/Console.h"

int main(int argc, char** argv) {
  using namespace tidewell::cli;
  UseUnicodeOutput();
  CLI::App app{
      "tidewell-cli: the Tidewell project operations without a window.\n"
      "Exit codes: 0 done, 1 failed, 2 refused by a rule (its message on stderr)."};
  // Options start with dashes on every host: "/Projects/Settings.xml" is a
  // path. Subcommands made after this inherit it.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", "tidewell-cli " TIDEWELL_VERSION_TEXT,
                       "print the version of the tool and exit");
  app.require_subcommand(1);
  CommandList commands = AllCommands();
  for (auto& command : commands) command->Configure(*app.add_subcommand(command->Name(), command->Summary()));
  const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kFailed;
  }
  for (auto& command : commands)
    if (app.got_subcommand(command->Name())) return command->Run();
  return kFailed;
}
