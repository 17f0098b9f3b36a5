#include <iostream>

#include "cli/Command.h"
#include "cli/Commands.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"

namespace tidewell::cli {

namespace {

class XmlCommand final : public Command {
 public:
  const char* Name() const override { return "xml"; }
  const char* Summary() const override {
    return "Print a document of the project exactly as it would be saved: the project file "
           "(--form project, the default) or the server update file, measured on disk (--form server).";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("--form", form_, "project or server")
        ->check(CLI::IsMember({"project", "server"}))
        ->default_str("project");
  }
  int Run() override {
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    WString text;
    const XmlForm form = form_ == "server" ? XmlForm::ServerForm : XmlForm::ProjectForm;
    if (!WriteDocumentText(*document, text, form)) return kFailed;
    EncodeDocumentTextInPieces(text, [](std::string_view piece) {
      std::cout.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      return static_cast<bool>(std::cout);
    });
    std::cout.flush();
    KeepUntilExit(std::move(document));
    return std::cout ? kDone : kFailed;
  }

 private:
  std::string file_;
  std::string form_ = "project";
};

}  // namespace

std::unique_ptr<Command> MakeXmlCommand() { return std::make_unique<XmlCommand>(); }

}  // namespace tidewell::cli
