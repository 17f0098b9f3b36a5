#include "build/IconCatalogue.h"
#include "cli/ClientCommandSupport.h"
#include "cli/Command.h"
#include "cli/Commands.h"

namespace tidewell::cli {

namespace {

class IconsCommand final : public Command {
 public:
  const char* Name() const override { return "icons"; }
  const char* Summary() const override {
    return "List the icon images of an executable or library that can become the client's "
           "icons: one line per image, \"large NAME\" (32 x 32) or \"small NAME\" (16 x 16), "
           "names as #id or the string name, in the module's order.";
  }
  void Configure(CLI::App& app) override {
    app.add_option("MODULE", module_,
                   "the executable or library (default: the system's shell library; on a host "
                   "without one, the client stub's own icons)");
    toolFolder_.Add(app);
  }
  int Run() override {
    const WString source = module_.empty() ? DefaultIconSource(toolFolder_.Folder())
                                           : FromArgument(module_);
    if (module_.empty()) PrintError(u"Icon source: " + source);
    const IconCatalogue catalogue = ReadIconCatalogue(source);
    for (const WString& name : catalogue.large) PrintOut(u"large " + name);
    for (const WString& name : catalogue.small) PrintOut(u"small " + name);
    CliPrompt prompt;
    ReportMissingIcons(catalogue, prompt);
    if (!catalogue.opened) {
      PrintError(u"(" + source + u" cannot be read as an executable or library)");
      return kFailed;
    }
    return kDone;
  }

 private:
  std::string module_;
  ToolFolderOption toolFolder_;
};

}  // namespace

std::unique_ptr<Command> MakeIconsCommand() { return std::make_unique<IconsCommand>(); }

}  // namespace tidewell::cli
