#include "ServerUpdate.h"

#include "Text.h"
#include "XmlDocument.h"

namespace tidewatch::engine {

namespace {

std::u16string Trimmed(std::u16string_view text) {
  const size_t first = text.find_first_not_of(u" \t\n");
  if (first == std::u16string_view::npos) return {};
  const size_t last = text.find_last_not_of(u" \t\n");
  return std::u16string(text.substr(first, last - first + 1));
}

std::u16string SettingText(const XmlElement& root, std::u16string_view name) {
  const XmlElement* element = root.FirstChild(name);
  return element ? element->text : std::u16string();
}

std::u16string JoinKey(const std::u16string& parent, const std::u16string& name) {
  return parent.empty() ? name : parent + u"\\" + name;
}

// Files and directories in document order, which is the tree's order.
void ReadFileLevel(const XmlElement& element, const std::u16string& destination, std::vector<ServerFile>& files) {
  for (const auto& child : element.children) {
    if (child.name == u"Directory") {
      const auto* name = child.Attribute(u"Name");
      if (name && !name->empty()) ReadFileLevel(child, JoinKey(destination, *name), files);
      continue;
    }
    if (child.name != u"File") continue;
    ServerFile file;
    file.destination = destination;
    if (const auto* v = child.AttributeIgnoringCase(u"Name")) file.name = *v;
    if (const auto* v = child.AttributeIgnoringCase(u"OS")) file.os = static_cast<std::int32_t>(ReadDecimal(*v));
    if (const auto* v = child.AttributeIgnoringCase(u"Size")) file.size = ReadDecimal(*v);
    if (const auto* v = child.AttributeIgnoringCase(u"Mode")) file.mode = Trimmed(*v);
    if (const auto* v = child.AttributeIgnoringCase(u"Src")) file.src = *v;
    if (const auto* v = child.AttributeIgnoringCase(u"Action")) file.unzip = *v == u"unzip";
    // A file written for no system has neither name nor mask.
    if (file.name.empty() || EqualsIgnoringCase(file.src, u"zip")) continue;
    files.push_back(std::move(file));
  }
}

void ReadRegistryLevel(const XmlElement& element, const std::u16string& key,
                       std::vector<ServerRegistryOperation>& operations) {
  for (const auto& child : element.children) {
    if (child.name == u"Key") {
      const auto* name = child.Attribute(u"Name");
      if (name && !name->empty()) ReadRegistryLevel(child, JoinKey(key, *name), operations);
      continue;
    }
    if (child.name != u"Value") continue;
    ServerRegistryOperation op;
    op.key = key;
    if (const auto* v = child.AttributeIgnoringCase(u"Name")) op.name = *v;
    if (const auto* v = child.AttributeIgnoringCase(u"OS")) op.os = static_cast<std::int32_t>(ReadDecimal(*v));
    // "verb type data": only the first two blanks separate fields.
    if (const auto* action = child.AttributeIgnoringCase(u"Action")) {
      const size_t i = action->find(u' ');
      if (i != std::u16string::npos) {
        op.verb = action->substr(0, i);
        const size_t j = i + 1 < action->size() ? action->find(u' ', i + 1) : std::u16string::npos;
        if (j != std::u16string::npos) {
          op.valueType = action->substr(i + 1, j - i - 1);
          op.valueData = action->substr(j + 1);
        }
      }
    }
    operations.push_back(std::move(op));
  }
}

void ReadExecutions(const XmlElement& element, std::vector<ServerExecution>& executions) {
  for (const auto& child : element.children) {
    if (child.name == u"Execute") {
      ServerExecution execution;
      const auto* point = child.Attribute(u"Point");
      const std::int64_t number = point ? ReadDecimal(*point) : 4;
      execution.point = number >= 1 && number <= 4 ? static_cast<ExecutionPoint>(number)
                                                   : ExecutionPoint::InstallationComplete;
      if (const auto* file = child.Attribute(u"File")) execution.file = *file;
      if (!execution.file.empty()) executions.push_back(std::move(execution));
    } else {
      ReadExecutions(child, executions);
    }
  }
}

}  // namespace

std::optional<ServerUpdate> ReadServerUpdate(std::u16string_view text, std::string* error) {
  std::string why;
  const auto root = ReadXmlDocument(text, &why);
  if (!root) {
    if (error) *error = "not a well-formed document: " + why;
    return std::nullopt;
  }
  if (root->name != u"Tidemark") {
    if (error) *error = "the root element is " + ToUtf8(root->name) + ", not Tidemark";
    return std::nullopt;
  }
  ServerUpdate update;
  update.updateVersion = Trimmed(SettingText(*root, u"UpdateVersion"));
  if (update.updateVersion.empty()) {
    if (error) *error = "no UpdateVersion";
    return std::nullopt;
  }
  update.updateType = Trimmed(SettingText(*root, u"UpdateType"));
  if (update.updateType.empty()) update.updateType = u"Normal";
  update.welcome = SettingText(*root, u"Welcome");
  update.reason = SettingText(*root, u"Reason");
  update.license = SettingText(*root, u"License");
  update.installComplete = SettingText(*root, u"InstallComplete");
  update.updateNotNeeded = SettingText(*root, u"UpdateNotNeeded");
  update.silentFinished = SettingText(*root, u"SilentFinished");
  update.restart = root->FirstChild(u"Restart") != nullptr;
  if (const auto* list = root->FirstChild(u"FileList")) ReadFileLevel(*list, u"", update.files);
  if (const auto* list = root->FirstChild(u"RegList")) ReadRegistryLevel(*list, u"", update.registry);
  if (const auto* list = root->FirstChild(u"ShellExec")) ReadExecutions(*list, update.executions);
  return update;
}

}  // namespace tidewatch::engine
