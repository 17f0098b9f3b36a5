# Measuring: file times, the zip reader, file information and its panel.
tidewell_add_tests(files-measuring-tests
  ${CMAKE_CURRENT_LIST_DIR}/FileTimeTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipArchiveTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipDirectoryTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipFileReadingTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MeasureTests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipFixture.cpp
)
# The fixture writes archives with minizip's zip writer.
target_link_libraries(files-measuring-tests PRIVATE PkgConfig::MINIZIP ZLIB::ZLIB)
