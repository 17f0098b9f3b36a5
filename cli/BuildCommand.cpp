#include "build/BuildCommands.h"
#include "build/ClientBuilder.h"
#include "build/HostProcessStarter.h"
#include "build/ProjectPages.h"
#include "cli/ClientCommandSupport.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "project/ProjectDocument.h"
#ifdef TIDEWELL_DELTA
#include "delta/ReleasePatches.h"
#endif

namespace tidewell::cli {

namespace {

// The command line's prompt for builds: the information balloon of a success
// is the command's output, on stdout; everything else goes where CliPrompt
// sends it.
class BuildPrompt final : public ForwardingPrompt {
 public:
  BuildPrompt() : ForwardingPrompt(cli_) {}

  void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                   MessageIcon icon) override {
    if (caption == kInformationCaption) PrintOut(text);
    else ForwardingPrompt::ShowBalloon(field, caption, text, icon);
  }

 private:
  // Bound by the base before it is built; the base only keeps the reference.
  CliPrompt cli_;
};

class BuildCommand final : public Command {
 public:
  const char* Name() const override { return "build"; }
  const char* Summary() const override {
    return "Build the client executable (--client) or the server update XML file (--xml), "
           "preview the client in test mode (--preview), or open the project folder (--view). "
           "Prints the success message; a refusal exits 2 with its message on stderr.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    auto* mode = app.add_option_group("mode", "what to build");
    mode->add_flag("--client", client_, "build the update client executable");
    mode->add_flag("--xml", xml_, "build the server update XML file");
    mode->add_flag("--preview", preview_,
                   "build the client and the update file, then start the client in test mode "
                   "(through wine on a host that is not Windows)");
    mode->add_flag("--view", view_, "rewrite the server update file and open the project folder");
    mode->require_option(1);
    toolFolder_.Add(app);
    app.add_option("--key", key_,
                   "sign with this key file instead of the project's own key (default: the "
                   "file named by TIDEWELL_SIGNING_KEY)");
    app.add_option("--sign-command", signCommand_,
                   "sign the built client with this command (Authenticode): {file} is the "
                   "client, signed in place, or with {signed} the command writes the signed "
                   "copy there (default: TIDEWELL_SIGN_COMMAND); a failure keeps the previous "
                   "client");
    app.add_option("--previous", previous_,
                   "with --xml: an earlier release's update files, laid out as the update files "
                   "folder (repeatable); each changed file gets a patch from it, beside the file, "
                   "listed in the signed patch list beside the update XML file")
        ->check(CLI::ExistingDirectory);
  }
  int Run() override {
    BuildPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    document->SetPrompt(&prompt);
    ClientBuilder builder(prompt, toolFolder_.Folder());
    // The pages are loaded as an opened project loads them, and collected
    // before the build as the desktop tool collects them.
    ProjectPages pages(document->settings, prompt);
    pages.LoadPages();
    HostProcessStarter starter;
    BuildCommands commands(*document, pages.release, builder, starter, prompt);
    commands.SetCollectPages([&pages] { pages.CollectPages(); });
    commands.SetSigningKeyFile(FromArgument(key_));
    commands.SetSignCommand(signCommand_);
    if (!previous_.empty() && !xml_) {
      PrintReason("--previous goes with --xml");
      return kRefused;
    }
#ifdef TIDEWELL_DELTA
    delta::ReleasePatchesReport patches;
    if (!previous_.empty()) {
      std::vector<std::filesystem::path> earlier;
      for (const std::string& folder : previous_) earlier.push_back(ArgumentPath(folder));
      commands.SetReleasePatcher([earlier, &patches](const std::filesystem::path& serverFile,
                                                     const WString& updateFilesDir, const SigningKey& key,
                                                     std::string& error) {
        return delta::WriteReleasePatches(serverFile, updateFilesDir, key, earlier, patches, error);
      });
    }
#else
    if (!previous_.empty()) {
      PrintReason("this build of the tool makes no patches");
      return kRefused;
    }
#endif

    CommandOutcome outcome = CommandOutcome::Failed;
    if (client_) outcome = commands.BuildClientCommand();
    else if (xml_) outcome = commands.BuildUpdateXmlCommand();
    else if (preview_) outcome = commands.PreviewCommand(true);
    else if (view_) outcome = commands.ViewFilesCommand();
    if (outcome == CommandOutcome::Failed) PrintReason(commands.FailureReason());
#ifdef TIDEWELL_DELTA
    if (outcome == CommandOutcome::Done && !previous_.empty())
      PrintOut(FromArgument("Patches: " + std::to_string(patches.made) + " made (" +
                            std::to_string(patches.patchBytes) + " bytes), " +
                            std::to_string(patches.notSmaller) + " not worth it, " +
                            std::to_string(patches.tooLarge) + " files too large"));
#endif
    if (outcome == CommandOutcome::Done && preview_)
      PrintOut(u"The client was started in test mode: " + document->ClientExecutablePath());
    if (outcome == CommandOutcome::Done && view_)
      PrintOut(u"The project folder was opened: " + document->projectFolder);
    return ExitCodeFor(outcome);
  }

 private:
  std::string file_, key_, signCommand_;
  std::vector<std::string> previous_;
  bool client_ = false, xml_ = false, preview_ = false, view_ = false;
  ToolFolderOption toolFolder_;
};

}  // namespace

std::unique_ptr<Command> MakeBuildCommand() { return std::make_unique<BuildCommand>(); }

}  // namespace tidewell::cli
