#include <optional>

#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/FlowCommandSupport.h"
#include "files/FileProperties.h"
#include "files/FileTree.h"
#include "files/TreePath.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

std::optional<UpdateCondition> ParseCondition(const std::string& text) {
  if (text == "none") return UpdateCondition::Unconditional;
  if (text == "date") return UpdateCondition::TimeStampBased;
  if (text == "ver") return UpdateCondition::VersionBased;
  return std::nullopt;
}

const char* ConditionName(UpdateCondition condition) {
  switch (condition) {
    case UpdateCondition::Unconditional: return "none";
    case UpdateCondition::TimeStampBased: return "date";
    case UpdateCondition::VersionBased: return "ver";
  }
  return "?";
}

// "all", "none", a decimal mask, or names joined by commas (Win95,WinXP).
std::optional<int32_t> ParseSystems(const std::string& list) {
  const WString text = FromArgument(list);
  if (text::EqualsNoCase(text, u"all")) return OsMask::All;
  if (text::EqualsNoCase(text, u"none")) return 0;
  if (!text.empty() && text.find_first_not_of(u"0123456789") == WString::npos) {
    const int32_t mask = text::ParseDecimal(text);
    if (mask >= 0 && mask <= OsMask::All) return mask;
    return std::nullopt;
  }
  int32_t mask = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u',', start);
    if (end == WString::npos) end = text.size();
    const WString name = text::TrimSpaces(std::u16string_view(text).substr(start, end - start));
    bool known = false;
    for (const OsCheckBox& box : kOsCheckBoxes) {
      if (text::EqualsNoCase(box.label, name)) {
        mask |= box.bit;
        known = true;
      }
    }
    if (!known) return std::nullopt;
    start = end + 1;
  }
  return mask;
}

class SetFileCommand final : public Command {
 public:
  const char* Name() const override { return "set-file"; }
  const char* Summary() const override {
    return "Change the properties of one file of the file tree, as its properties sheet does: "
           "the update condition, the target systems and whether the client unzips it "
           "(switching unzip on adds the archive's entries, off removes them). TREE-PATH names "
           "the file from its root, e.g. \"<ApplicationDir>\\Data\\Data.zip\".";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
    app.add_option("TREE-PATH", treePath_, "the file in the tree, folders joined by \\")->required();
    app.add_option("--condition", condition_, "update condition")
        ->check(CLI::IsMember({"none", "date", "ver"}));
    app.add_option("--os", systems_,
                   "target systems: all, none, a mask 0 to 31, or names joined by commas "
                   "(Win95,Win98,WinNT,Win2000,WinXP)");
    app.add_option("--unzip", unzip_, "whether the client unzips the file")
        ->check(CLI::IsMember({"on", "off"}));
  }
  int Run() override {
    std::optional<int32_t> systems;
    if (!systems_.empty()) {
      systems = ParseSystems(systems_);
      if (!systems) {
        PrintError("not a list of target systems: " + systems_);
        return kFailed;
      }
    }
    FlowPrompt prompt(std::nullopt);
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    TreeNode* node = FindNodeByPath(document->fileTree, FromArgument(treePath_));
    const FileRecord* record = node ? FileTree::RecordOf(*node) : nullptr;
    if (!record) {
      PrintError("no file at " + treePath_ + " in the file tree");
      return kFailed;
    }
    FileProperties chosen = FileProperties::Of(*record);
    if (systems) chosen.os = *systems;
    if (!condition_.empty()) chosen.condition = *ParseCondition(condition_);
    if (!unzip_.empty()) chosen.unzip = unzip_ == "on";

    // The sheet refuses a choice when it is made, so only what changes is checked.
    const FilePropertiesProbe probe = ProbeFileProperties(document->fileTree, *node);
    if (chosen.condition != record->Type && !AcceptCondition(probe, chosen.condition, prompt))
      return kRefused;
    if (chosen.unzip && record->Unzip == 0 && !AcceptUnzip(probe, chosen.unzip, prompt))
      return kRefused;
    const FilePropertiesChange change = ApplyFileProperties(document->fileTree, *node, chosen, prompt);
    if (change.unzipFailed) return kFailed;
    if (const int saved = SaveEditedProject(*document); saved != kDone) return saved;

    std::string summary = treePath_ + ": condition " + ConditionName(record->Type) + ", OS " +
                          std::to_string(record->OS) + ", unzip " + (record->Unzip ? "on" : "off");
    if (change.entriesAdded) summary += ", " + std::to_string(change.entriesAdded) + " entries added";
    if (change.entriesRemoved)
      summary += ", " + std::to_string(change.entriesRemoved) + " entries removed";
    PrintOut(text::FromUtf8(summary));
    return kDone;
  }

 private:
  std::string file_;
  std::string treePath_;
  std::string condition_;
  std::string systems_;
  std::string unzip_;
};

}  // namespace

std::unique_ptr<Command> MakeSetFileCommand() { return std::make_unique<SetFileCommand>(); }

}  // namespace tidewell::cli
