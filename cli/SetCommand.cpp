#include <string>
#include <vector>

#include "build/SettingAssignment.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

std::string FlagHelp() {
  std::string help =
      "KEY=VALUE pairs. KEY is a setting's key name (ProjName, UpdateFilesDir, Executable, "
      "HTTPLocationFiles, HTTPLocationXML, AppVersion, Frequency, Reprompt, Notes, ClientXML, "
      "ClientExe, CheckNow, CompanyName, AppTitle, InstallComplete, UpdateNotNeeded, License, "
      "Reason, SilentFinished, Welcome, UpdateVersion, UpdateType, Shell); a behaviour flag as "
      "flag.NAME or FlagN (0 to 14) with on/off, true/false, yes/no or 1/0:";
  for (const WString& spelling : FlagSpellings()) help += " " + text::ToUtf8(spelling) + ",";
  help +=
      " or Settings=MASK for all fifteen flags. ClientExe, CheckNow, ClientXML, AppVersion and "
      "UpdateVersion follow the release rules (a refusal exits 2 and stores nothing; "
      "ClientExe=Updater is stored as Updater.exe); other values are stored as given.";
  return help;
}

class SetCommand final : public Command {
 public:
  const char* Name() const override { return "set"; }
  const char* Summary() const override {
    return "Set settings and behaviour flags of a project by name (KEY=VALUE ...) and save it.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("ASSIGNMENTS", assignments_, FlagHelp())->required();
  }
  int Run() override {
    std::vector<SettingAssignment> parsed;
    for (const std::string& argument : assignments_) {
      WString error;
      const auto assignment = ParseSettingAssignment(FromArgument(argument), &error);
      if (!assignment) {
        PrintError(error);
        return kFailed;
      }
      parsed.push_back(*assignment);
    }
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    if (!ApplySettingAssignments(document->settings, parsed, prompt)) return kRefused;
    return SaveEditedProject(*document);
  }

 private:
  std::string file_;
  std::vector<std::string> assignments_;
};

}  // namespace

std::unique_ptr<Command> MakeSetCommand() { return std::make_unique<SetCommand>(); }

}  // namespace tidewell::cli
