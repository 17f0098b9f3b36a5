tidewell_add_tests(project-tests project/ProjectSettingsTests.cpp project/DocumentTests.cpp)
