#include "build/ClientBuilder.h"
#include "build/IconSelection.h"
#include "cli/ClientCommandSupport.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "project/ProjectDocument.h"

namespace tidewell::cli {

namespace {

class SetIconsCommand final : public Command {
 public:
  const char* Name() const override { return "set-icons"; }
  const char* Summary() const override {
    return "Give the project's client the icons of an executable or library: the large "
           "(32 x 32) image becomes icon image 1, then the small (16 x 16) image icon image 2. "
           "Names as listed by the icons command.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--source", source_,
                   "the executable or library (default: the system's shell library; on a host "
                   "without one, the client stub)");
    app.add_option("--large", large_, "name of a 32 x 32 image, e.g. #3")->required();
    app.add_option("--small", small_, "name of a 16 x 16 image")->required();
    toolFolder_.Add(app);
  }
  int Run() override {
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    const WString toolFolder = toolFolder_.Folder();
    ClientBuilder builder(prompt, toolFolder);
    const CommandOutcome prepared = PrepareClientIcons(*document, builder, prompt);
    if (prepared != CommandOutcome::Done) return ExitCodeFor(prepared);

    IconChoice choice;
    choice.source = source_.empty() ? DefaultIconSource(toolFolder) : FromArgument(source_);
    choice.large = FromArgument(large_);
    choice.small = FromArgument(small_);
    const IconCatalogue catalogue = ReadIconCatalogue(choice.source);
    ReportMissingIcons(catalogue, prompt);
    if (!ValidateIconChoice(catalogue, choice, prompt)) return kRefused;
    if (!ReplaceClientIcons(builder, document->ClientExecutablePath(), choice)) return kFailed;
    PrintOut(u"The client's icons are now " + choice.large + u" (large) and " + choice.small +
             u" (small) of " + choice.source + u": " + document->ClientExecutablePath());
    return kDone;
  }

 private:
  std::string file_, source_, large_, small_;
  ToolFolderOption toolFolder_;
};

}  // namespace

std::unique_ptr<Command> MakeSetIconsCommand() { return std::make_unique<SetIconsCommand>(); }

}  // namespace tidewell::cli
