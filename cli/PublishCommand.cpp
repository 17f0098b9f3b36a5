#include <cstdio>
#include <iostream>

#include <termios.h>
#include <unistd.h>

#include "cli/ClientCommandSupport.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/ReleaseJobOutput.h"
#include "cli/TerminalProgress.h"
#include "project/ProjectDocument.h"
#include "publish/ReleaseJobs.h"

namespace tidewell::cli {

namespace {

bool Interactive() { return ::isatty(STDIN_FILENO) == 1; }

// A password typed on the terminal, not shown.
std::optional<std::string> ReadPassword(const std::string& question) {
  if (!Interactive()) return std::nullopt;
  std::cerr << question << std::flush;
  termios saved{};
  ::tcgetattr(STDIN_FILENO, &saved);
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  std::string password;
  const bool got = static_cast<bool>(std::getline(std::cin, password));
  ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  std::cerr << '\n';
  if (!got) return std::nullopt;
  return password;
}

}  // namespace

namespace {

class PublishCommand final : public Command {
 public:
  const char* Name() const override { return "publish"; }
  const char* Summary() const override {
    return "Publish the built release: the update files that are new or changed, then the "
           "signature file, then the update XML file last, each under a temporary name renamed "
           "into place; then check it as a client sees it. TARGET is a folder, "
           "sftp://[user@]host[:port]/path, http(s):// (WebDAV) or s3://bucket/prefix, and stands "
           "for the folder of the update XML file's address.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--to", to_, "where the update XML file's folder is")->required();
    app.add_option("--files-to", filesTo_,
                   "where the update files' folder is, when their address is not below the update "
                   "XML file's folder");
    app.add_option("--identity", identity_, "SFTP: the private key file (default: the SSH agent)");
    app.add_option("--endpoint", endpoint_, "S3: the address of an S3-compatible service");
    app.add_flag("--prune", prune_,
                 "remove files published before that neither this release nor the previous one "
                 "lists");
    app.add_flag("--no-verify", noVerify_, "do not check the published release afterwards");
    app.add_flag("--yes", yes_, "trust an SSH host that is not in the known hosts yet");
    app.add_option("--key", key_, "the key the check trusts (default: the project's)");
  }
  int Run() override {
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    publish::PublishRequest request;
    request.to = to_;
    request.filesTo = filesTo_;
    request.prune = prune_;
    request.check = !noVerify_;
    request.signingKeyFile = FromArgument(key_);
    request.options.identity = ArgumentPath(identity_);
    if (identity_.empty()) request.options.identity.clear();
    request.options.endpoint = endpoint_;
    request.options.acceptHostKey = [this](const std::string& question) {
      if (yes_) return true;
      if (!Interactive()) {
        PrintError(question + " (not asked: run with --yes to trust it)");
        return false;
      }
      std::cerr << question << " [y/N] " << std::flush;
      std::string answer;
      std::getline(std::cin, answer);
      return answer == "y" || answer == "Y" || answer == "yes";
    };
    request.options.askPassword = ReadPassword;
    TerminalProgress line;
    const publish::JobResult result = publish::PublishProject(*document, request, ProgressLine(line));
    line.Clear();
    KeepUntilExit(std::move(document));
    return ReportJob(result);
  }

 private:
  std::string file_, to_, filesTo_, identity_, endpoint_, key_;
  bool prune_ = false, noVerify_ = false, yes_ = false;
};

}  // namespace

std::unique_ptr<Command> MakePublishCommand() { return std::make_unique<PublishCommand>(); }

}  // namespace tidewell::cli
