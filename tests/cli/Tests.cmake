tidewell_add_tests(cli-tests cli/CliTests.cpp cli/CliRunner.cpp)
add_dependencies(cli-tests tidewell-cli)
