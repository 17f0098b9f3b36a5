#pragma once

#include <optional>

#include "content/RegistryItemRules.h"
#include "content/RegistryReadRules.h"
#include "content/ShellExecRules.h"
#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class RegistryTree;
class ShellExecList;
class VariableList;
struct TreeNode;

// The editing operations behind OK of the content dialogs: each checks the
// dialog's rules first (their balloons shown through the prompt) and then
// changes the list. What a refusal looks like is the same for the desktop
// tool and the command line.

enum class EditResult {
  Done,
  Refused,    // a rule refused the fields; its message was shown
  Unchanged,  // the fields were valid but an equal entry already exists
};

// "Registry": a new operation under base key + "\" + sub-key.
EditResult AddRegistryItem(RegistryTree& tree, const RegistryItemFields& fields, Prompt& prompt);

// "File execution": a new entry under its execution point.
EditResult AddExecution(ShellExecList& list, const ShellExecFields& fields, Prompt& prompt);

// "Create New" of the variables dialog: a user variable with an automatic
// name reading the chosen registry value. Answers its row, none when refused.
std::optional<size_t> AddUserVariable(VariableList& list, const RegistryReadFields& fields,
                                      Prompt& prompt);

// Double-click on a row, then OK in the registry dialog: the row reads
// another registry value; its name stays. A built-in row is refused with the
// protection message before anything else is looked at.
EditResult EditVariableValue(VariableList& list, size_t row, const RegistryReadFields& fields,
                             Prompt& prompt);

// The first row whose name is `name`, spelt with the same case.
std::optional<size_t> FindVariable(const VariableList& list, const WString& name);

}  // namespace tidewell
