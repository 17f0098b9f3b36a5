#include <filesystem>

#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/FlowCommandSupport.h"
#include "files/FileSelection.h"
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
                   "e.g. \"<ApplicationDir>\\bin\"")
        ->required();
    app.add_option("PATH", paths_, "the files to add")->required();
    answers_.Add(app, "the base-directory questions");
  }
  int Run() override {
    std::vector<WString> paths;
    for (const std::string& path : paths_) {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(path, ec)) {
        PrintError("not a file: " + path);
        return kFailed;
      }
      paths.push_back(AbsoluteHostPath(path));
    }
    const WString destination = BuildDestination(u"", FromArgument(destination_));
    if (destination.empty()) {
      PrintError(std::string("the destination names no folder"));
      return kFailed;
    }
    FlowPrompt prompt(answers_.Answer());
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    size_t added = 0;
    size_t skipped = 0;
    for (const FileSelection& selection : GroupFilesByDirectory(paths)) {
      const AddFilesResult result =
          AddFiles(document->settings, document->fileTree, selection, destination, prompt);
      // A refused base directory adds nothing: the project is not saved.
      if (!result.accepted) return kRefused;
      added += result.added;
      skipped += result.skipped;
    }
    if (!SaveProjectOrReport(*document)) return kFailed;
    PrintOut(u"Added " + text::FormatDecimal(static_cast<int64_t>(added)) + u" file(s) under " +
             destination + u"; " + text::FormatDecimal(static_cast<int64_t>(skipped)) +
             u" already present.");
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
