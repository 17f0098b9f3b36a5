#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/CliPrompt.h"
#include "text/WString.h"

namespace tidewell {
class ProjectDocument;
}

namespace tidewell::cli {

enum ExitCode : int { kDone = 0, kFailed = 1, kRefused = 2 };

// One subcommand: it declares its arguments on its own CLI11 sub-app and runs
// when that sub-app was chosen.
class Command {
 public:
  virtual ~Command() = default;
  virtual const char* Name() const = 0;
  virtual const char* Summary() const = 0;
  virtual void Configure(CLI::App& app) = 0;
  virtual int Run() = 0;
};

using CommandList = std::vector<std::unique_ptr<Command>>;

// Every subcommand of the tool, in the order --help lists them.
CommandList AllCommands();

// The FILE argument every project command takes first.
inline void AddProjectFileArgument(CLI::App& app, std::string& file) {
  app.add_option("FILE", file, "the project file (Settings.xml)")->required();
}

// Loads a project file; on failure prints the load error and answers nullptr.
std::unique_ptr<ProjectDocument> LoadProjectOrReport(const std::string& file, Prompt& prompt);
// For a command that only reads the project and ends the process next: the
// document stays as it is until the process ends and its memory goes with
// the rest, instead of being taken down node by node first.
void KeepUntilExit(std::unique_ptr<ProjectDocument> document);
// Saves the project file and answers the exit code: kDone when saved; a
// project without a name is refused (kRefused) with the reason, as the
// command line cannot run the save-as flow; a failed save prints the save
// error (kFailed).
int SaveEditedProject(ProjectDocument& document);
// Prints the reason of a failure, after its message, when there is one.
void PrintReason(const std::string& why);

WString FromArgument(const std::string& argument);
std::string ToArgument(const WString& text);
// An argument naming a host file, as the system's path type.
std::filesystem::path ArgumentPath(const std::string& argument);

}  // namespace tidewell::cli
