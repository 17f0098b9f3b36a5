#include <filesystem>

#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/FlowCommandSupport.h"
#include "files/FileSelection.h"
#include "platform/HostPath.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

class AddFilesCommand final : public Command {
 public:
  const char* Name() const override { return "add-files"; }
  const char* Summary() const override {
    return "Add files to the project's file tree under a client destination, as the \"Add "
           "Files\" button does. Each file's Src is its folder relative to the base update "
           "directory (UpdateFilesDir); a folder outside it, or no base yet, asks whether to "
           "change the base: answer with --yes or --no. Names already present are skipped.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--dest", destination_,
                   "the client destination: a root such as <ApplicationDir> and sub-folders, "
                   "e.g. \"<ApplicationDir>\\bin\"; \"\\\" for the top level")
        ->required();
    app.add_option("PATH", paths_, "the files to add")->required();
    answers_.Add(app, "the base-directory questions");
  }
  int Run() override {
    std::vector<WString> paths;
    for (const std::string& path : paths_) {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(SystemPath(ArgumentPath(path)), ec)) {
        PrintError("not a file: " + path);
        return kFailed;
      }
      paths.push_back(AbsoluteHostPath(path));
    }
    // A destination with no names (a lone backslash) is the top level of the tree.
    const WString destination = BuildDestination(u"", FromArgument(destination_));
    FlowPrompt prompt(answers_.Answer());
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    const AddFilesResult result = AddFileGroups(document->settings, document->fileTree,
                                                GroupFilesByDirectory(paths), destination, prompt);
    // A refused request adds nothing: the project is not saved.
    if (!result.accepted) return kRefused;
    if (const int saved = SaveEditedProject(*document); saved != kDone) return saved;
    PrintOut(u"Added " + text::FormatDecimal(static_cast<int64_t>(result.added)) +
             u" file(s) under " + (destination.empty() ? WString(u"\\") : destination) + u"; " +
             text::FormatDecimal(static_cast<int64_t>(result.skipped)) + u" already present.");
    return kDone;
  }

 private:
  std::string file_;
  std::string destination_;
  std::vector<std::string> paths_;
  AnswerFlags answers_;
};

}  // namespace

std::unique_ptr<Command> MakeAddFilesCommand() { return std::make_unique<AddFilesCommand>(); }

}  // namespace tidewell::cli
