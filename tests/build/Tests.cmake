# Tests of this module are added with tidewell_add_tests().
tidewell_add_tests(flows-build-tests ${CMAKE_CURRENT_LIST_DIR}/ClientPageTests.cpp)
