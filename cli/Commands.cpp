#include "cli/Commands.h"

namespace tidewell::cli {

CommandList AllCommands() {
  CommandList commands;
  commands.push_back(MakeXmlCommand());
  commands.push_back(MakeInfoCommand());
  commands.push_back(MakeBuildCommand());
  commands.push_back(MakeKeygenCommand());
  commands.push_back(MakeSetCommand());
  commands.push_back(MakeIconsCommand());
  commands.push_back(MakeSetIconsCommand());
  commands.push_back(MakeSetPictureCommand());
  commands.push_back(MakeNewCommand());
  commands.push_back(MakeShowCommand());
  commands.push_back(MakeAddFilesCommand());
  commands.push_back(MakeCompareCommand());
  commands.push_back(MakeSetFileCommand());
  commands.push_back(MakeAddRegistryCommand());
  commands.push_back(MakeAddExecCommand());
  commands.push_back(MakeAddVariableCommand());
  commands.push_back(MakeRenameVariableCommand());
  commands.push_back(MakeRemoveCommand());
#ifdef TIDEWELL_PUBLISH
  commands.push_back(MakePublishCommand());
  commands.push_back(MakeVerifyReleaseCommand());
#endif
  return commands;
}

}  // namespace tidewell::cli
