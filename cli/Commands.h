#pragma once

#include <memory>

#include "cli/Command.h"

namespace tidewell::cli {

std::unique_ptr<Command> MakeXmlCommand();
std::unique_ptr<Command> MakeInfoCommand();
std::unique_ptr<Command> MakeBuildCommand();
std::unique_ptr<Command> MakeKeygenCommand();
std::unique_ptr<Command> MakeSetCommand();
std::unique_ptr<Command> MakeIconsCommand();
std::unique_ptr<Command> MakeSetIconsCommand();
std::unique_ptr<Command> MakeSetPictureCommand();
std::unique_ptr<Command> MakeNewCommand();
std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeAddFilesCommand();
std::unique_ptr<Command> MakeCompareCommand();
std::unique_ptr<Command> MakeSetFileCommand();
std::unique_ptr<Command> MakeAddRegistryCommand();
std::unique_ptr<Command> MakeAddExecCommand();
std::unique_ptr<Command> MakeAddVariableCommand();
std::unique_ptr<Command> MakeRenameVariableCommand();
std::unique_ptr<Command> MakeRemoveCommand();
// Publishing, where the tool is built with it (not on Windows).
std::unique_ptr<Command> MakePublishCommand();
std::unique_ptr<Command> MakeVerifyReleaseCommand();

}  // namespace tidewell::cli
