#pragma once

#include "content/RegistryChoices.h"
#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

struct Variable;

// The fields of the dialog that chooses the registry value a user variable
// reads, as it opens.
struct RegistryReadFields {
  WString baseKey = WString(kDefaultRegistryBaseKey);
  WString subKey;
  WString valueType = WString(kDefaultRegistryValueType);  // one of kRegistryReadValueTypes
  WString valueName;

  bool operator==(const RegistryReadFields&) const = default;
};

// Where the dialog's validation balloons point.
inline const FieldId kRegistryReadSubKeyField = "registryRead.subKey";
inline const FieldId kRegistryReadValueNameField = "registryRead.valueName";

// The checks of OK, in order, stopping at the first failure, which is shown
// at its field: the sub-key, then the value name, are required.
bool ValidateRegistryRead(const RegistryReadFields& fields, Prompt& prompt);

// A variable's description: base key + "\" + sub-key + "\" + value name, with
// forward slashes turned into backslashes and doubled backslashes reduced.
// The variable's additional text is the value type.
WString BuildVariableDescription(const RegistryReadFields& fields);

// The dialog's fields for an existing user variable. The description is split
// at its first backslash (base key) and at its last (sub-key, value name);
// base key and type are matched without regard to case, and whatever cannot
// be taken keeps its default.
RegistryReadFields RegistryReadFieldsFromVariable(const Variable& variable);

}  // namespace tidewell
