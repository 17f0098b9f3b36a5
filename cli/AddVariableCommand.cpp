#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/FlowCommandSupport.h"
#include "content/ContentEditing.h"
#include "content/VariableList.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

class AddVariableCommand final : public Command {
 public:
  const char* Name() const override { return "add-variable"; }
  const char* Summary() const override {
    return "Add a user variable that reads a registry value on the client, as \"Create New\" "
           "of the variables dialog does; it is named automatically (Variable2, ...) and the "
           "name is printed. With --edit NAME the variable NAME reads the value instead; the "
           "built-in variables cannot be changed.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--base-key", baseKey_, ChoiceList(kRegistryBaseKeys))->required();
    app.add_option("--sub-key", subKey_, "the key below the base key")->required();
    app.add_option("--type", type_, ChoiceList(kRegistryReadValueTypes))->required();
    app.add_option("--value-name", valueName_, "the value to read")->required();
    app.add_option("--edit", edit_, "an existing variable to change instead");
  }
  int Run() override {
    const auto baseKey = MatchChoice(kRegistryBaseKeys, baseKey_);
    const auto type = MatchChoice(kRegistryReadValueTypes, type_);
    if (!baseKey || !type) {
      PrintError(!baseKey ? "unknown base key: " + baseKey_ : "unknown value type: " + type_);
      return kFailed;
    }
    RegistryReadFields fields;
    fields.baseKey = *baseKey;
    fields.subKey = FromArgument(subKey_);
    fields.valueType = *type;
    fields.valueName = FromArgument(valueName_);

    FlowPrompt prompt(std::nullopt);
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    VariableList& variables = document->variables;
    WString name;
    if (edit_) {
      const auto row = FindVariable(variables, FromArgument(*edit_));
      if (!row) {
        PrintError("no variable named " + *edit_);
        return kFailed;
      }
      if (EditVariableValue(variables, *row, fields, prompt) != EditResult::Done) return kRefused;
      name = variables.Rows()[*row].name;
    } else {
      const auto row = AddUserVariable(variables, fields, prompt);
      if (!row) return kRefused;
      name = variables.Rows()[*row].name;
    }
    if (const int saved = SaveEditedProject(*document); saved != kDone) return saved;
    PrintOut(name);
    return kDone;
  }

 private:
  std::string file_, baseKey_, subKey_, type_, valueName_;
  std::optional<std::string> edit_;
};

}  // namespace

std::unique_ptr<Command> MakeAddVariableCommand() { return std::make_unique<AddVariableCommand>(); }

}  // namespace tidewell::cli
