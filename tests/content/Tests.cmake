tidewell_add_tests(content-tests
  content/RegistryTreeTests.cpp
  content/RegistryItemRulesTests.cpp
  content/ShellExecListTests.cpp
  content/VariableListTests.cpp
  content/RegistryReadRulesTests.cpp
)
tidewell_add_tests(flows-content-tests content/ContentEditingTests.cpp)
