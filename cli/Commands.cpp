#include "cli/Commands.h"

namespace tidewell::cli {

CommandList AllCommands() {
  CommandList commands;
  commands.push_back(MakeXmlCommand());
  commands.push_back(MakeInfoCommand());
  return commands;
}

}  // namespace tidewell::cli
