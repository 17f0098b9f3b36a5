tidewell_add_tests(file-tree-tests files/FileTreeTests.cpp)
tidewell_add_tests(flows-files-tests files/ClientPathsTests.cpp files/FileSelectionTests.cpp files/DirectoryComparisonTests.cpp files/FilePropertiesTests.cpp files/ZipFixture.cpp)
target_link_libraries(flows-files-tests PRIVATE PkgConfig::MINIZIP ZLIB::ZLIB)
