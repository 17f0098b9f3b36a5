#pragma once

#include <optional>

#include "content/RegistryChoices.h"
#include "content/RegistryOperation.h"
#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class RegistryTree;
struct TreeNode;

// The fields of the dialog that defines a registry operation, as it opens.
struct RegistryItemFields {
  WString baseKey = WString(kDefaultRegistryBaseKey);
  WString subKey;
  int actionIndex = static_cast<int>(kDefaultRegistryAction);  // position in kRegistryActions
  WString valueType = WString(kDefaultRegistryValueType);
  WString valueName;
  WString valueData;
};

// Where the dialog's validation balloons point.
inline const FieldId kRegistrySubKeyField = "registry.subKey";
inline const FieldId kRegistryValueNameField = "registry.valueName";
inline const FieldId kRegistryValueDataField = "registry.valueData";

// The checks of OK, in order, stopping at the first failure, which is shown
// at its field: the sub-key is required; the value name for Add Value and
// Delete Value; the value data for Add Value.
bool ValidateRegistryItem(const RegistryItemFields& fields, Prompt& prompt);

// The key path of the fields: base key + "\" + sub-key.
WString RegistryKeyPath(const RegistryItemFields& fields);

// The refusal of a key path one of whose keys is an operation (a value)
// already in the tree.
WString KeyPathThroughValueMessage(std::u16string_view path);

// The tree's check of OK, after ValidateRegistryItem: a key path running
// through an operation of the tree is refused with the balloon at the
// sub-key, since no key can stand below a value.
bool CheckRegistryKeyPath(const RegistryTree& tree, const RegistryItemFields& fields,
                          Prompt& prompt);

// The operation the fields describe; none when the action index names no
// action.
std::optional<RegistryOperation> MakeRegistryOperation(const RegistryItemFields& fields);

// Inserts the operation under the key path base key + "\" + sub-key, creating
// the missing keys. Nullptr when an operation of the same label (without
// regard to case) already stands under that key, or when the action index
// names no action; the tree is then unchanged.
TreeNode* AddRegistryOperation(RegistryTree& tree, const RegistryItemFields& fields);

}  // namespace tidewell
