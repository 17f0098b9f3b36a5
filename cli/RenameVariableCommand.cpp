#include "cli/Command.h"
#include "cli/Commands.h"
#include "content/ContentEditing.h"
#include "content/VariableList.h"
#include "project/ProjectDocument.h"

namespace tidewell::cli {

namespace {

class RenameVariableCommand final : public Command {
 public:
  const char* Name() const override { return "rename-variable"; }
  const char* Summary() const override {
    return "Give a variable a new name, any text, an empty one included (the built-in ones "
           "too). OLD is matched with its case; when several share it, the first is renamed.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("OLD", old_, "the current name")->required();
    app.add_option("NEW", new_, "the new name")->required();
  }
  int Run() override {
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    const auto row = FindVariable(document->variables, FromArgument(old_));
    if (!row) {
      PrintError("no variable named " + old_);
      return kFailed;
    }
    document->variables.RenameVariable(*row, FromArgument(new_));
    return SaveEditedProject(*document);
  }

 private:
  std::string file_, old_, new_;
};

}  // namespace

std::unique_ptr<Command> MakeRenameVariableCommand() {
  return std::make_unique<RenameVariableCommand>();
}

}  // namespace tidewell::cli
