#include "content/VariablesDialogRules.h"

#include "content/RegistryReadRules.h"
#include "content/VariableList.h"

namespace tidewell {

bool CheckVariableEditable(const VariableList& list, std::optional<size_t> row, Prompt& prompt) {
  if (!row || *row >= list.Rows().size()) return false;
  if (!VariableList::IsBuiltIn(list.Rows()[*row].name)) return true;
  prompt.ShowBalloon(kVariablesListField, kInvalidParametersCaption,
                     u"You cannot change the property of in-built variables", MessageIcon::Error);
  return false;
}

size_t CreateVariable(VariableList& list, const RegistryReadFields& fields) {
  return *list.AddVariable(WString(), BuildVariableDescription(fields), fields.valueType);
}

std::optional<size_t> UpdateVariable(VariableList& list, size_t row,
                                     const RegistryReadFields& fields) {
  return list.AddVariable(WString(), BuildVariableDescription(fields), fields.valueType, row);
}

}  // namespace tidewell
