# Registry operations, shell executions, variables and the rules of their dialogs.
target_sources(tidewell-core PRIVATE
  content/RegistryChoices.cpp
  content/RegistryTree.cpp
  content/RegistryItemRules.cpp
  content/ShellExecList.cpp
  content/ShellExecRules.cpp
  content/VariableList.cpp
  content/RegistryReadRules.cpp
  content/VariablesDialogRules.cpp
)
target_sources(tidewell-core PRIVATE content/ContentEditing.cpp)
