#include "cli/Command.h"
#include "cli/Commands.h"
#include "files/FileInfo.h"

namespace tidewell::cli {

namespace {

class InfoCommand final : public Command {
 public:
  const char* Name() const override { return "info"; }
  const char* Summary() const override {
    return "Show the file information panel for a file, or for a zip entry written as "
           "archive<entry>: its name, version, modified date and size.";
  }
  void Configure(CLI::App& app) override {
    app.add_option("PATH", path_, "a file, or archive.zip<entry name>")->required();
  }
  int Run() override {
    const FileInfoPanel panel = DescribeFile(FromArgument(path_));
    PrintOut(kFileNameLabel + u" " + panel.fileName);
    PrintOut(kVersionLabel + u" " + panel.version);
    PrintOut(kModifiedDateLabel + u" " + panel.modifiedDate);
    PrintOut(kFileSizeLabel + u" " + panel.fileSize);
    return kDone;
  }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<Command> MakeInfoCommand() { return std::make_unique<InfoCommand>(); }

}  // namespace tidewell::cli
