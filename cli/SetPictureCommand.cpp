#include "build/ClientBuilder.h"
#include "build/ClientPicture.h"
#include "cli/ClientCommandSupport.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "project/ProjectDocument.h"

namespace tidewell::cli {

namespace {

class SetPictureCommand final : public Command {
 public:
  const char* Name() const override { return "set-picture"; }
  const char* Summary() const override {
    return "Write a .bmp file into the project's client as its main picture (--main, bitmap "
           "208) or its top picture (--top, bitmap 205).";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    auto* which = app.add_option_group("picture", "which picture");
    which->add_option("--main", main_, "the main picture's .bmp file");
    which->add_option("--top", top_, "the top picture's .bmp file");
    which->require_option(1);
    toolFolder_.Add(app);
  }
  int Run() override {
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    const ClientPicture picture = main_.empty() ? ClientPicture::Top : ClientPicture::Main;
    const FieldId& button =
        picture == ClientPicture::Main ? kMainPictureButtonField : kTopPictureButtonField;
    if (!CheckProjectForGraphics(*document, button, prompt)) return kRefused;
    ClientBuilder builder(prompt, toolFolder_.Folder());
    const WString bitmap = FromArgument(picture == ClientPicture::Main ? main_ : top_);
    if (!WriteChosenPicture(*document, builder, picture, bitmap)) {
      // A file shorter than a bitmap file header fails without a message.
      if (!prompt.ShowedError()) PrintError(u"The picture was not written: " + bitmap);
      return kFailed;
    }
    PrintOut(WString(picture == ClientPicture::Main ? u"Main" : u"Top") + u" picture of " +
             document->ClientExecutablePath() + u" written from " + bitmap);
    return kDone;
  }

 private:
  std::string file_, main_, top_;
  ToolFolderOption toolFolder_;
};

}  // namespace

std::unique_ptr<Command> MakeSetPictureCommand() { return std::make_unique<SetPictureCommand>(); }

}  // namespace tidewell::cli
