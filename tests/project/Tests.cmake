tidewell_add_tests(project-tests project/ProjectSettingsTests.cpp project/DocumentTests.cpp
                   project/XmlWellFormednessTests.cpp project/DocumentEncodingTests.cpp
                   project/DocumentSaveTests.cpp)
tidewell_add_tests(flows-project-tests project/RecentListTests.cpp project/ProjectDialogRulesTests.cpp project/LifecycleTests.cpp
                   project/EditHistoryTests.cpp)
