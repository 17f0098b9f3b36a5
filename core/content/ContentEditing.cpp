#include "content/ContentEditing.h"

#include "content/RegistryTree.h"
#include "content/ShellExecList.h"
#include "content/VariableList.h"
#include "content/VariablesDialogRules.h"

namespace tidewell {

EditResult AddRegistryItem(RegistryTree& tree, const RegistryItemFields& fields, Prompt& prompt) {
  if (!ValidateRegistryItem(fields, prompt) || !CheckRegistryKeyPath(tree, fields, prompt))
    return EditResult::Refused;
  return AddRegistryOperation(tree, fields) ? EditResult::Done : EditResult::Unchanged;
}

EditResult AddExecution(ShellExecList& list, const ShellExecFields& fields, Prompt& prompt) {
  if (!ValidateShellExec(fields, prompt)) return EditResult::Refused;
  return AddShellExecution(list, fields) ? EditResult::Done : EditResult::Unchanged;
}

std::optional<size_t> AddUserVariable(VariableList& list, const RegistryReadFields& fields,
                                      Prompt& prompt) {
  if (!ValidateRegistryRead(fields, prompt)) return std::nullopt;
  return CreateVariable(list, fields);
}

EditResult EditVariableValue(VariableList& list, size_t row, const RegistryReadFields& fields,
                             Prompt& prompt) {
  if (!CheckVariableEditable(list, row, prompt)) return EditResult::Refused;
  if (!ValidateRegistryRead(fields, prompt)) return EditResult::Refused;
  return UpdateVariable(list, row, fields) ? EditResult::Done : EditResult::Unchanged;
}

std::optional<size_t> FindVariable(const VariableList& list, const WString& name) {
  const auto& rows = list.Rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].name == name) return i;
  return std::nullopt;
}

}  // namespace tidewell
