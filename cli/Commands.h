#pragma once

#include <memory>

#include "cli/Command.h"

namespace tidewell::cli {

std::unique_ptr<Command> MakeXmlCommand();
std::unique_ptr<Command> MakeInfoCommand();

}  // namespace tidewell::cli
