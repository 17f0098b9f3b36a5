tidewell_add_tests(file-tree-tests files/FileTreeTests.cpp)
