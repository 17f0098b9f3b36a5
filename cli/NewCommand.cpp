#include <filesystem>

#include "build/ToolFolder.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/FlowCommandSupport.h"
#include "project/Lifecycle.h"
#include "project/Preferences.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

// The command line shows no project dialog: its answer is given on the
// command line and checked by the same rules.
class NoDialogShell final : public ProjectShell {
 public:
  ProjectDialogResult RunProjectDialog(ProjectDialogMode) override { return {}; }
};

class NewCommand final : public Command {
 public:
  const char* Name() const override { return "new"; }
  const char* Summary() const override {
    return "Create a new project: FOLDER is created (its parent must exist, it must not) and "
           "receives Settings.xml with the defaults and the project name, and a copy of "
           "UpdateService.exe when one lies beside this program or in the working directory.";
  }
  void Configure(CLI::App& app) override {
    app.add_option("FOLDER", folder_, "the project folder to create")->required();
    app.add_option("--name", name_, "the project name")->required();
    app.add_option("--tool-folder", toolFolder_,
                   "where UpdateService.exe is looked for first (default: the folder of this "
                   "program)");
  }
  int Run() override {
    FlowPrompt prompt(std::nullopt);
    const auto choice = ConfirmNewProject(FromArgument(name_), AbsoluteHostPath(folder_), prompt);
    if (!choice) return kRefused;

    std::vector<WString> sources{toolFolder_.empty() ? RunningToolFolder() : AbsoluteHostPath(toolFolder_)};
    std::error_code ec;
    const std::filesystem::path workingFolder = std::filesystem::current_path(ec);
    if (!ec) sources.push_back(text::FromPath(workingFolder));

    MemoryPreferences preferences;
    NoDialogShell shell;
    ProjectLifecycle lifecycle(prompt, preferences, shell, std::move(sources));
    if (!lifecycle.CreateProject(*choice, ProjectDialogMode::NewMode)) return kFailed;
    PrintOut(lifecycle.Document().ProjectFilePath());
    return kDone;
  }

 private:
  std::string folder_;
  std::string name_;
  std::string toolFolder_;
};

}  // namespace

std::unique_ptr<Command> MakeNewCommand() { return std::make_unique<NewCommand>(); }

}  // namespace tidewell::cli
