#include "cli/Commands.h"

namespace tidewell::cli {

CommandList AllCommands() {
  CommandList commands;
  commands.push_back(MakeXmlCommand());
  commands.push_back(MakeInfoCommand());
  commands.push_back(MakeBuildCommand());
  commands.push_back(MakeSetCommand());
  commands.push_back(MakeIconsCommand());
  commands.push_back(MakeSetIconsCommand());
  commands.push_back(MakeSetPictureCommand());
  return commands;
}

}  // namespace tidewell::cli
