#pragma once

#include <memory>

#include "cli/Command.h"

namespace tidewell::cli {

std::unique_ptr<Command> MakeXmlCommand();
std::unique_ptr<Command> MakeInfoCommand();
std::unique_ptr<Command> MakeBuildCommand();
std::unique_ptr<Command> MakeSetCommand();
std::unique_ptr<Command> MakeIconsCommand();
std::unique_ptr<Command> MakeSetIconsCommand();
std::unique_ptr<Command> MakeSetPictureCommand();

}  // namespace tidewell::cli
