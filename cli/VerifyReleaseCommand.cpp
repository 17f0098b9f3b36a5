#include "cli/ClientCommandSupport.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/ReleaseJobOutput.h"
#include "project/ProjectDocument.h"
#include "publish/ReleaseJobs.h"

namespace tidewell::cli {


namespace {

class VerifyReleaseCommand final : public Command {
 public:
  const char* Name() const override { return "verify-release"; }
  const char* Summary() const override {
    return "Check the published release as a client sees it: the update XML file and its "
           "signature from their addresses, the signature with the project's key, and every "
           "file's size and SHA-256 at its download address. Prints each problem with its "
           "address and exits 1; exits 0 when the release is whole.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--key", key_, "the key to trust (default: the project's)");
  }
  int Run() override {
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    TerminalProgress line;
    const publish::JobResult result =
        publish::CheckProjectRelease(*document, FromArgument(key_), ProgressLine(line));
    line.Clear();
    KeepUntilExit(std::move(document));
    return ReportJob(result);
  }

 private:
  std::string file_, key_;
};

}  // namespace

std::unique_ptr<Command> MakeVerifyReleaseCommand() {
  return std::make_unique<VerifyReleaseCommand>();
}

}  // namespace tidewell::cli
