tidewell_add_tests(file-tree-tests files/FileTreeTests.cpp)
tidewell_add_tests(flows-files-tests files/FileSelectionTests.cpp files/DirectoryComparisonTests.cpp)
