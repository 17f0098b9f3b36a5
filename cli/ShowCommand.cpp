#include "build/SettingAssignment.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "content/RegistryOperation.h"
#include "files/FileRecord.h"
#include "files/FileTree.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

namespace {

const char16_t* ConditionText(UpdateCondition condition) {
  switch (condition) {
    case UpdateCondition::Unconditional: return u"unconditional";
    case UpdateCondition::TimeStampBased: return u"date";
    case UpdateCondition::VersionBased: return u"ver";
  }
  return u"?";
}

WString SystemsText(int32_t os) {
  return os == OsMask::All ? WString(u"all") : text::FormatDecimal(os);
}

// What an item node carries, in brackets after its name.
WString FileDetails(const TreeNode& node) {
  const FileRecord* record = FileTree::RecordOf(node);
  if (!record) return {};
  if (FileTree::IsZipEntry(*record)) return u"  [zip entry]";
  WString details = u"  [" + WString(ConditionText(record->Type)) + u", OS " +
                    SystemsText(record->OS) + u", Src " + record->Src;
  if (record->Unzip) details += u", unzip";
  return details + u"]";
}

WString RegistryDetails(const TreeNode& node) {
  const auto* operation = dynamic_cast<const RegistryOperation*>(node.record.get());
  if (!operation) return {};
  WString details = u"  [" + operation->verb;
  if (!operation->valueType.empty()) details += u" " + operation->valueType;
  if (!operation->valueData.empty()) details += u" \"" + operation->valueData + u"\"";
  if (operation->OS != OsMask::All) details += u", OS " + SystemsText(operation->OS);
  return details + u"]";
}

// One line per node, two spaces deeper per level, without recursion.
template <typename Details>
void PrintTree(const ItemTree& tree, Details details) {
  if (tree.Empty()) {
    PrintOut(u"  (none)");
    return;
  }
  struct Frame {
    const std::vector<TreeNode*>* nodes;
    size_t next;
  };
  std::vector<Frame> stack{{&tree.Children(nullptr), 0}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next == frame.nodes->size()) {
      stack.pop_back();
      continue;
    }
    const TreeNode* node = (*frame.nodes)[frame.next++];
    PrintOut(WString(2 * stack.size(), u' ') + node->name + details(*node));
    if (!node->children.empty()) stack.push_back({&node->children, 0});
  }
}

// A value of several lines keeps its lines, each indented under the first.
WString Indented(const WString& value) {
  return text::ReplaceAll(value, u"\r\n", u"\r\n      ");
}

class ShowCommand final : public Command {
 public:
  const char* Name() const override { return "show"; }
  const char* Summary() const override {
    return "Print a project readably: its settings, behaviour flags, files, registry "
           "operations, executions and variables.";
  }
  void Configure(CLI::App& app) override {
    AddProjectFileArgument(app, file_);
  }
  int Run() override {
    CliPrompt prompt;
    auto document = LoadProjectOrReport(file_, prompt);
    if (!document) return kFailed;
    const ProjectSettings& settings = document->settings;
    PrintOut(u"Project file: " + document->ProjectFilePath());
    PrintOut(u"Settings:");
    for (int i = 0; i < kSettingCount; ++i) {
      const auto key = static_cast<SettingKey>(i);
      const WString name = ProjectSettings::KeyName(key);
      if (!name.empty()) PrintOut(u"  " + name + u": " + Indented(settings.GetSetting(key)));
    }
    PrintOut(u"Behaviour flags (mask " + settings.FlagMask() + u"):");
    const std::vector<WString> spellings = FlagSpellings();
    for (int i = 0; i < kFlagCount; ++i) {
      const WString name = static_cast<size_t>(i) < spellings.size()
                               ? spellings[static_cast<size_t>(i)]
                               : u"Flag" + text::FormatDecimal(i);
      if (static_cast<size_t>(i) < spellings.size() || settings.GetFlag(i))
        PrintOut(u"  " + name + u": " + (settings.GetFlag(i) ? u"on" : u"off"));
    }
    PrintOut(u"Files:");
    PrintTree(document->fileTree, FileDetails);
    PrintOut(u"Registry operations:");
    PrintTree(document->registryTree, RegistryDetails);
    PrintOut(u"Executions:");
    PrintTree(document->shellExecs, [](const TreeNode&) { return WString(); });
    PrintOut(u"Variables:");
    for (const Variable& row : document->variables.Rows()) {
      WString line = u"  " + row.name + u"  " + row.description;
      if (!row.additional.empty()) line += u"  " + row.additional;
      PrintOut(line);
    }
    return kDone;
  }

 private:
  std::string file_;
};

}  // namespace

std::unique_ptr<Command> MakeShowCommand() { return std::make_unique<ShowCommand>(); }

}  // namespace tidewell::cli
