#include "content/RegistryTree.h"

#include "content/RegistryOperation.h"
#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

RegistryTree::RegistryTree() : ItemTree(u"Key", u"Value") {}

WString RegistryTree::ItemAttributes(const TreeNode& node, XmlForm form) const {
  const auto* operation = dynamic_cast<const RegistryOperation*>(node.record.get());
  if (operation == nullptr) return {};
  WString action = operation->verb;
  action += u' ';
  action += operation->valueType;
  action += u' ';
  action += operation->valueData;

  WString out = CommonAttributes(*operation, form);
  out += u" Action=\"";
  out += EscapeXmlText(action);
  out += u"\" ";
  return out;
}

TreeNode* RegistryTree::CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                                 TreeNode* parent) {
  RegistryOperation operation;
  ReadCommonAttributes(attributes, operation);

  for (const auto& [name, value] : attributes) {
    if (!text::EqualsNoCase(name, u"Action")) continue;
    const size_t first = value.find(u' ');
    if (first != WString::npos) {
      operation.verb = value.substr(0, first);
      // The second blank is looked for only when something follows the first.
      const size_t second =
          first + 1 < value.size() ? value.find(u' ', first + 1) : WString::npos;
      if (second != WString::npos) {
        operation.valueType = value.substr(first + 1, second - first - 1);
        operation.valueData = value.substr(second + 1);
      }
    }
    break;
  }
  return InsertItem(parent, &operation, operation.Name);
}

}  // namespace tidewell
