#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "build/CommandOutcome.h"
#include "build/ToolFolder.h"
#include "cli/Command.h"

namespace tidewell::cli {

// What the subcommands that make or change the client share: where the stub
// is found, and how an outcome becomes an exit code.
class ToolFolderOption {
 public:
  void Add(CLI::App& app) {
    app.add_option("--tool-folder", folder_,
                   "folder holding Tidewatch.exe and Tidewellpro.exe (default: the folder of "
                   "this program)");
  }
  WString Folder() const { return folder_.empty() ? RunningToolFolder() : FromArgument(folder_); }

 private:
  std::string folder_;
};

inline int ExitCodeFor(CommandOutcome outcome) {
  switch (outcome) {
    case CommandOutcome::Done: return kDone;
    case CommandOutcome::Refused: return kRefused;
    case CommandOutcome::Failed: break;
  }
  return kFailed;
}

}  // namespace tidewell::cli
