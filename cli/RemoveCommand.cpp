#include "cli/Command.h"
#include "cli/Commands.h"
#include "files/TreePath.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

class RemoveCommand final : public Command {
 public:
  const char* Name() const override { return "remove"; }
  const char* Summary() const override {
    return "Remove a node from one of the project's trees, as the Delete key does: the node with "
           "everything below it, then every folder or key above it left empty. TREE-PATH names "
           "the node from the root, parts joined by \\.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("TREE", tree_, "files, registry or exec")
        ->required()
        ->check(CLI::IsMember({"files", "registry", "exec"}));
    app.add_option("TREE-PATH", path_,
                   "e.g. \"<ApplicationDir>\\bin\\App.exe\", \"HKEY_CURRENT_USER\\Software\\MyApp\" "
                   "or \"Installation complete\\<ApplicationDir>\\setup.exe\"")
        ->required();
  }
  int Run() override {
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    ItemTree& tree = tree_ == "files"      ? static_cast<ItemTree&>(document->fileTree)
                     : tree_ == "registry" ? static_cast<ItemTree&>(document->registryTree)
                                           : static_cast<ItemTree&>(document->shellExecs);
    TreeNode* node = FindNodeByPath(tree, FromArgument(path_));
    if (!node) {
      PrintError("nothing at " + path_ + " in the " + tree_ + " tree");
      return kFailed;
    }
    const size_t before = tree.NodeCount();
    tree.DeleteItem(node);
    if (const int saved = SaveEditedProject(*document); saved != kDone) return saved;
    PrintOut(u"Removed " + text::FormatDecimal(static_cast<int64_t>(before - tree.NodeCount())) +
             u" node(s).");
    return kDone;
  }

 private:
  std::string file_, tree_, path_;
};

}  // namespace

std::unique_ptr<Command> MakeRemoveCommand() { return std::make_unique<RemoveCommand>(); }

}  // namespace tidewell::cli
