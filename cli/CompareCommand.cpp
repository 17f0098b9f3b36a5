#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/FlowCommandSupport.h"
#include "files/DirectoryComparison.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

WString Count(size_t n) { return text::FormatDecimal(static_cast<int64_t>(n)); }

class CompareCommand final : public Command {
 public:
  const char* Name() const override { return "compare"; }
  const char* Summary() const override {
    return "Compare the latest version of the product with the old one, as \"Auto Compare\" "
           "does: every file of --new that is missing from --old or has a later last-write time "
           "is added under <ApplicationDir> and its folder. The base-directory questions are "
           "answered with --yes or --no; the long-operation question is always answered Yes.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--old", old_, "the folder of the old version")->required();
    app.add_option("--new", new_, "the folder of the latest version")->required();
    answers_.Add(app, "the base-directory questions");
  }
  int Run() override {
    FlowPrompt prompt(answers_.Answer(), true);
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    const WString oldDir = AbsoluteHostPath(old_);
    const WString newDir = AbsoluteHostPath(new_);
    if (!ValidateAutoCompare(oldDir, newDir, prompt)) return kRefused;
    ComparisonReport report;
    if (!AutoCompare(document->settings, document->fileTree, oldDir, newDir, prompt, &report))
      return kRefused;
    if (const int saved = SaveEditedProject(*document); saved != kDone) return saved;
    PrintOut(u"Added " + Count(report.filesAdded) + u" file(s); " + Count(report.filesUnchanged) +
             u" not newer than their old copy; " + Count(report.duplicates) +
             u" already present.");
    return kDone;
  }

 private:
  std::string file_;
  std::string old_;
  std::string new_;
  AnswerFlags answers_;
};

}  // namespace

std::unique_ptr<Command> MakeCompareCommand() { return std::make_unique<CompareCommand>(); }

}  // namespace tidewell::cli
