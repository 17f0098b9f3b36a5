#include "content/RegistryItemRules.h"

#include "content/RegistryTree.h"
#include "text/Text.h"

namespace tidewell {

namespace {

bool UsesValueName(RegistryAction action) {
  return action == RegistryAction::AddValue || action == RegistryAction::DeleteValue;
}

// Whether a component of the key path names an existing operation node. The
// tree would take that operation as the key and put the new operation below
// it, where no Value element can hold it; such an operation is refused.
bool PathRunsThroughOperation(const RegistryTree& tree, std::u16string_view path) {
  return tree.ItemOnPath(path) != nullptr;
}

}  // namespace

bool ValidateRegistryItem(const RegistryItemFields& fields, Prompt& prompt) {
  const FieldId* failed = nullptr;
  const std::optional<RegistryAction> action = RegistryActionFromIndex(fields.actionIndex);
  if (fields.subKey.empty()) {
    failed = &kRegistrySubKeyField;
  } else if (action && UsesValueName(*action) && fields.valueName.empty()) {
    failed = &kRegistryValueNameField;
  } else if (action == RegistryAction::AddValue && fields.valueData.empty()) {
    failed = &kRegistryValueDataField;
  }
  if (failed == nullptr) return true;
  prompt.ShowBalloon(*failed, kInvalidParametersCaption, kValueCannotBeEmpty, MessageIcon::Error);
  return false;
}

std::optional<RegistryOperation> MakeRegistryOperation(const RegistryItemFields& fields) {
  const std::optional<RegistryAction> action = RegistryActionFromIndex(fields.actionIndex);
  if (!action) return std::nullopt;
  RegistryOperation operation;
  operation.verb = RegistryVerb(*action);
  switch (*action) {
    case RegistryAction::AddValue:
      operation.valueType = fields.valueType;
      [[fallthrough]];
    case RegistryAction::DeleteValue:
      operation.Name = fields.valueName;
      operation.valueData = fields.valueData;
      break;
    case RegistryAction::CreateKey:
      operation.Name = kCreateKeyLabel;
      break;
    case RegistryAction::RemoveKey:
      operation.Name = kRemoveKeyLabel;
      break;
  }
  return operation;
}

WString RegistryKeyPath(const RegistryItemFields& fields) {
  WString path = fields.baseKey;
  path += u'\\';
  path += fields.subKey;
  return path;
}

WString KeyPathThroughValueMessage(std::u16string_view path) {
  return u"The key path " + WString(path) +
         u" runs through a registry value, not a key. Choose a key for the operation.";
}

bool CheckRegistryKeyPath(const RegistryTree& tree, const RegistryItemFields& fields,
                          Prompt& prompt) {
  const WString path = RegistryKeyPath(fields);
  if (!PathRunsThroughOperation(tree, path)) return true;
  prompt.ShowBalloon(kRegistrySubKeyField, kInvalidParametersCaption,
                     KeyPathThroughValueMessage(path), MessageIcon::Error);
  return false;
}

TreeNode* AddRegistryOperation(RegistryTree& tree, const RegistryItemFields& fields) {
  const std::optional<RegistryOperation> operation = MakeRegistryOperation(fields);
  if (!operation) return nullptr;
  const WString path = RegistryKeyPath(fields);
  if (PathRunsThroughOperation(tree, path)) return nullptr;
  TreeNode* key = tree.AddDirectoryPath(path, nullptr);
  return tree.InsertItem(key, &*operation, operation->Name);
}

}  // namespace tidewell
