#pragma once

#include <optional>

#include "platform/Prompt.h"

namespace tidewell {

class VariableList;
struct RegistryReadFields;

// Where the variables dialog's balloon points.
inline const FieldId kVariablesListField = "variables.list";

// Whether the row may have its registry value edited (double-click). A
// built-in row may not: the balloon says so at the list. No row: false,
// silently.
bool CheckVariableEditable(const VariableList& list, std::optional<size_t> row, Prompt& prompt);

// "Create New" after the registry value was chosen: a user variable with an
// automatic name. Answers its position.
size_t CreateVariable(VariableList& list, const RegistryReadFields& fields);

// The registry value of an existing row was chosen again: its description
// and additional are replaced, its name stays. None for a position outside
// the list.
std::optional<size_t> UpdateVariable(VariableList& list, size_t row,
                                     const RegistryReadFields& fields);

}  // namespace tidewell
