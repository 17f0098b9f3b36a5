tidewell_add_tests(cli-tests cli/CliTests.cpp cli/CliRunner.cpp cli/SigningCliTests.cpp
  cli/SignCommandCliTests.cpp)
add_dependencies(cli-tests tidewell-cli)
tidewell_add_tests(flows-cli-tests cli/FlowCommandsTests.cpp cli/EditOutcomeTests.cpp cli/CliRunner.cpp)
add_dependencies(flows-cli-tests tidewell-cli)
