#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/FlowCommandSupport.h"
#include "content/ContentEditing.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

// The action by its text ("Add Value") or its verb ("Add"), without regard to case.
std::optional<int> ActionIndex(const std::string& argument) {
  const WString wanted = FromArgument(argument);
  for (size_t i = 0; i < kRegistryActions.size(); ++i) {
    const auto action = static_cast<RegistryAction>(i);
    if (text::EqualsNoCase(kRegistryActions[i], wanted) ||
        text::EqualsNoCase(RegistryVerb(action), wanted))
      return static_cast<int>(i);
  }
  return std::nullopt;
}

class AddRegistryCommand final : public Command {
 public:
  const char* Name() const override { return "add-registry"; }
  const char* Summary() const override {
    return "Add a registry operation to the project, as the \"Registry\" dialog does: under "
           "base key\\sub-key, the value name and data as the action needs them. An operation "
           "of the same label under that key is not added twice.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--base-key", baseKey_, ChoiceList(kRegistryBaseKeys))->required();
    app.add_option("--sub-key", subKey_, "the key below the base key, e.g. Software\\MyApp")
        ->required();
    app.add_option("--action", action_,
                   ChoiceList(kRegistryActions) + ", or the verbs Add, Delete, Create, Remove")
        ->required();
    app.add_option("--type", type_, ChoiceList(kRegistryValueTypes) + " (Add Value only)");
    app.add_option("--name", name_, "the value name (Add Value and Delete Value)");
    app.add_option("--data", data_, "the value data (Add Value)");
  }
  int Run() override {
    RegistryItemFields fields;
    const auto baseKey = MatchChoice(kRegistryBaseKeys, baseKey_);
    const auto action = ActionIndex(action_);
    const auto type = type_.empty() ? std::optional<WString>(fields.valueType)
                                    : MatchChoice(kRegistryValueTypes, type_);
    if (!baseKey || !action || !type) {
      PrintError(!baseKey ? "unknown base key: " + baseKey_
                          : !action ? "unknown action: " + action_ : "unknown value type: " + type_);
      return kFailed;
    }
    fields.baseKey = *baseKey;
    fields.subKey = FromArgument(subKey_);
    fields.actionIndex = *action;
    fields.valueType = *type;
    fields.valueName = FromArgument(name_);
    fields.valueData = FromArgument(data_);

    FlowPrompt prompt(std::nullopt);
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    return SaveAfterEdit(AddRegistryItem(document->registryTree, fields, prompt), *document,
                         u"An operation of that name already stands under that key; nothing was added.");
  }

 private:
  std::string file_, baseKey_, subKey_, action_, type_, name_, data_;
};

}  // namespace

std::unique_ptr<Command> MakeAddRegistryCommand() { return std::make_unique<AddRegistryCommand>(); }

}  // namespace tidewell::cli
