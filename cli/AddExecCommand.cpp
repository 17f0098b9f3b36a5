#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/FlowCommandSupport.h"
#include "content/ContentEditing.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

// The point by its name, without regard to case, or by its stored number 1 to 4.
std::optional<int> PointIndex(const std::string& argument) {
  const WString wanted = FromArgument(argument);
  for (size_t i = 0; i < kExecutionPoints.size(); ++i) {
    if (text::EqualsNoCase(kExecutionPoints[i].name, wanted) ||
        wanted == text::FormatDecimal(kExecutionPoints[i].number))
      return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string PointList() {
  std::string list;
  for (const ExecutionPoint& point : kExecutionPoints)
    list += (list.empty() ? "" : ", ") + std::to_string(point.number) + " \"" +
            text::ToUtf8(point.name) + "\"";
  return list;
}

class AddExecCommand final : public Command {
 public:
  const char* Name() const override { return "add-exec"; }
  const char* Summary() const override {
    return "Add a file for the client to execute at a point of the update, as the \"File "
           "execution\" dialog does. The same entry is not added twice at one point.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--dir", directory_, "the execution directory: " + ChoiceList(kExecutionDirectories))
        ->required();
    app.add_option("--file", fileName_, "the file name, e.g. setup.exe")->required();
    app.add_option("--point", point_, "the execution point, by name or number: " + PointList())
        ->required();
  }
  int Run() override {
    ShellExecFields fields;
    const auto directory = MatchChoice(kExecutionDirectories, directory_);
    const auto point = PointIndex(point_);
    if (!directory || !point) {
      PrintError(!directory ? "unknown execution directory: " + directory_
                            : "unknown execution point: " + point_);
      return kFailed;
    }
    for (size_t i = 0; i < kExecutionDirectories.size(); ++i)
      if (kExecutionDirectories[i] == *directory) fields.directoryIndex = static_cast<int>(i);
    fields.fileName = FromArgument(fileName_);
    fields.pointIndex = *point;

    FlowPrompt prompt(std::nullopt);
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    return SaveAfterEdit(AddExecution(document->shellExecs, fields, prompt), *document,
                         u"That file is already executed at that point; nothing was added.");
  }

 private:
  std::string file_, directory_, fileName_, point_;
};

}  // namespace

std::unique_ptr<Command> MakeAddExecCommand() { return std::make_unique<AddExecCommand>(); }

}  // namespace tidewell::cli
