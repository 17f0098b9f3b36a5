tidewell_add_tests(platform-tests platform/AtomicFileTests.cpp)
